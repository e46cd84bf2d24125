// tripconf: the desktop program.
#include "app/IniFile.h"
#include "app/MainWindow.h"
#include "app/SingleInstance.h"
#include "app/Wiring.h"
#include "common/Version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>
#include <cstring>

namespace {

struct CommandLine {
    QCommandLineParser parser;
    QCommandLineOption portOption{QStringLiteral("port"),
        QStringLiteral("Use this serial device (for example a pseudo-terminal of the simulator) instead of the saved port."),
        QStringLiteral("device")};
    QCommandLineOption iniOption{QStringLiteral("ini"), QStringLiteral("Keep the settings of the program in this ini file."),
                                 QStringLiteral("file")};

    CommandLine()
    {
        parser.setApplicationDescription(QStringLiteral(
            "Configures the trip computer's settings. FILE, a settings file (.qvetp, .qvetg), is opened at start as \"Read settings "
            "from a file on disk\" opens it; while the window runs, starting tripconf FILE again hands FILE to it."));
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addOption(portOption);
        parser.addOption(iniOption);
        parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A settings file to open."), QStringLiteral("[FILE]"));
    }
};

// --help and --version answer without a display.
bool AsksForHelpOrVersion(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"-h", "--help", "--help-all", "-?", "-v", "--version"})
            if (std::strcmp(argv[i], option) == 0)
                return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    const QString version = QString::fromStdString(tc::VersionText());
    if (AsksForHelpOrVersion(argc, argv)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("tripconf"));
        QCoreApplication::setApplicationVersion(version);
        CommandLine line;
        line.parser.process(app); // prints and exits
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tripconf"));
    QApplication::setApplicationVersion(version);
    // The window is laid out in pixels for a 9-point interface font.
    QFont font = QApplication::font();
    font.setPointSize(9);
    QApplication::setFont(font);

    CommandLine line;
    line.parser.process(app);
    const QStringList files = line.parser.positionalArguments();
    if (files.size() > 1) {
        fputs(qPrintable(QStringLiteral("tripconf: one FILE at most, got %1 (tripconf --help)\n").arg(files.size())), stderr);
        return 2;
    }
    const QString file = files.isEmpty() ? QString() : QFileInfo(files.front()).absoluteFilePath();

    // A second copy brings the running window to the front, hands it FILE and ends at once.
    tc::ui::SingleInstance justOne(QFileInfo(QCoreApplication::applicationFilePath()).fileName(), {}, nullptr, file);
    if (!justOne.IsFirst())
        return 0;

    tc::ui::MainWindow::Options options;
    options.iniFile = line.parser.isSet(line.iniOption) ? line.parser.value(line.iniOption) : tc::ui::IniFile::DefaultFileName();
    options.portDevice = line.parser.value(line.portOption);
    options.openFile = file;

    tc::DeviceLink link;
    tc::SettingsModel model;
    tc::ui::MainWindow form(link, model, options);
    tc::ui::WireDialogs(form);
    QObject::connect(&justOne, &tc::ui::SingleInstance::Activate, &form, &tc::ui::MainWindow::bringToFront);
    QObject::connect(&justOne, &tc::ui::SingleInstance::OpenFile, &form, &tc::ui::MainWindow::OpenHandedFile);
    form.show();
    return app.exec();
}
