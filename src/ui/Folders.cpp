#include "ui/Folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace tc::ui {

namespace {

bool FolderIsWritable(const QString& folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    QFile probe(QDir(folder).filePath(QStringLiteral(".tripconf-write-probe")));
    if (!probe.open(QIODevice::WriteOnly))
        return false;
    probe.close();
    probe.remove();
    return true;
}

} // namespace

QString PreferredFolder(FolderUse use)
{
    const QString program = QCoreApplication::applicationDirPath();
    if (FolderIsWritable(program))
        return program;
    if (use == FolderUse::ProgramSettings)
        return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

} // namespace tc::ui
