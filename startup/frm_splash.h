// frmSplash: names the product and its version, checks the display on a timer, and after the
// fourth tick (or at once on a click) hands over to the main window.
#pragma once

#include "platform/services.h"

#include <QFrame>
#include <QTimer>

#include <cstdint>
#include <functional>

class QLabel;

class frmSplash : public QFrame
{
    Q_OBJECT

public:
    // `showMainWindow` creates and shows the main window; the splash window does not know it.
    frmSplash(const platform::Services &services, std::function<void()> showMainWindow,
              QWidget *parent = nullptr);

    QFrame *Frame1 = nullptr;
    QLabel *imgLogo = nullptr;
    QLabel *lblCompanyProduct = nullptr;
    QLabel *lblProductName = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *Label1 = nullptr;
    QTimer Timer1;

    std::int16_t TickCount = 0;

public slots:
    void Timer1_Timer();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void Form_Load();
    void EndSplash();

    void Frame1_Click() { EndSplash(); }
    void imgLogo_Click() { EndSplash(); }
    void Label1_Click() { EndSplash(); }
    void lblCompanyProduct_Click() { EndSplash(); }
    void lblProductName_Click() { EndSplash(); }
    void lblVersion_Click() { EndSplash(); }

    platform::Services m_services;
    std::function<void()> m_showMainWindow;
    bool m_handedOver = false;
};
