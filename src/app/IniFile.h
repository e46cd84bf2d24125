#pragma once
// IniFile: the application's ini file, in the user's configuration folder
// ($XDG_CONFIG_HOME/tripconf/tripconf.ini); never beside the program.
// Sections "Common", "MainWindow", "RS232".
#include "link/IniAccess.h"

#include <QSettings>
#include <QString>

#include <memory>

class QWidget;

namespace tc::ui {

class IniFile : public IniAccess {
public:
    // Opens (creating with a single space line when missing) the given file.
    explicit IniFile(const QString& fileName);
    ~IniFile() override;

    // The ini file of this program in the user's configuration folder. An
    // ini that an earlier version left beside the program is moved there
    // first, once (see MoveOldFile).
    static QString DefaultFileName();
    // Moves `oldFile` to `target` when `target` does not exist yet: copied,
    // then the old one removed (a folder the user may not write keeps it,
    // unread from now on). Returns true when `target` now holds its settings.
    static bool MoveOldFile(const QString& oldFile, const QString& target);

    int ReadInteger(const std::string& section, const std::string& key, int fallback) override;
    void WriteInteger(const std::string& section, const std::string& key, int value) override;
    std::string ReadString(const std::string& section, const std::string& key, const std::string& fallback) override;
    void WriteString(const std::string& section, const std::string& key, const std::string& value) override;
    bool ReadBool(const std::string& section, const std::string& key, bool fallback);
    void WriteBool(const std::string& section, const std::string& key, bool value); // written as 1 or 0

    // "State" (0 normal, 1 minimised, 2 maximised), "Left", "Top", and for
    // resizable windows "Width", "Height".
    void ReadFormPlacement(const std::string& section, QWidget& form);
    void WriteFormPlacement(const std::string& section, const QWidget& form);
    // Moves (and for resizable windows shrinks) a window until it lies
    // inside the available area of the screen its middle is on, else of the
    // primary screen; ReadFormPlacement ends with it.
    static void KeepOnScreen(QWidget& form);

    // Writes everything to disk now.
    void UpdateFile();
    const QString& FileName() const { return fileName_; }

private:
    QString fileName_;
    std::unique_ptr<QSettings> settings_;
};

} // namespace tc::ui
