// A file written beside its target, to take the target's place only once it is complete. Where
// the system allows (Linux), the file has no name until then, so that a process killed while
// writing leaves nothing behind; elsewhere, and on file systems without such files (the FAT of
// a memory card), it is named NAME.xxxxxxxx~ until it is renamed, and removed on any failure
// or, through removeTemporaryFiles(), when the process is interrupted.
#pragma once

#include <QFile>
#include <QString>

namespace core {

class TemporaryFile : public QFile
{
public:
    explicit TemporaryFile(const QString &target);
    ~TemporaryFile() override;

    // Opens a new file for writing in the target's folder.
    bool create();

    // Gives the file the permissions of the file it will replace.
    void keepPermissionsOf(const QString &existing);

    // Puts the written file in the target's place; the reason when that failed.
    QString replace();

private:
    QString newName() const;
    void setNamed(const QString &name);

    QString m_target;
    QString m_named;
    char *m_registered = nullptr; // m_named as the system spells it, while it is registered
    [[maybe_unused]] bool m_unnamed = false;
};

// Removes the named temporary files of every TemporaryFile still at work in the process. Safe
// in a signal handler: it only unlinks names made ready beforehand, and frees nothing.
void removeTemporaryFiles() noexcept;

} // namespace core
