// Pictures dropped on the window: OPEN for one, AUTO for several, each as if chosen in its
// dialog.
#include "drop.h"
#include "form1.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>

using namespace main_window;

void Form1::dragEnterEvent(QDragEnterEvent *event)
{
    // Ignored, the drag shows the no-entry cursor; nothing else is said.
    if (classifyDrop(event->mimeData()->urls()).command != DropCommand::Refuse)
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent *event)
{
    const Drop drop = classifyDrop(event->mimeData()->urls());
    if (drop.command == DropCommand::Refuse)
        return;
    event->acceptProposedAction();
    // Run once the drop is over: the command's message boxes would otherwise hold up the
    // program the files came from until they are closed.
    QTimer::singleShot(0, this, [this, drop] {
        if (drop.command == DropCommand::Open)
            OPEN(drop.paths.front());
        else
            AUTO(drop.paths);
    });
}
