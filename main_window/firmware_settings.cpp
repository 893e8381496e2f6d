#include "firmware_settings.h"

#include "core/decode/picture_limits.h"

#include <QSettings>
#include <QStandardPaths>

namespace main_window {

QString settingsFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/varnello/varnello.conf");
}

core::Recipe readRecipe(const QString &path)
{
    const QSettings file(path, QSettings::IniFormat);
    core::Recipe recipe;
    const QString group = QStringLiteral("firmware/");
    recipe.panel = core::sizeFromWord(file.value(group + QStringLiteral("panel")).toString());
    // A panel past what the program can hold is not understood, as the command line's --fit
    // would refuse it.
    if (recipe.panel && !core::sizeRefusal(recipe.panel->width(), recipe.panel->height()).isEmpty())
        recipe.panel.reset();
    const auto read = [&](const char *key) {
        return file.value(group + QLatin1String(key)).toString();
    };
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

bool writeRecipe(const QString &path, const core::Recipe &recipe)
{
    QSettings file(path, QSettings::IniFormat);
    file.beginGroup(QStringLiteral("firmware"));
    file.setValue(QStringLiteral("panel"),
                  recipe.panel ? core::sizeWord(*recipe.panel) : QString());
    file.setValue(QStringLiteral("fit_mode"), core::fitModeWord(recipe.fitMode));
    file.setValue(QStringLiteral("background"), core::colourWord(recipe.background));
    file.setValue(QStringLiteral("rotate"), QString::number(recipe.rotation));
    file.setValue(QStringLiteral("dither"), core::ditherWord(recipe.dither));
    file.setValue(QStringLiteral("byte_order"), core::byteOrderWord(recipe.byteOrder));
    file.setValue(QStringLiteral("alpha"), core::alphaWord(recipe.alpha));
    file.setValue(QStringLiteral("colour_key"),
                  recipe.colourKey ? core::colourWord(*recipe.colourKey) : QString());
    file.endGroup();
    file.sync();
    return file.status() == QSettings::NoError;
}

} // namespace main_window
