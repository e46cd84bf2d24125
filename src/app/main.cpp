// tripconf: the desktop program.
#include "app/IniFile.h"
#include "app/MainWindow.h"
#include "app/SingleInstance.h"
#include "app/Wiring.h"
#include "common/Version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tripconf"));
    QApplication::setApplicationVersion(QString::fromStdString(tc::VersionText()));
    // The window is laid out in pixels for a 9-point interface font.
    QFont font = QApplication::font();
    font.setPointSize(9);
    QApplication::setFont(font);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Configures the trip computer's settings."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
        QStringLiteral("Use this serial device (for example a pseudo-terminal of the simulator) instead of the saved port."),
        QStringLiteral("device"));
    const QCommandLineOption iniOption(QStringLiteral("ini"), QStringLiteral("Keep the settings of the program in this ini file."),
                                       QStringLiteral("file"));
    parser.addOption(portOption);
    parser.addOption(iniOption);
    parser.process(app);

    // A second copy brings the running window to the front and ends at once.
    tc::ui::SingleInstance justOne(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    if (!justOne.IsFirst())
        return 0;

    tc::ui::MainWindow::Options options;
    options.iniFile = parser.isSet(iniOption) ? parser.value(iniOption) : tc::ui::IniFile::DefaultFileName();
    options.portDevice = parser.value(portOption);

    tc::DeviceLink link;
    tc::SettingsModel model;
    tc::ui::MainWindow form(link, model, options);
    tc::ui::WireDialogs(form);
    QObject::connect(&justOne, &tc::ui::SingleInstance::Activate, &form, &tc::ui::MainWindow::bringToFront);
    form.show();
    return app.exec();
}
