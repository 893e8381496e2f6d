#include "frm_splash.h"

#include "platform/fonts.h"
#include "start_checks.h"

#include <QLabel>
#include <QMouseEvent>
#include <QScreen>

namespace {

// A maker of our own invention; it stands for no real company.
const QString kCompanyName = QStringLiteral("七曜ディスプレイ工房");
const QString kCompanyNotice = QStringLiteral("COPYRIGHT (C) SHICHIYO DISPLAY KOBO");

QLabel *label(QWidget *parent, const char *name, const QString &text, QRect geometry)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(geometry);
    return l;
}

} // namespace

frmSplash::frmSplash(const platform::Services &services, std::function<void()> showMainWindow,
                     QWidget *parent)
    : QFrame(parent)
    , m_services(services)
    , m_showMainWindow(std::move(showMainWindow))
{
    setObjectName(QStringLiteral("frmSplash"));
    // No title bar and no taskbar entry; a raised dialog edge around the 375 x 222 client area.
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameStyle(QFrame::WinPanel | QFrame::Raised);
    setLineWidth(2);
    setFixedSize(375 + 4, 222 + 4);
    setWindowIcon(QIcon(QStringLiteral(":/icons/varnello.xpm")));

    auto *client = new QWidget(this);
    client->setGeometry(2, 2, 375, 222);

    Frame1 = new QFrame(client);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Frame1->setGeometry(8, 0, 360, 214);

    imgLogo = label(Frame1, "imgLogo", QString(), {16, 24, 32, 32});
    imgLogo->setPixmap(QPixmap(QStringLiteral(":/icons/varnello.xpm")));
    imgLogo->setScaledContents(true);

    lblCompanyProduct = label(Frame1, "lblCompanyProduct", kCompanyName, {64, 32, 236, 24});
    lblCompanyProduct->setFont(platform::japaneseFont(18, true));
    lblCompanyProduct->adjustSize();

    lblProductName =
        label(Frame1, "lblProductName", QStringLiteral("65K色 Varnello"), {16, 72, 323, 33});
    lblProductName->setFont(platform::japaneseFont(24, true));
    lblProductName->adjustSize();

    lblVersion = label(Frame1, "lblVersion", QStringLiteral("ﾊﾞｰｼﾞｮﾝ"), {280, 144, 59, 19});
    lblVersion->setFont(platform::japaneseFont(12, true));
    lblVersion->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    Label1 = label(Frame1, "Label1", kCompanyNotice, {88, 192, 261, 12});
    Label1->adjustSize();

    for (QWidget *w : {static_cast<QWidget *>(Frame1), static_cast<QWidget *>(imgLogo),
                       static_cast<QWidget *>(Label1), static_cast<QWidget *>(lblCompanyProduct),
                       static_cast<QWidget *>(lblProductName), static_cast<QWidget *>(lblVersion)})
        w->installEventFilter(this);

    Timer1.setInterval(500);
    connect(&Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);

    Form_Load();
}

void frmSplash::Form_Load()
{
    // The version label is right-aligned: it grows to the left as its text gets longer.
    const QRect designed = lblVersion->geometry();
    lblVersion->setText(startup::versionText(m_services.application.version()));
    lblVersion->adjustSize();
    lblVersion->move(designed.right() + 1 - lblVersion->width(), designed.top());
    TickCount = 1;
    Timer1.start();
}

void frmSplash::showEvent(QShowEvent *event)
{
    QFrame::showEvent(event);
    if (const QScreen *s = screen())
        move(s->geometry().center() - rect().center());
}

void frmSplash::Timer1_Timer()
{
    const int bits = m_services.displayCaps.bitsPerPixel(this);
    const int width = m_services.displayCaps.horizontalResolution(this);
    const startup::DisplayVerdict verdict = startup::checkDisplay(bits, width);
    if (verdict != startup::DisplayVerdict::Passes) {
        // Stopped first, so that no second warning stacks up on the first.
        Timer1.stop();
        m_services.messageBox.show(startup::displayWarning(verdict), QStringLiteral("警告"));
        m_services.application.endNow();
        return;
    }
    if (TickCount % 4 == 0)
        EndSplash();
    ++TickCount;
}

bool frmSplash::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (watched == Frame1)
            Frame1_Click();
        else if (watched == imgLogo)
            imgLogo_Click();
        else if (watched == Label1)
            Label1_Click();
        else if (watched == lblCompanyProduct)
            lblCompanyProduct_Click();
        else if (watched == lblProductName)
            lblProductName_Click();
        else if (watched == lblVersion)
            lblVersion_Click();
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

void frmSplash::EndSplash()
{
    if (m_handedOver)
        return;
    m_handedOver = true;
    Timer1.stop();
    // The splash is a splash-screen window, which never counts as the last window: closing it
    // here does not end the program, and the main window is up before this handler returns.
    close();
    if (m_showMainWindow)
        m_showMainWindow();
}
