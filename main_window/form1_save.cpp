// BINSAVE and BMPSAVE: the last conversion as a BIN file, the canvas as a bitmap.
#include "form1.h"
#include "platform/paths.h"

#include "core/files/bin_file.h"
#include "core/files/bitmap_file.h"
#include "core/files/output_file.h"
#include "core/files/output_name.h"
#include "texts.h"

#include <QDir>

using namespace main_window;

namespace {

// Every save waits for the disk; a pipe that nobody reads is refused rather than left to hang
// the window.
constexpr core::WriteOptions kWindowWrite{core::Durability::Synced, false};

} // namespace

void Form1::BINSAVE()
{
    CommonDialog1.Filter = texts::kBinFilter;
    CommonDialog1.FileName.clear();
    // Asked before the dialog: there is no point in choosing a name for nothing, nor for the
    // bytes of a picture that is no longer the one on show.
    if (binIsStale()) {
        warn(texts::kNothingConverted);
        return;
    }
    if (!CommonDialog1.ShowSave())
        return;
    const QString path = CommonDialog1.FileName;
    if (!mayWriteTo(path))
        return;
    if (const auto written = core::writeBinFile(platform::toPath(path), BinBuf, kWindowWrite);
        !written) {
        warnFailure(texts::kCannotSave, written.error());
        return;
    }
    workedOn(path);
    setStatus(texts::kBinSaved);
}

void Form1::BMPSAVE()
{
    // FileName stays as the last file command left it, so the dialog offers that name.
    CommonDialog1.Filter = texts::kBmpFilter;
    // The picture as loaded may be saved; a conversion only with the settings it was made with.
    if (canvasIsStale()) {
        warn(texts::kNothingConverted);
        return;
    }
    if (!CommonDialog1.ShowSave())
        return;
    const QString path = CommonDialog1.FileName;
    if (!mayWriteTo(path))
        return;
    if (const auto saved =
            core::saveBitmap(platform::toPath(path), Picture1->pixels(), kWindowWrite);
        !saved) {
        warnFailure(texts::kCannotSave, saved.error());
        return;
    }
    workedOn(path);
    setStatus(texts::kBmpSaved);
}

bool Form1::binIsStale() const
{
    return BinBuf.empty() || m_convertedPicture != m_canvasPicture || m_convertedRecipe != m_recipe;
}

bool Form1::canvasIsStale() const
{
    return m_canvasConverted && m_convertedRecipe != m_recipe;
}

bool Form1::mayWriteTo(const QString &path)
{
    const QString shown = QLatin1Char('\n') + platform::displayPath(path);
    // Refused outright: a question first would only be contradicted by the refusal.
    if (!m_canvasSource.isEmpty() &&
        core::wouldOverwriteSource(platform::toPath(m_canvasSource), platform::toPath(path))) {
        warn(texts::kWouldReplaceSource + shown);
        return false;
    }
    // Only a file is replaced: a folder is refused by the writer with its reason, and a device
    // or a pipe takes the bytes without losing anything.
    if (core::fileKind(platform::toPath(path)) != core::FileKind::Regular)
        return true;
    return m_services.messageBox.ask(texts::kReplaceExisting + shown, texts::kConfirmTitle);
}
