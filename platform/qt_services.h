// The product's implementations of the platform services, on top of Qt.
#pragma once

#include "services.h"

namespace platform {

class QtMessageBox final : public MessageBox
{
public:
    void show(const QString &text, const QString &title) override;
    bool ask(const QString &text, const QString &title) override;
};

class QtDisplayCaps final : public DisplayCaps
{
public:
    int bitsPerPixel(const QWidget *window) const override;
    int horizontalResolution(const QWidget *window) const override;
};

class QtApplication final : public Application
{
public:
    Version version() const override;
    QString executableFolder() const override;
    void endNow() override;
    void setBusy(bool busy) override;
};

// Qt's own file dialog rather than the desktop's, so that it behaves the same everywhere.
class QtFileDialog final : public FileDialogBackend
{
public:
    std::optional<QStringList> run(const Request &request) override;
};

// All of them, for main().
struct QtServices
{
    QtMessageBox messageBox;
    QtDisplayCaps displayCaps;
    QtApplication application;
    QtFileDialog fileDialog;

    Services services() { return {messageBox, displayCaps, application, fileDialog}; }
};

} // namespace platform
