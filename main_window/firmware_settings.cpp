#include "firmware_settings.h"

#include "core/decode/picture_limits.h"

#include "core/files/output_file.h"
#include "platform/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace main_window {

QString settingsFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/varnello/varnello.conf");
}

QString settingsLine(const core::Recipe &recipe)
{
    const auto word = [](const std::string &text) { return QString::fromStdString(text); };
    QStringList parts;
    if (recipe.crop)
        parts << QStringLiteral("切り取り") + word(core::cropWord(*recipe.crop));
    if (recipe.alpha == core::AlphaMode::Blend)
        parts << QStringLiteral("重ね合わせ");
    if (recipe.colourKey)
        parts << QStringLiteral("透明色#") + word(core::colourWord(*recipe.colourKey));
    if (recipe.rotation != 0)
        parts << QStringLiteral("%1°").arg(recipe.rotation);
    if (recipe.panel) {
        parts << QStringLiteral("%1×%2").arg(recipe.panel->width).arg(recipe.panel->height);
        if (recipe.fitMode != core::FitMode::Contain)
            parts << word(core::fitModeWord(recipe.fitMode));
    }
    const bool bands = recipe.panel && recipe.fitMode == core::FitMode::Contain;
    if (bands || recipe.alpha == core::AlphaMode::Blend)
        parts << QStringLiteral("背景#") + word(core::colourWord(recipe.background));
    if (recipe.dither != core::Dither::None)
        parts << (recipe.dither == core::Dither::FloydSteinberg ? QStringLiteral("FS")
                                                                : QStringLiteral("ordered"));
    if (recipe.byteOrder == core::ByteOrder::Big)
        parts << QStringLiteral("BE");
    return parts.isEmpty() ? QString() : QStringLiteral("設定: ") + parts.join(u' ');
}

core::Recipe readRecipe(const QString &path)
{
    const QSettings file(path, QSettings::IniFormat);
    const auto read = [&](const char *key) {
        return file.value(QStringLiteral("firmware/") + QLatin1String(key))
            .toString()
            .toStdString();
    };
    core::Recipe recipe;
    recipe.panel = core::sizeFromWord(read("panel"));
    // A panel past what the program can hold is not understood, as the command line's --fit
    // would refuse it.
    if (recipe.panel && core::sizeRefusal(recipe.panel->width, recipe.panel->height))
        recipe.panel.reset();
    if (const auto mode = core::fitModeFromWord(read("fit_mode")))
        recipe.fitMode = *mode;
    if (const auto colour = core::colourFromWord(read("background")))
        recipe.background = *colour;
    if (const auto degrees = core::rotationFromWord(read("rotate")))
        recipe.rotation = *degrees;
    if (const auto method = core::ditherFromWord(read("dither")))
        recipe.dither = *method;
    if (const auto order = core::byteOrderFromWord(read("byte_order")))
        recipe.byteOrder = *order;
    if (const auto alpha = core::alphaFromWord(read("alpha")))
        recipe.alpha = *alpha;
    recipe.colourKey = core::colourFromWord(read("colour_key"));
    return recipe;
}

core::Expected<void> writeRecipe(const QString &path, const core::Recipe &recipe)
{
    // The words of the command line's options, which need no quoting in an INI file.
    const auto line = [](const char *key, const std::string &value) {
        return std::string(key) + '=' + value + '\n';
    };
    const std::string text =
        "[firmware]\n" +
        line("panel", recipe.panel ? core::sizeWord(*recipe.panel) : std::string()) +
        line("fit_mode", core::fitModeWord(recipe.fitMode)) +
        line("background", core::colourWord(recipe.background)) +
        line("rotate", std::to_string(recipe.rotation)) +
        line("dither", core::ditherWord(recipe.dither)) +
        line("byte_order", core::byteOrderWord(recipe.byteOrder)) +
        line("alpha", core::alphaWord(recipe.alpha)) +
        line("colour_key", recipe.colourKey ? core::colourWord(*recipe.colourKey) : std::string());
    QDir().mkpath(QFileInfo(path).path());
    return core::writeFile(platform::toPath(path),
                           {reinterpret_cast<const std::uint8_t *>(text.data()), text.size()},
                           {core::Durability::Synced, false});
}

} // namespace main_window
