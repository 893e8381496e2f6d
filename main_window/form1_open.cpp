// OPEN and LAYOUT: loading a picture into the canvas and laying the window out around it.
#include "form1.h"
#include "platform/paths.h"

#include "batch/auto_run.h"
#include "core/decode/picture_loader.h"
#include "layout.h"
#include "texts.h"

#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QScrollArea>

using namespace main_window;

void Form1::OPEN(const std::optional<QString> &given)
{
    AutoFlag = 0;
    CommonDialog1.Filter = batch::kPictureFilter;
    if (given) // spelt as the dialog spells a file, so the caption and later dialogs agree
        CommonDialog1.FileName = QDir::toNativeSeparators(*given);
    else if (!CommonDialog1.ShowOpen())
        return;
    // After a batch run the dialog still takes several files; their names are not a path.
    if (CommonDialog1.FileName.contains(QChar(u'\0'))) {
        warn(texts::kChooseOnePicture);
        return;
    }
    if (const auto loaded = loadIntoCanvas(CommonDialog1.FileName); !loaded) {
        warnFailure(texts::kCannotLoad, loaded.error());
        return;
    }
    setWindowTitle(BaseCaption + QLatin1Char('(') + platform::displayPath(CommonDialog1.FileName) +
                   QLatin1Char(')'));
    LAYOUT();
}

core::Expected<void> Form1::loadIntoCanvas(const QString &path)
{
    // Shown as the file stores it; a conversion loads it again from these bytes, as its
    // recipe wants it.
    const std::filesystem::path file = platform::toPath(path);
    auto bytes = core::readPictureFile(file);
    if (!bytes)
        return bytes.error();
    auto picture = core::decodePicture(bytes.value(), core::subjectOf(file));
    if (!picture)
        return picture.error();
    Picture1->setPicture(std::move(picture.value()));
    fitCanvasFrame();
    m_canvasSource = path;
    m_canvasBytes = std::move(bytes.value());
    m_canvasConverted = false;
    ++m_canvasPicture;
    workedOn(path);
    return {};
}

void Form1::placeSettingsLine()
{
    lblSettings->setGeometry(
        settingsLineRect(Label2->x(), centralWidget()->width(), Label1->y(),
                         [this](int width) { return lblSettings->heightForWidth(width); }));
}

void Form1::LAYOUT(bool repaintSizeLabels)
{
    // Wide arithmetic: a picture over 32 730 pixels high is laid out like any other.
    // Beside and below the frame, which is the canvas itself unless it scrolls.
    const int border = 2 * PictureBox::kBorder;
    const AfterLoadLayout layout = afterLoadLayout(
        Picture1->Left(), Picture1->Top(), Picture1->ScaleWidth(), Picture1->ScaleHeight(),
        CanvasFrame->width() - border, CanvasFrame->height() - border);
    ProgressBar1->move(ProgressBar1->x(), int(layout.progressTop));
    setStatus(texts::kCleared);
    Label1->move(Label1->x(), int(layout.statusTop));

    Label2->move(int(layout.sizeLeft), Label2->y());
    Label2->setText(layout.widthCaption);
    if (repaintSizeLabels)
        Label2->repaint();

    Label3->move(int(layout.sizeLeft), Label3->y());
    Label3->setText(layout.heightCaption);
    if (repaintSizeLabels)
        Label3->repaint();
    placeSettingsLine();
}
