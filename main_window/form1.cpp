#include "form1.h"
#include "platform/paths.h"

#include "firmware_settings.h"
#include "layout.h"
#include "settings_dialog.h"
#include "startup/frm_about.h"
#include "startup/module1.h"
#include "texts.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QScrollArea>
#include <QStandardPaths>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

using namespace main_window;

Form1::Form1(const platform::Services &services, Module1 &module1, QWidget *parent)
    : QMainWindow(parent)
    , CommonDialog1(services.fileDialog, this)
    , m_services(services)
    , m_module1(module1)
    , m_allocateBin(core::allocateBinBuffer)
{
    setObjectName(QStringLiteral("Form1"));
    // Fixed border and a close box only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(texts::kDesignCaption);
    setWindowIcon(QIcon(QStringLiteral(":/icons/varnello.xpm")));
    setAcceptDrops(true);

    buildControls();
    buildMenu();
    buildToolbar();
    Form_Load();
}

Form1::~Form1() = default;

void Form1::buildControls()
{
    // Children sit at absolute pixel positions in the client area below the menu bar, as the
    // after-load layout moves them by arithmetic.
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->installEventFilter(this);
    setCentralWidget(client);

    Toolbar1 = new QToolBar(client);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setGeometry(0, 0, 359, 28);

    // The canvas sits in a frame of its own size, which scrolls it when it is larger than the
    // window can show beside the labels; the frame then keeps them in sight.
    CanvasFrame = new QScrollArea(client);
    CanvasFrame->setObjectName(QStringLiteral("CanvasFrame"));
    CanvasFrame->setFrameShape(QFrame::NoFrame);
    CanvasFrame->setFocusPolicy(Qt::NoFocus);
    CanvasFrame->move(8, 32);
    Picture1 = new PictureBox;
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFrame(CanvasFrame);
    CanvasFrame->setWidget(Picture1);
    Picture1->setFocus();
    CanvasFrame->resize(Picture1->size());

    Label1 = new QLabel(client);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 280, 129, 20);
    QPalette red = Label1->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    Label1->setPalette(red);

    Label2 = new QLabel(client);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(296, 40, 81, 17);

    Label3 = new QLabel(client);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(288, 56, 81, 17);

    ProgressBar1 = new QProgressBar(client);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(136, 280, 197, 17);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->hide();

    lblSettings = new QLabel(client);
    lblSettings->setObjectName(QStringLiteral("lblSettings"));
    lblSettings->move(296, 76);
    QPalette blue = lblSettings->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 160));
    lblSettings->setPalette(blue);
    lblSettings->setWordWrap(true);

    ImageList1.add(QStringLiteral("imgopen"), QStringLiteral(":/icons/imgopen.xpm"));
    ImageList1.add(QStringLiteral("imgconv"), QStringLiteral(":/icons/imgconv.xpm"));
    ImageList1.add(QStringLiteral("imgbin"), QStringLiteral(":/icons/imgbin.xpm"));
    ImageList1.add(QStringLiteral("imgbmp"), QStringLiteral(":/icons/imgbmp.xpm"));
    ImageList1.add(QStringLiteral("imgauto"), QStringLiteral(":/icons/imgauto.xpm"));
}

