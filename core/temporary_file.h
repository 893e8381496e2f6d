// A file written beside its target, to take the target's place only once it is complete. Where
// the system allows (Linux), the file has no name until then, so that a process killed while
// writing leaves nothing behind; elsewhere, and on file systems without such files (the FAT of
// a memory card), it is named NAME.xxxxxxxx~ until it is renamed, and removed on any failure.
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
    bool open();

    // Gives the file the permissions of the file it will replace.
    void keepPermissionsOf(const QString &existing);

    // Puts the written file in the target's place; the reason when that failed.
    QString replace();

private:
    QString newName() const;

    QString m_target;
    QString m_named;
    [[maybe_unused]] bool m_unnamed = false;
};

} // namespace core
