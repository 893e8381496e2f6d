// Form1, the main window: owner of the canvas, the file dialog, the labels, the progress bar
// and all working state of the commands. Its commands are split over files by command:
// form1_conv.cpp, form1_open.cpp, form1_save.cpp, form1_auto.cpp, form1_dispatch.cpp and
// form1_drop.cpp.
#pragma once

#include "batch/auto_fields.h"
#include "core/conversion.h"
#include "core/recipe.h"
#include "image_list.h"
#include "picture_box.h"
#include "platform/common_dialog.h"
#include "platform/services.h"
#include "startup/frm_about.h"

#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <optional>

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QScrollArea;
class QToolBar;
struct Module1;

class Form1 : public QMainWindow, public batch::AutoFields
{
    Q_OBJECT

public:
    Form1(const platform::Services &services, Module1 &module1, QWidget *parent = nullptr);
    ~Form1() override;

    // Working state; AutoFields holds the batch run's.
    QString BaseCaption;
    std::int16_t AutoFlag = 0; // 1: batch mode, CONV leaves the canvas as it is
    core::BinBuffer BinBuf;

    // Controls, by the names users and documents call them.
    QToolBar *Toolbar1 = nullptr;
    main_window::PictureBox *Picture1 = nullptr;
    QScrollArea *CanvasFrame = nullptr; // scrolls Picture1 when it is larger than the window
    QLabel *Label1 = nullptr;           // status
    QLabel *Label2 = nullptr;           // X=
    QLabel *Label3 = nullptr;           // Y=
    QProgressBar *ProgressBar1 = nullptr;
    QLabel *lblSettings = nullptr; // the panel's settings in a few words, when there are any
    platform::CommonDialog CommonDialog1;
    main_window::ImageList ImageList1;

    QMenu *mnufile = nullptr;
    QAction *mnuopn = nullptr;
    QAction *mnubat = nullptr;
    QAction *mnuasav = nullptr;
    QAction *mnussav = nullptr;
    QAction *mnuhf = nullptr;
    QAction *mnuend = nullptr;
    QMenu *mnugo = nullptr;
    QAction *mnucnv = nullptr;
    QAction *mnuset = nullptr;
    QMenu *mnuhlp = nullptr;
    QAction *mnuver = nullptr;

    // The conversion pass over the canvas into BinBuf.
    void CONV();
    // Opens a picture: the one given by its full path, as if it had been chosen in the dialog
    // (`varnello FILE`), or else the one the user chooses.
    void OPEN(const std::optional<QString> &given = std::nullopt);

    // Where CONV gets a new BinBuf; tests put a failing one here.
    using BinAllocator = std::function<core::Expected<core::BinBuffer>(std::uint64_t bytes)>;
    void setBinAllocator(BinAllocator allocator) { m_allocateBin = std::move(allocator); }

    // The About window while it is open.
    frmAbout *aboutWindow() const { return m_about; }

    // The panel's settings that 変換, the BIN save and 自動処理 apply, as read at start from
    // the settings file; and where 設定 asks the user for new ones (tests answer for it).
    const core::Recipe &recipe() const { return m_recipe; }
    using RecipeEditor = std::function<std::optional<core::Recipe>(const core::Recipe &current)>;
    void setRecipeEditor(RecipeEditor editor) { m_editRecipe = std::move(editor); }

public slots:
    void mnuopn_Click();
    void mnubat_Click();
    void mnuasav_Click();
    void mnussav_Click();
    void mnuend_Click();
    void mnucnv_Click();
    void mnuset_Click();
    void mnuver_Click();
    void Toolbar1_ButtonClick(QAction *Button);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void buildMenu();
    void buildToolbar();
    void Form_Load();
    void fitToScreen();

    // CONV's work; false when it failed (and has warned).
    bool convertCanvas();
    void LAYOUT(bool repaintSizeLabels = false);
    void BINSAVE();
    void BMPSAVE();
    // The batch run; with `dropped`, over those pictures instead of the dialog's choice.
    void AUTO(const std::optional<QStringList> &dropped = std::nullopt);
    // Fits the scrolling frame to the canvas.
    void fitCanvasFrame();
    void setRecipe(const core::Recipe &recipe);
    // The blue line where it neither hides nor is hidden, after a layout or a new text.
    void placeSettingsLine();

    // The folder of the picture last opened or the file last saved: where the dialogs open
    // next when their FileName names no folder.
    void workedOn(const QString &path);
    void setStatus(const QString &text);
    void warn(const QString &text);
    // A warning that says what failed, names the file and gives the system's reason.
    void warnFailure(const QString &what, const core::Error &error);
    // Loads a picture into the canvas; on failure the canvas is as it was.
    core::Expected<void> loadIntoCanvas(const QString &path);
    // Whether a save may write `path`: never over the picture the canvas was loaded from
    // (warns), over another existing file only when the user agrees.
    bool mayWriteTo(const QString &path);
    // Whether BinBuf, or the canvas's conversion, is of another picture or recipe than the
    // ones now in force.
    bool binIsStale() const;
    bool canvasIsStale() const;

    class BatchHost;

    platform::Services m_services;
    Module1 &m_module1;
    BinAllocator m_allocateBin;
    core::Recipe m_recipe;
    RecipeEditor m_editRecipe;
    // Counts the pictures put on the canvas. BinBuf belongs to the one converted last, with the
    // recipe it was converted with: a save after either changed would write another picture
    // than the one the user sees described.
    quint64 m_canvasPicture = 0;
    std::optional<quint64> m_convertedPicture;
    core::Recipe m_convertedRecipe;
    // The canvas shows a conversion (not the picture as loaded), made with m_convertedRecipe.
    bool m_canvasConverted = false;
    // The file's bytes, from which each conversion loads the picture as its recipe wants it
    // (shrunk, with transparency), exactly as the command line does. Empty for the canvas
    // before the first picture.
    core::Bytes m_canvasBytes;
    QPointer<frmAbout> m_about;
    QString m_canvasSource; // the file the canvas's picture came from
    QMargins m_fittedFrame{-1, -1, -1, -1};
};
