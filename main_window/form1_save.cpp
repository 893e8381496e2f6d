// BINSAVE and BMPSAVE: the last conversion as a BIN file, the canvas as a bitmap.
#include "form1.h"

#include "core/files/bin_file.h"
#include "core/files/bitmap_file.h"
#include "core/files/output_name.h"
#include "texts.h"

#include <QDir>
#include <QFileInfo>

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
    // Asked before the dialog: there is no point in choosing a name for nothing.
    if (BinBuf.empty()) {
        warn(texts::kNothingConverted);
        return;
    }
    if (!CommonDialog1.ShowSave())
        return;
    const QString path = CommonDialog1.FileName;
    if (!mayWriteTo(path))
        return;
    if (const auto written = core::writeBinFile(path, BinBuf, kWindowWrite); !written) {
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
    if (!CommonDialog1.ShowSave())
        return;
    const QString path = CommonDialog1.FileName;
    if (!mayWriteTo(path))
        return;
    if (const auto saved = core::saveBitmap(path, Picture1->pixels(), kWindowWrite); !saved) {
        warnFailure(texts::kCannotSave, saved.error());
        return;
    }
    workedOn(path);
    setStatus(texts::kBmpSaved);
}

bool Form1::mayWriteTo(const QString &path)
{
    const QString shown = QLatin1Char('\n') + QDir::toNativeSeparators(path);
    // Refused outright: a question first would only be contradicted by the refusal.
    if (!m_canvasSource.isEmpty() && core::wouldOverwriteSource(m_canvasSource, path)) {
        warn(texts::kWouldReplaceSource + shown);
        return false;
    }
    // A folder is not replaced; writing to it fails with its own reason.
    const QFileInfo existing(path);
    if (!existing.exists() || existing.isDir())
        return true;
    return m_services.messageBox.ask(texts::kReplaceExisting + shown, texts::kConfirmTitle);
}
