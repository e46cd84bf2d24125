// tripconf: the desktop program.
#include "app/IniFile.h"
#include "app/MainWindow.h"
#include "app/RestorePointsDialog.h"
#include "app/SingleInstance.h"
#include "app/Wiring.h"
#include "common/Language.h"
#include "editor/SettingsCompare.h"
#include "editor/ui/ChangesQuestion.h"
#include "editor/ui/SettingsEditor.h"
#include "model/ReferenceLayout.h"
#include "ui/Prompter.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDialog>
#include <QFileInfo>
#include <QScrollArea>
#include <QTabWidget>
#include <QTimer>

#include <memory>
#include <utility>

namespace {

// Opens the settings editor on the reference settings of model 0xC000 at the
// page `pageKey`, saves a picture of it and cancels the edit (for the documentation).
int SaveEditorPicture(const QString& file, const QString& pageKey, bool english)
{
    tc::EnglishVersion = english;
    tc::SettingsModel model;
    tc::LoadReferenceImage(model, 0xC000);
    bool saved = false;
    tc::EditSettings(model, [&](tc::EditSession& session) {
        tc::ui::SettingsEditor editor(session);
        // "display.x4": a page, then one of its sub-pages.
        const QString page = pageKey.section(QLatin1Char('.'), 0, 0);
        if (auto* tab = editor.pages->findChild<QScrollArea*>(page + QStringLiteral(".tab")))
            editor.pages->setCurrentWidget(tab);
        if (pageKey.contains(QLatin1Char('.')))
            if (auto* sub = editor.findChild<QWidget*>(pageKey))
                for (QWidget* w = sub; w && w->parentWidget(); w = w->parentWidget())
                    if (auto* tabs = qobject_cast<QTabWidget*>(w->parentWidget()->parentWidget()); tabs && tabs->indexOf(w) >= 0) {
                        tabs->setCurrentWidget(w);
                        break;
                    }
        editor.show();
        QApplication::processEvents();
        saved = editor.grab().save(file, "PNG");
        return false;
    });
    return saved ? 0 : 1;
}

// The restore-point list of the user's data folder as a picture (for the documentation).
int SaveRestorePointsPicture(const QString& file, bool english)
{
    tc::EnglishVersion = english;
    const tc::RestorePoints store(tc::RestorePoints::DefaultFolder());
    tc::ui::RestorePointsDialog dialog(store.List(), QString::fromStdString(store.Folder()));
    dialog.show();
    QApplication::processEvents();
    return dialog.grab().save(file, "PNG") ? 0 : 1;
}

// The question before a write, for reference settings of model 0xC000 on the
// device and a few edits to write (for the documentation).
int SaveCompareDialogPicture(const QString& file, bool english)
{
    tc::EnglishVersion = english;
    tc::SettingsModel device;
    tc::LoadReferenceImage(device, 0xC000);
    tc::EditSettings(device, [](tc::EditSession&) { return true; });
    tc::SettingsModel next = device;
    tc::EditSettings(next, [](tc::EditSession& session) {
        for (const auto& [key, value] : {std::pair{"corrections.speed", "4.5"}, {"corrections.petrol", "-2.0"}, {"sources.tank_volume", "60"},
                                         {"limits.speed", "110"}, {"limits.battery_low", "11.8"}})
            session.Commit(key, value, true);
        return true;
    });
    next.Record(9)[80] ^= 0x1F; // a palette colour, outside the controls
    std::unique_ptr<QDialog> dialog(tc::ui::MakeTableQuestionDialog(tc::ui::WriteChangesQuestion(tc::CompareSettings(device, next)), nullptr));
    dialog->show();
    QApplication::processEvents();
    return dialog->grab().save(file, "PNG") ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tripconf"));
    // The window is laid out in pixels for a 9-point interface font.
    QFont font = QApplication::font();
    font.setPointSize(9);
    QApplication::setFont(font);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Configures the trip computer's settings."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
        QStringLiteral("Use this serial device (for example a pseudo-terminal of the simulator) instead of the saved port."),
        QStringLiteral("device"));
    const QCommandLineOption iniOption(QStringLiteral("ini"), QStringLiteral("Keep the settings of the program in this ini file."),
                                       QStringLiteral("file"));
    const QCommandLineOption screenshotOption(QStringLiteral("screenshot"),
        QStringLiteral("Save a picture of the main window to this PNG file and quit (for the documentation)."),
        QStringLiteral("file"));
    const QCommandLineOption editorScreenshotOption(QStringLiteral("editor-screenshot"),
        QStringLiteral("Save a picture of the settings editor on the reference settings to this PNG file and quit (for the documentation)."),
        QStringLiteral("file"));
    const QCommandLineOption pageOption(QStringLiteral("page"),
        QStringLiteral("The editor page of --editor-screenshot: corrections, sources, limits, display…; a sub-page after a dot: display.x4"), QStringLiteral("key"),
        QStringLiteral("corrections"));
    const QCommandLineOption restorePointsScreenshotOption(QStringLiteral("restore-points-screenshot"),
        QStringLiteral("Save a picture of the restore-point list to this PNG file and quit (for the documentation)."),
        QStringLiteral("file"));
    const QCommandLineOption compareScreenshotOption(QStringLiteral("compare-screenshot"),
        QStringLiteral("Save a picture of the question before a write, with its list of changes, to this PNG file and quit (for the documentation)."),
        QStringLiteral("file"));
    const QCommandLineOption englishOption(QStringLiteral("english"),
        QStringLiteral("English texts for --editor-screenshot, --restore-points-screenshot and --compare-screenshot."));
    parser.addOption(portOption);
    parser.addOption(screenshotOption);
    parser.addOption(iniOption);
    parser.addOption(editorScreenshotOption);
    parser.addOption(pageOption);
    parser.addOption(restorePointsScreenshotOption);
    parser.addOption(compareScreenshotOption);
    parser.addOption(englishOption);
    parser.process(app);
    if (parser.isSet(restorePointsScreenshotOption))
        return SaveRestorePointsPicture(parser.value(restorePointsScreenshotOption), parser.isSet(englishOption));
    if (parser.isSet(compareScreenshotOption))
        return SaveCompareDialogPicture(parser.value(compareScreenshotOption), parser.isSet(englishOption));
    if (parser.isSet(editorScreenshotOption))
        return SaveEditorPicture(parser.value(editorScreenshotOption), parser.value(pageOption), parser.isSet(englishOption));

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
    if (parser.isSet(screenshotOption)) {
        QTimer::singleShot(500, &form, [&] {
            const bool saved = form.grab().save(parser.value(screenshotOption), "PNG");
            form.close();
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