void Form1::buildMenu()
{
    auto entry = [this](QMenu *menu, const char *name, const QString &caption, auto handler) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    auto menu = [this](const char *name, const QString &caption) {
        QMenu *m = menuBar()->addMenu(caption);
        m->setObjectName(QLatin1String(name));
        return m;
    };

    mnufile = menu("mnufile", QStringLiteral("ﾌｧｲﾙ(&F)"));
    mnuopn = entry(mnufile, "mnuopn", QStringLiteral("開く(&O)"), &Form1::mnuopn_Click);
    mnubat = entry(mnufile, "mnubat", QStringLiteral("自動処理(&B)"), &Form1::mnubat_Click);
    mnuasav = entry(mnufile, "mnuasav", QStringLiteral("名前を付けてＢＩＮファイルを保存(&A)"),
                    &Form1::mnuasav_Click);
    mnussav = entry(mnufile, "mnussav", QStringLiteral("名前を付けてＢＭＰファイルを保存(&S)"),
                    &Form1::mnussav_Click);
    mnuhf = mnufile->addSeparator();
    mnuhf->setObjectName(QStringLiteral("mnuhf"));
    mnuend = entry(mnufile, "mnuend", QStringLiteral("終了(&X)"), &Form1::mnuend_Click);

    mnugo = menu("mnugo", QStringLiteral("実行(&R)"));
    mnucnv = entry(mnugo, "mnucnv", QStringLiteral("変換(&C)"), &Form1::mnucnv_Click);
    mnugo->addSeparator();
    mnuset = entry(mnugo, "mnuset", QStringLiteral("設定(&S)..."), &Form1::mnuset_Click);

    mnuhlp = menu("mnuhlp", QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    mnuver = entry(mnuhlp, "mnuver", QStringLiteral("バージョン情報(&A)"), &Form1::mnuver_Click);
}

void Form1::buildToolbar()
{
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->setIconSize({16, 16});
    Toolbar1->setContentsMargins(0, 0, 0, 0);
    Toolbar1->layout()->setSpacing(0);
    Toolbar1->layout()->setContentsMargins(2, 3, 2, 3);

    struct Button
    {
        const char *key;
        QString tooltip;
        const char *image;
    };
    const Button buttons[] = {
        {"open", QStringLiteral("開く"), "imgopen"},
        {"conv", QStringLiteral("変換"), "imgconv"},
        {"binsave", QStringLiteral("BINファイル保存"), "imgbin"},
        {"bmpsave", QStringLiteral("BMPファイル保存"), "imgbmp"},
        {"auto", QStringLiteral("自動処理"), "imgauto"},
    };
    for (const Button &b : buttons) {
        // The key is the action's object name; the dispatch compares it.
        QAction *action = Toolbar1->addAction(ImageList1.image(QLatin1String(b.image)), QString());
        action->setObjectName(QLatin1String(b.key));
        action->setToolTip(b.tooltip);
        action->setProperty("imageKey", QLatin1String(b.image));
        Toolbar1->widgetForAction(action)->setFixedSize(23, 22);
        // Space is the canvas's key; a button with the focus would take it as a click.
        Toolbar1->widgetForAction(action)->setFocusPolicy(Qt::NoFocus);
    }
    connect(Toolbar1, &QToolBar::actionTriggered, this, &Form1::Toolbar1_ButtonClick);
}

void Form1::Form_Load()
{
    // Relative names typed into a dialog resolve against the program's own folder. Should the
    // folder be gone, the program still works with absolute paths, so this is not fatal.
    platform::makeCurrentOfItsDrive(m_services.application.executableFolder());
    // So the dialogs open where the user keeps pictures until a file has been opened or saved.
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    CommonDialog1.InitDir = !pictures.isEmpty() && QFileInfo(pictures).isDir()
                                ? QDir::toNativeSeparators(pictures)
                                : QDir::toNativeSeparators(QDir::homePath());
    BaseCaption = windowTitle();
    fitToScreen();
    setRecipe(readRecipe(settingsFilePath()));
    m_editRecipe = [this](const core::Recipe &current) -> std::optional<core::Recipe> {
        SettingsDialog dialog(this);
        dialog.setRecipe(current);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.recipe();
    };
    // Space shows the loaded picture whatever has the focus in this window.
    qApp->installEventFilter(this);
}

void Form1::setRecipe(const core::Recipe &recipe)
{
    m_recipe = recipe;
    Picture1->setByteOrder(recipe.byteOrder);
    lblSettings->setText(settingsLine(recipe));
    placeSettingsLine();
}

void Form1::fitCanvasFrame()
{
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    CanvasFrame->resize(
        canvasFrameSize(Picture1->size(), CanvasFrame->pos(), centralWidget()->size(), bar));
}

void Form1::fitToScreen()
{
    const QScreen *screen = this->screen();
    if (!screen)
        return;
    const QWindow *window = windowHandle();
    const QMargins frame = window ? window->frameMargins() : QMargins();
    m_fittedFrame = frame;
    // The whole window, frame and title bar included, covers the screen.
    setFixedSize(innerSizeForOuter(screen->geometry().size(), frame));
    move(screen->geometry().topLeft());
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    // The toolbar is docked across the full width of the client area.
    if (watched == centralWidget() && event->type() == QEvent::Resize) {
        Toolbar1->resize(centralWidget()->width(), 28);
        fitCanvasFrame();
    }
    const auto type = event->type();
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space &&
        !QApplication::activeModalWidget() && !QApplication::activePopupWidget() &&
        watched->isWidgetType() && static_cast<QWidget *>(watched)->window() == this) {
        if (!static_cast<QKeyEvent *>(event)->isAutoRepeat())
            Picture1->showLoaded(type == QEvent::KeyPress);
        return true;
    }
    // A release that goes to another window (a box that opens meanwhile) must not leave the
    // loaded picture on show.
    if (watched == this && type == QEvent::WindowDeactivate)
        Picture1->showLoaded(false);
    return QMainWindow::eventFilter(watched, event);
}

// The window manager tells the frame's size only once the window is on screen; fit again
// then, so that the frame, not the inside, covers the screen.
void Form1::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    if (windowHandle() && windowHandle()->frameMargins() != m_fittedFrame)
        fitToScreen();
}

void Form1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (windowHandle() && windowHandle()->frameMargins() != m_fittedFrame)
        fitToScreen();
}

void Form1::setStatus(const QString &text)
{
    Label1->setText(text);
    Label1->adjustSize(); // the status label's size follows its text
}

void Form1::workedOn(const QString &path)
{
    CommonDialog1.InitDir = QDir::toNativeSeparators(QFileInfo(path).absolutePath());
}

void Form1::warn(const QString &text)
{
    m_services.messageBox.show(text, texts::kWarningTitle);
}

void Form1::warnFailure(const QString &what, const core::Error &error)
{
    // A multi-selection names several files at once; show them apart, not run together.
    QString path = platform::subjectOf(error);
    path.replace(QChar(u'\0'), QStringLiteral(", "));
    QString text = what + QLatin1Char('\n') + path;
    if (const QString reason = platform::reasonOf(error); !reason.isEmpty())
        text += QStringLiteral("\n(") + reason + QLatin1Char(')');
    warn(text);
}
