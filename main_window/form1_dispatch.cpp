// What each menu entry and toolbar button runs.
#include "form1.h"

#include "firmware_settings.h"
#include "platform/paths.h"
#include "startup/frm_about.h"
#include "texts.h"

#include <QAction>
#include <QLabel>

using namespace main_window;

void Form1::mnuopn_Click()
{
    OPEN();
}

void Form1::mnubat_Click()
{
    AUTO();
}

void Form1::mnuasav_Click()
{
    BINSAVE();
}

void Form1::mnussav_Click()
{
    BMPSAVE();
}

void Form1::mnuend_Click()
{
    m_services.application.endNow();
}

void Form1::mnucnv_Click()
{
    setStatus(texts::kConverting);
    Label1->repaint();
    CONV();
}

void Form1::mnuset_Click()
{
    const auto chosen = m_editRecipe(m_recipe);
    if (!chosen)
        return;
    setRecipe(*chosen);
    if (const auto written = writeRecipe(settingsFilePath(), *chosen); !written)
        warnFailure(texts::kSettingsNotSaved, written.error());
}

void Form1::mnuver_Click()
{
    // One About window: shown again, the open one comes to the front.
    if (!m_about)
        m_about = new frmAbout(m_services.application);
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
    m_about->repaint();
}

void Form1::Toolbar1_ButtonClick(QAction *Button)
{
    const QString key = Button->objectName();
    if (key == QLatin1String("open")) {
        OPEN();
    } else if (key == QLatin1String("conv")) {
        // Unlike the menu entry, no repaint here: CONV repaints the label as it starts.
        setStatus(texts::kConverting);
        CONV();
    } else if (key == QLatin1String("binsave")) {
        BINSAVE();
    } else if (key == QLatin1String("bmpsave")) {
        BMPSAVE();
    } else if (key == QLatin1String("auto")) {
        AUTO();
    }
}
