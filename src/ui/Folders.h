#pragma once
// Where the program keeps its ini file and where file dialogs start.
#include <QString>

namespace tc::ui {

enum class FolderUse {
    ProgramSettings, // the ini file: the user's configuration folder
    UserFiles,       // settings and journal files: the last folder used, else Documents (or home)
};

// The folder for that use; never the program's own folder (an installed
// program's folder is not the user's, and a build tree is no place for
// the user's files).
QString PreferredFolder(FolderUse use);

// Notes the folder of a file the user chose in a file dialog, so that the
// next dialog of any window starts there (AskFile calls it).
void RememberFolderOf(const QString& file);
// The remembered folder, empty when none (or it is gone); and setting it
// directly (the main window keeps it in its ini file).
QString LastFolder();
void SetLastFolder(const QString& folder);

} // namespace tc::ui
