#include "frm_about.h"

#include "platform/fonts.h"
#include "start_checks.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSysInfo>

namespace {

QLabel *label(QWidget *parent, const char *name, const QString &text, QRect geometry)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(geometry);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

} // namespace

QString frmAbout::systemName()
{
    // In full-width letters, as the text around it writes the name.
    QString name = QSysInfo::productType() == u"windows" ? QStringLiteral("Windows")
                   : QSysInfo::kernelType() == u"darwin" ? QStringLiteral("macOS")
                   : QSysInfo::kernelType() == u"linux"  ? QStringLiteral("Linux")
                                                         : QSysInfo::kernelType();
    for (QChar &c : name)
        if (c.unicode() > 0x20 && c.unicode() < 0x7F)
            c = QChar(char16_t(c.unicode() + 0xFEE0));
    return name;
}

QString frmAbout::descriptionText()
{
    // The screen the user works on is named for the system the program runs on; the pictures
    // are Windows' formats (BMP) wherever they are converted.
    return QStringLiteral("アプリケーションの説明") + QString(96, QLatin1Char(' ')) +
           QStringLiteral("　Windowsの画像データを当社製コマンド入力LCD表示器用の画像データに"
                          "変換します。") +
           QString(20, QLatin1Char(' ')) + systemName() +
           QStringLiteral("のデスクットップ画面はＳＶＧＡ以上、フルカラー"
                          "（２４ｂｉｔ）表示にてご使用ください。");
}

QString frmAbout::warningText()
{
    return QStringLiteral("警告") + QString(114, QLatin1Char(' ')) +
           QStringLiteral("著作権で保護された画像データを無断で商用等に使用したり、配布する"
                          "ことは法律で禁止されています。");
}

frmAbout::frmAbout(platform::Application &application, QWidget *parent)
    : QDialog(parent)
    , m_application(application)
{
    setObjectName(QStringLiteral("frmAbout"));
    // A fixed dialog with a close box and no taskbar entry. As a tool window it would not
    // keep the program alive by itself; it must, so that closing the main window first leaves
    // the program running until this window closes too.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_QuitOnClose, true);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(382, 237);
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/varnello.xpm")));
    move(156, 129);

    picIcon = label(this, "picIcon", QString(), {16, 16, 36, 36});
    picIcon->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    picIcon->setLineWidth(2);
    picIcon->setAlignment(Qt::AlignCenter);
    picIcon->setPixmap(QPixmap(QStringLiteral(":/icons/varnello.xpm")));

    lblTitle = label(this, "lblTitle", QStringLiteral("65ｋ色Varnello"), {70, 16, 259, 32});
    lblTitle->setFont(platform::japaneseFont(12, false));

    lblVersion = label(this, "lblVersion", QStringLiteral("ﾊﾞｰｼﾞｮﾝ"), {70, 52, 259, 15});

    lblDescription = label(this, "lblDescription", startup::breakAtBlankRuns(descriptionText()),
                           {70, 75, 259, 78});
    lblDescription->setWordWrap(true);

    Label1 = label(this, "Label1", startup::breakAtBlankRuns(warningText()), {8, 168, 241, 65});
    Label1->setWordWrap(true);

    for (QLabel *black : {lblTitle, lblDescription}) {
        QPalette p = black->palette();
        p.setColor(QPalette::WindowText, Qt::black);
        black->setPalette(p);
    }

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(284, 175, 87, 23);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    Form_Load();
}

void frmAbout::Form_Load()
{
    setWindowTitle(QStringLiteral("Varnelloのﾊﾞｰｼﾞｮﾝ情報"));
    lblVersion->setText(startup::versionText(m_application.version()));
}

void frmAbout::cmdOK_Click()
{
    close();
}

void frmAbout::closeEvent(QCloseEvent *event)
{
    event->accept();
}

void frmAbout::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    // The etched rule between description and warning: a grey line with a white one below.
    QPainter painter(this);
    painter.setPen(QPen(QColor(128, 128, 128), 1));
    painter.drawLine(6, 163, 376, 163);
    painter.setPen(QPen(Qt::white, 2));
    painter.drawLine(7, 165, 376, 165);
}
