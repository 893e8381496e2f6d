// frmAbout: the version information window with the description and the warning about
// protected pictures. Modeless and without owner; at most one exists at a time.
#pragma once

#include "platform/services.h"

#include <QDialog>

class QLabel;
class QPushButton;

class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(platform::Application &application, QWidget *parent = nullptr);

    // The texts as written, blanks included; the labels break them at the runs of blanks.
    static QString descriptionText();
    // The system the program runs on, in full-width letters: "Ｗｉｎｄｏｗｓ", "Ｌｉｎｕｘ".
    static QString systemName();
    static QString warningText();

    QLabel *picIcon = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblDescription = nullptr;
    QLabel *Label1 = nullptr;
    QPushButton *cmdOK = nullptr;

public slots:
    void cmdOK_Click();
    // Esc: the OK button is the cancel button too.
    void reject() override { cmdOK_Click(); }

protected:
    // Closing unloads the window; QDialog would route it through reject() instead.
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void Form_Load();

    platform::Application &m_application;
};
