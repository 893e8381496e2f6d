// What a drop of files on the main window runs: one picture is opened, several from one folder
// go through a batch run. Anything else is refused while it is still being dragged.
#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>

namespace main_window {

enum class DropCommand
{
    Refuse,
    Open,
    Batch
};

struct Drop
{
    DropCommand command = DropCommand::Refuse;
    QStringList paths; // native separators, as the file dialog gives them
};

// Only existing BMP, JPEG, PNG and GIF files by their names, as the open dialogs offer them, and
// for a batch all in one folder, since a multi-selection names one folder.
Drop classifyDrop(const QList<QUrl> &urls);

} // namespace main_window
