// CONV: the conversion pass with its progress bar, status texts and busy cursor, through the
// panel's settings when there are any.
#include "form1.h"

#include "platform/paths.h"
#include "startup/module1.h"
#include "texts.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>

using namespace main_window;

void Form1::CONV()
{
    convertCanvas();
}

bool Form1::convertCanvas()
{
    platform::BusyCursor busy(m_services.application);

    // With settings, the conversion starts from the picture as loaded, not from what an
    // earlier conversion made of it; the plain conversion converts the canvas as it is.
    const bool plain = m_recipe.isPlain();
    if (plain && Picture1->showsConverted()) {
        Picture1->restoreLoaded();
        fitCanvasFrame();
        LAYOUT();
    }
    const core::Size loaded = plain ? core::Size{Picture1->ScaleWidth(), Picture1->ScaleHeight()}
                                    : Picture1->loadedPixels().size();
    const core::Size size = core::shapedSize(loaded, m_recipe);
    const core::Message subject = core::subjectOf(platform::toPath(m_canvasSource));
    ProgressBar1->setMinimum(0);
    ProgressBar1->setMaximum(size.height);
    ProgressBar1->setVisible(true);
    ProgressBar1->setValue(ProgressBar1->minimum());

    const auto failed = [this](const QString &why) {
        ProgressBar1->setVisible(false);
        setStatus(texts::kCleared);
        warn(why);
        return false;
    };
    if (const auto refusal = core::cropRefusal(loaded, m_recipe))
        return failed(texts::kCannotConvert + QLatin1Char('\n') + platform::said(*refusal));
    // A new buffer first: should it not be had, the previous conversion's BinBuf, ImgW and
    // ImgH stay as they are and the program carries on.
    auto bin = m_allocateBin(core::binSize(std::uint64_t(size.width), std::uint64_t(size.height)));
    if (!bin)
        return failed(texts::kConversionFailed + QLatin1Char('\n') +
                      platform::reasonOf(bin.error()));

    setStatus(texts::kConverting);
    Label1->repaint();
    const bool preview = AutoFlag != 1;
    if (plain && preview)
        Picture1->keepLoadedCopy(); // the pass overwrites the pixels with the preview

    // The bar repaints itself when its value changes; a few tens of repaints a second are
    // enough to see it move and cost the pass nothing worth measuring.
    QElapsedTimer sinceRepaint;
    sinceRepaint.start();
    const auto progress = [&](int y) {
        if (y == size.height - 1 || sinceRepaint.elapsed() >= 40) {
            ProgressBar1->setValue(y);
            sinceRepaint.restart();
        }
    };
    if (plain) {
        core::convertInto(Picture1->pixels(), bin.value(), preview, progress);
    } else {
        // The picture as the command line loads it for this recipe (shrunk while decoding,
        // with its transparency), shaped and encoded apart from the canvas: in a batch run the
        // canvas keeps the picture as loaded; otherwise it shows the result, and Space the
        // shaped picture before dithering and quantising.
        auto loaded = m_canvasBytes.empty()
                          ? core::Expected<core::PixelStore>(Picture1->loadedPixels().copy())
                          : core::loadForRecipe(m_canvasBytes, subject, m_recipe);
        if (!loaded)
            return failed(texts::kConversionFailed + QLatin1Char('\n') +
                          platform::reasonOf(loaded.error()));
        core::PixelStore work = std::move(loaded.value());
        if (work.isNull())
            return failed(texts::kConversionFailed);
        if (const auto shaped = core::shapePicture(work, m_recipe, subject); !shaped)
            return failed(texts::kConversionFailed + QLatin1Char('\n') +
                          platform::reasonOf(shaped.error()));
        core::PixelStore before = preview ? work.copy() : core::PixelStore();
        before.dropAlpha();
        if (const auto encoded =
                core::encodeShaped(work, m_recipe, bin.value(), preview, subject, progress);
            !encoded)
            return failed(texts::kConversionFailed + QLatin1Char('\n') +
                          platform::reasonOf(encoded.error()));
        if (preview) {
            Picture1->showConverted(std::move(work), std::move(before));
            fitCanvasFrame();
            LAYOUT(); // the labels follow the canvas's new size
        }
    }

    BinBuf = std::move(bin.value());
    m_module1.ImgW = size.width;
    m_module1.ImgH = size.height;
    m_convertedPicture = m_canvasPicture;
    m_convertedRecipe = m_recipe;
    if (preview)
        m_canvasConverted = true;

    Picture1->repaint();
    ProgressBar1->setVisible(false);
    setStatus(texts::kConverted);
    return true;
}
