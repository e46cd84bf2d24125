// Files that reach the main window from outside: the command line's FILE, a
// second start's FILE (through the single-instance guard) and a drop.
#include "app/MainWindow.h"

#include "ui/Text.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QUrl>

namespace tc::ui {
namespace {

// The first local file of a drag, or empty.
QString DraggedFile(const QMimeData* data)
{
    if (data == nullptr)
        return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return {};
}

} // namespace

bool MainWindow::Busy() const
{
    return transferRunning_ || QApplication::activeModalWidget() != nullptr;
}

bool MainWindow::OpenHandedFile(const QString& file)
{
    if (Busy()) {
        // Not queued: the user opens it again when the window is free.
        statusLine->setText(QTr("Окно занято (идёт обмен с МК, или открыт редактор настроек или просмотр журналов): файл \"%1\" не открыт. "
                                "Откройте его, когда окно освободится.",
                                "The window is busy (a transfer runs, or the settings editor or the journal viewer is open): the file \"%1\" "
                                "was not opened. Open it when the window is free.")
                                .arg(QDir::toNativeSeparators(file))
                                .toHtmlEscaped());
        return false;
    }
    return OpenSettingsFile(QFileInfo(file).absoluteFilePath());
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DraggedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QString file = DraggedFile(event->mimeData());
    if (file.isEmpty())
        return;
    event->acceptProposedAction();
    OpenHandedFile(file);
}

} // namespace tc::ui
