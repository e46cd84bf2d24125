#include "ui/Folders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tc::ui {

namespace {

QString& Remembered()
{
    static QString folder;
    return folder;
}

} // namespace

QString PreferredFolder(FolderUse use)
{
    if (use == FolderUse::ProgramSettings)
        return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)).filePath(QStringLiteral("tripconf"));
    if (const QString last = LastFolder(); !last.isEmpty())
        return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() || !QFileInfo(documents).isDir() ? QDir::homePath() : documents;
}

void RememberFolderOf(const QString& file)
{
    if (!file.isEmpty())
        SetLastFolder(QFileInfo(file).absolutePath());
}

QString LastFolder()
{
    const QString& folder = Remembered();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void SetLastFolder(const QString& folder)
{
    Remembered() = folder;
}

} // namespace tc::ui
