// The one file dialog object that all file commands share. Like the control it stands for, it
// keeps Filter, Flags and FileName from one use to the next; each command sets only what it
// needs and reads FileName afterwards.
#pragma once

#include "services.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace platform {

class CommonDialog
{
public:
    // Option bits that matter here.
    static constexpr std::uint32_t AllowMultiSelect = 0x200;
    static constexpr std::uint32_t Explorer = 0x80000;

    CommonDialog(FileDialogBackend &backend, QWidget *owner)
        : m_backend(backend)
        , m_owner(owner)
    {}

    QString Filter;
    std::uint32_t Flags = 0;
    QString FileName;
    // Where the dialog opens while FileName names no folder (BINSAVE clears it).
    QString InitDir;

    // False when the user cancelled; FileName is then unchanged.
    bool ShowOpen();
    bool ShowSave();

private:
    bool show(FileDialogBackend::Mode mode);

    FileDialogBackend &m_backend;
    QWidget *m_owner;
};

// The FileName of a multi-selection: the folder (no trailing separator unless it is a root),
// then for each file a NUL and its bare name. One path stays a plain full path. Paths use the
// platform's native separator.
QString multiSelectionFileName(const QStringList &paths);

// Where a file dialog opens, and the name it offers there: the folder that FileName names (a
// multi-selection's, a folder itself, or a file's, offering the file), else `initDir`.
struct DialogStart
{
    QString folder;
    QString name;
};
DialogStart dialogStart(const QString &fileName, const QString &initDir);

} // namespace platform
