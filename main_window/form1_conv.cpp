// CONV: the conversion pass with its progress bar, status texts and busy cursor.
#include "form1.h"

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

    const int width = Picture1->ScaleWidth();
    const int height = Picture1->ScaleHeight();
    ProgressBar1->setMinimum(0);
    ProgressBar1->setMaximum(height);
    ProgressBar1->setVisible(true);
    ProgressBar1->setValue(ProgressBar1->minimum());

    // A new buffer first: should it not be had, the previous conversion's BinBuf, ImgW and
    // ImgH stay as they are and the program carries on.
    auto bin = m_allocateBin(core::binSize(std::uint64_t(width), std::uint64_t(height)));
    if (!bin) {
        ProgressBar1->setVisible(false);
        setStatus(texts::kCleared);
        warn(texts::kConversionFailed + QLatin1Char('\n') + bin.error().reason);
        return false;
    }

    setStatus(texts::kConverting);
    Label1->repaint();
    if (AutoFlag != 1)
        Picture1->keepLoadedCopy(); // the pass overwrites the pixels with the preview

    // The bar repaints itself when its value changes; a few tens of repaints a second are
    // enough to see it move and cost the pass nothing worth measuring.
    QElapsedTimer sinceRepaint;
    sinceRepaint.start();
    core::convertInto(Picture1->pixels(), bin.value(), AutoFlag != 1, [&](int y) {
        if (y == height - 1 || sinceRepaint.elapsed() >= 40) {
            ProgressBar1->setValue(y);
            sinceRepaint.restart();
        }
    });

    BinBuf = std::move(bin.value());
    m_module1.ImgW = width;
    m_module1.ImgH = height;

    Picture1->repaint();
    ProgressBar1->setVisible(false);
    setStatus(texts::kConverted);
    return true;
}
