#include "app/IniFile.h"

#include "ui/Folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace tc::ui {

namespace {

QString Key(const std::string& section, const std::string& key)
{
    return QString::fromStdString(section) + '/' + QString::fromStdString(key);
}

} // namespace

IniFile::IniFile(const QString& fileName) : fileName_(fileName)
{
    if (!QFileInfo::exists(fileName_)) {
        QDir().mkpath(QFileInfo(fileName_).absolutePath());
        QFile file(fileName_);
        if (file.open(QIODevice::WriteOnly))
            file.write(" \r\n");
    }
    settings_ = std::make_unique<QSettings>(fileName_, QSettings::IniFormat);
}

IniFile::~IniFile() = default;

QString IniFile::DefaultFileName()
{
    const QString target = QDir(PreferredFolder(FolderUse::ProgramSettings)).filePath(QStringLiteral("tripconf.ini"));
    const QFileInfo program(QCoreApplication::applicationFilePath());
    MoveOldFile(program.dir().filePath(program.completeBaseName() + QStringLiteral(".ini")), target);
    return target;
}

bool IniFile::MoveOldFile(const QString& oldFile, const QString& target)
{
    if (QFileInfo::exists(target) || !QFileInfo(oldFile).isFile())
        return false;
    QDir().mkpath(QFileInfo(target).absolutePath());
    // Through a temporary file, so that a copy cut short never stands as the ini.
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    if (!QFile::copy(oldFile, part) || !QFile::rename(part, target)) {
        QFile::remove(part);
        return false;
    }
    QFile::remove(oldFile);
    return true;
}

int IniFile::ReadInteger(const std::string& section, const std::string& key, int fallback)
{
    bool ok = false;
    const int value = settings_->value(Key(section, key)).toString().trimmed().toInt(&ok, 0);
    return ok ? value : fallback;
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int value)
{
    settings_->setValue(Key(section, key), QString::number(value));
}

std::string IniFile::ReadString(const std::string& section, const std::string& key, const std::string& fallback)
{
    const QVariant value = settings_->value(Key(section, key));
    return value.isValid() ? value.toString().toStdString() : fallback;
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    settings_->setValue(Key(section, key), QString::fromStdString(value));
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool fallback)
{
    const QString text = settings_->value(Key(section, key)).toString().trimmed();
    if (text.isEmpty())
        return fallback;
    bool ok = false;
    const int n = text.toInt(&ok);
    if (ok)
        return n != 0;
    return text.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0;
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value)
{
    WriteInteger(section, key, value ? 1 : 0);
}

void IniFile::ReadFormPlacement(const std::string& section, QWidget& form)
{
    const int currentState = form.isMaximized() ? 2 : form.isMinimized() ? 1 : 0;
    const int state = ReadInteger(section, "State", currentState);
    if (state == 2) {
        form.setWindowState(Qt::WindowMaximized);
        return;
    }
    if (state == 1)
        form.setWindowState(Qt::WindowMinimized);
    const int left = std::max(0, ReadInteger(section, "Left", form.x()));
    const int top = std::max(0, ReadInteger(section, "Top", form.y()));
    form.move(left, top);
    const bool sizeable = form.minimumSize() != form.maximumSize();
    if (sizeable) {
        int width = ReadInteger(section, "Width", form.width());
        int height = ReadInteger(section, "Height", form.height());
        form.resize(width < 0 ? 100 : width, height < 0 ? 100 : height);
    }
    KeepOnScreen(form);
}

void IniFile::KeepOnScreen(QWidget& form)
{
    // The screen the window's middle is on, else the primary one (a screen
    // unplugged since, or a smaller resolution now).
    const QScreen* screen = QGuiApplication::screenAt(form.geometry().center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    if (form.minimumSize() != form.maximumSize())
        form.resize(std::min(form.width(), area.width()), std::min(form.height(), area.height()));
    const int x = std::clamp(form.x(), area.left(), std::max(area.left(), area.right() + 1 - form.width()));
    const int y = std::clamp(form.y(), area.top(), std::max(area.top(), area.bottom() + 1 - form.height()));
    if (QPoint(x, y) != form.pos())
        form.move(x, y);
}

void IniFile::WriteFormPlacement(const std::string& section, const QWidget& form)
{
    WriteInteger(section, "State", form.isMaximized() ? 2 : form.isMinimized() ? 1 : 0);
    WriteInteger(section, "Left", form.x());
    WriteInteger(section, "Top", form.y());
    WriteInteger(section, "Width", form.width());
    WriteInteger(section, "Height", form.height());
}

void IniFile::UpdateFile()
{
    settings_->sync();
}

} // namespace tc::ui
