#pragma once
// Where the program keeps its ini file and where file dialogs start.
#include <QString>

namespace tc::ui {

enum class FolderUse {
    ProgramSettings, // the ini file: else the user's configuration folder
    UserFiles,       // settings and journal files: else Documents (or home)
};

// The program's own folder when the user may write there (a build tree, a
// copy unpacked by the user), else the user's folder for that use. The
// check writes a probe file, so a read-only mount counts as not writable
// whatever its permission bits say.
QString PreferredFolder(FolderUse use);

} // namespace tc::ui
