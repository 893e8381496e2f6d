// The batch run: every picture of a multi-selection, each into a BIN file beside it, stopping
// at the first picture larger than 640 x 480.
#pragma once

#include "auto_fields.h"
#include "core/error.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

#include <cstdint>
#include <span>

namespace platform {
class CommonDialog;
}

namespace batch {

inline constexpr int kMaxWidth = 640;
inline constexpr int kMaxHeight = 480;

// The pictures the open dialogs offer, the batch run's and the open command's alike: every
// kind the program reads first, then the two kinds the window was made for.
inline const QString kPictureFilter = QStringLiteral(
    "すべての画像|*.BMP;*.JPG;*.PNG;*.GIF|Picture(*.BMP)|*.BMP|Picture(*.JPG)|*.JPG");

// What a run needs of the window it runs in. The window words the statuses and the warnings
// that its own commands share; the run words only what is its alone.
class AutoHost
{
public:
    enum class Status
    {
        Converting,
        BinSaved
    };

    virtual ~AutoHost() = default;

    virtual platform::CommonDialog &dialog() = 0;
    virtual void setAutoFlag(std::int16_t value) = 0;
    // Into the canvas, which takes the picture's size; on failure nothing changes.
    virtual core::Expected<void> loadIntoCanvas(const QString &path) = 0;
    virtual void setCaptionFor(const QString &path) = 0;
    // The size the picture will be converted at: the canvas's, or what the panel's settings
    // make of it.
    virtual QSize convertedSize() const = 0;
    // The after-load layout, with the two size labels repainted at once.
    virtual void layoutAfterLoad() = 0;
    virtual void showStatus(Status status) = 0;
    // The conversion pass without the preview; false when it failed and has said so.
    virtual bool convert() = 0;
    virtual std::span<const std::uint8_t> bin() const = 0;

    virtual void warnCannotLoad(const core::Error &error) = 0;
    virtual void warnCannotSave(const core::Error &error) = 0;
    virtual void warn(const QString &text) = 0;
    virtual void notify(const QString &text) = 0;
};

// Runs the batch: the dialog, then load, size check, layout, conversion and BIN file for each
// name in turn, then the closing notice. A picture too large is laid out before the warning. A
// cancelled dialog ends it silently; any failure after that ends it with a warning that names the
// file, keeping the files already written. With `given` (pictures dropped on the window), those are
// the names and no dialog is shown.
void runAuto(AutoHost &host, AutoFields &fields, const std::optional<QStringList> &given = {});

} // namespace batch
