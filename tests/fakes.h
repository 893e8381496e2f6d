// Scripted stand-ins for the platform services: they record what the windows asked for and
// answer as the test says, so that no test ever blocks on a modal window.
#pragma once

#include "platform/services.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <deque>
#include <optional>

namespace testing {

struct FakeMessageBox final : platform::MessageBox
{
    QList<QPair<QString, QString>> shown; // text, title

    void show(const QString &text, const QString &title) override { shown.append({text, title}); }
};

struct FakeDisplayCaps final : platform::DisplayCaps
{
    int bits = 32;
    int width = 1024;
    int asked = 0;

    int bitsPerPixel(const QWidget *) const override
    {
        ++const_cast<FakeDisplayCaps *>(this)->asked;
        return bits;
    }
    int horizontalResolution(const QWidget *) const override { return width; }
};

struct FakeApplication final : platform::Application
{
    platform::Version versionNumbers{1, 0, 0};
    QString folder;
    int ended = 0;
    int busyDepth = 0;
    QList<bool> busyCalls;

    platform::Version version() const override { return versionNumbers; }
    QString executableFolder() const override { return folder; }
    void endNow() override { ++ended; }
    void setBusy(bool busy) override
    {
        busyCalls << busy;
        busyDepth += busy ? 1 : -1;
    }
};

// Answers each dialog with the next scripted reply: a list of chosen paths, or a cancel.
struct FakeFileDialog final : platform::FileDialogBackend
{
    struct Reply
    {
        bool cancelled = true;
        QStringList paths;
    };
    std::deque<Reply> replies;
    QList<Request> requests;

    void choose(const QStringList &paths) { replies.push_back({false, paths}); }
    void cancel() { replies.push_back({}); }

    std::optional<QStringList> run(const Request &request) override
    {
        requests << request;
        if (replies.empty())
            return std::nullopt;
        const Reply reply = replies.front();
        replies.pop_front();
        if (reply.cancelled)
            return std::nullopt;
        return reply.paths;
    }
};

struct FakeServices
{
    FakeMessageBox messageBox;
    FakeDisplayCaps displayCaps;
    FakeApplication application;
    FakeFileDialog fileDialog;

    platform::Services services() { return {messageBox, displayCaps, application, fileDialog}; }
};

} // namespace testing
