#pragma once
// IniFile: the application's ini file. It lies beside the program file
// (same name, extension ".ini") when that folder is writable, otherwise in
// the user's configuration folder. Sections "Common", "MainWindow", "RS232".
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

    // The ini file of this program: beside the program when writable.
    static QString DefaultFileName();

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

    // Writes everything to disk now.
    void UpdateFile();
    const QString& FileName() const { return fileName_; }

private:
    QString fileName_;
    std::unique_ptr<QSettings> settings_;
};

} // namespace tc::ui
