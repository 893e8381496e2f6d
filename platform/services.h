// The platform services the windows use, each behind a small interface of our own, so that
// the product passes Qt's implementations and a test passes fakes that record and answer.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

class QWidget;

namespace platform {

// Modal message boxes without an icon in the text: a notice with a single OK button, and a
// question with Yes and No.
class MessageBox
{
public:
    virtual ~MessageBox() = default;
    virtual void show(const QString &text, const QString &title) = 0;
    // True for Yes. No is the default answer, so Enter or Esc at once changes nothing.
    virtual bool ask(const QString &text, const QString &title) = 0;
};

// What the splash window checks: the colour depth and width in pixels of its screen.
class DisplayCaps
{
public:
    virtual ~DisplayCaps() = default;
    virtual int bitsPerPixel(const QWidget *window) const = 0;
    virtual int horizontalResolution(const QWidget *window) const = 0;
};

struct Version
{
    int major = 0;
    int minor = 0;
    int revision = 0;
};

class Application
{
public:
    virtual ~Application() = default;
    virtual Version version() const = 0;
    virtual QString executableFolder() const = 0;
    // Ends the program at once: no window gets a close event, nothing is asked or saved.
    virtual void endNow() = 0;
    // The hourglass over the whole screen; see BusyCursor.
    virtual void setBusy(bool busy) = 0;
};

// Shows the busy cursor for its lifetime, so that the cursor comes back however a command
// ends, by return or by exception.
class [[nodiscard]] BusyCursor
{
public:
    explicit BusyCursor(Application &app)
        : m_app(app)
    {
        m_app.setBusy(true);
    }
    ~BusyCursor() { m_app.setBusy(false); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

private:
    Application &m_app;
};

// The file dialog itself; CommonDialog keeps the state around it.
class FileDialogBackend
{
public:
    enum class Mode
    {
        Open,
        Save
    };

    struct Request
    {
        Mode mode = Mode::Open;
        QString filter; // "description|pattern|description|pattern"
        std::uint32_t flags = 0;
        QString fileName; // preselected
        QString initDir;  // where to open when fileName names no folder
        QWidget *owner = nullptr;
    };

    virtual ~FileDialogBackend() = default;
    // The chosen paths, or nothing when the user cancelled. Several only for an open dialog
    // that allows a multi-selection.
    virtual std::optional<QStringList> run(const Request &request) = 0;
};

// Everything a window may need, handed to its constructor.
struct Services
{
    MessageBox &messageBox;
    DisplayCaps &displayCaps;
    Application &application;
    FileDialogBackend &fileDialog;
};

} // namespace platform
