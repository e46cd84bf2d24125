// The main window against tripsim on a real pseudo-terminal.
#include "app/IniFile.h"
#include "app/MainWindow.h"
#include "app/ProgressWindow.h"
#include "app/RestorePointsDialog.h"
#include "catalogs/Catalogs.h"
#include "common/Bytes.h"
#include "common/Error.h"
#include "common/Language.h"
#include "editor/EditSession.h"
#include "editor/SettingsCompare.h"
#include "editor/SettingsText.h"
#include "editor/ui/ChangesQuestion.h"
#include "editor/ui/SettingsEditor.h"
#include "link/Transfers.h"
#include "link/ui/PasswordDialog.h"
#include "link/ui/PortDialog.h"
#include "model/ReferenceLayout.h"
#include "model/SettingsFile.h"
#include "ui/Prompter.h"
#include "ui/ScriptedUser.h"
#include "ui/Text.h"

#include <QApplication>
#include <QCheckBox>
#include <functional>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QDoubleSpinBox>
#include <QScrollArea>
#include <QTabWidget>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTableWidget>
#include <QMimeData>
#include <QUrl>
#include <QDropEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace tc;
using namespace tc::ui;

namespace {

// tripsim serving a pty link inside a temporary folder.
class Simulator {
public:
    Simulator(const QString& folder, QStringList options) : link_(folder + "/link"), memory_(folder + "/memory.bin")
    {
        process_.setProgram(QStringLiteral(TRIPSIM_PATH));
        process_.setArguments(QStringList{"--link", link_, "--memory", memory_} + options);
        process_.start();
        // tripsim prints its link once the pty is ready.
        while (process_.state() != QProcess::NotRunning && !process_.canReadLine())
            process_.waitForReadyRead(100);
    }
    ~Simulator()
    {
        process_.terminate();
        if (!process_.waitForFinished(5000))
            process_.kill();
    }
    bool Running() const { return process_.state() == QProcess::Running; }
    const QString& Link() const { return link_; }
    QByteArray Memory() const
    {
        QFile f(memory_);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QString link_, memory_;
    QProcess process_;
};

QByteArray ImageBytes(const SettingsModel& model)
{
    return QByteArray(reinterpret_cast<const char*>(model.Image.data()), static_cast<qsizetype>(model.Image.size()));
}

QByteArray MemoryToImage(const QByteArray& memory)
{
    return memory.mid(32, 4064) + memory.mid(4128);
}

QString RestorePointFolder(const QString& folder)
{
    return folder + "/restore-points";
}

// Opens the restore-point list from the window's button and runs act on it
// while it is shown; the list is closed afterwards if act left it open.
template <typename Act>
bool WithRestorePoints(MainWindow& form, Act act)
{
    bool ran = false;
    QTimer::singleShot(0, &form, [&] {
        auto* dialog = form.findChild<RestorePointsDialog*>();
        if (!dialog || !dialog->isVisible())
            return;
        ran = true;
        act(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    form.restorePointsButton->click();
    return ran;
}

// The simulator, a scripted user and a shown main window set to the simulator's link.
struct Session {
    Simulator sim;
    ScriptedUser user;
    DeviceLink link;
    SettingsModel model;
    std::unique_ptr<MainWindow> form;

    Session(const QString& folder, const QString& ini, QStringList simOptions = {}, bool english = false,
            TransferTiming timing = {})
        : sim(folder, std::move(simOptions))
    {
        MainWindow::Options options;
        options.iniFile = ini;
        options.portDevice = sim.Link();
        options.restorePointFolder = RestorePointFolder(folder);
        options.timing = timing;
        form = std::make_unique<MainWindow>(link, model, options);
        form->show();
        if (english)
            form->englishBox->click();
    }
};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString Ini() const { return dir_.filePath("tripconf.ini"); }

    std::unique_ptr<MainWindow> MakeForm(DeviceLink& link, SettingsModel& model, const QString& port)
    {
        MainWindow::Options options;
        options.iniFile = Ini();
        options.portDevice = port;
        options.restorePointFolder = RestorePointFolder(dir_.path());
        auto form = std::make_unique<MainWindow>(link, model, options);
        form->show();
        return form;
    }

private slots:
    void init()
    {
        // Writes that stopped half way leave their notes; each test starts without.
        for (const QString& note : QDir(RestorePointFolder(dir_.path())).entryList({"write-in-progress-*"}))
            QFile::remove(RestorePointFolder(dir_.path()) + "/" + note);
        QFile::remove(Ini());
        SetWindowLanguage(Language::Russian);
    }

    void readFillsTheModelAndEnablesTheDependentButtons()
    {
        Session s(dir_.path(), Ini());
        QVERIFY(s.sim.Running());
        auto& [sim, user, link, model, form] = s;
        QVERIFY(!form->editButton->isEnabled());
        QSignalSpy progress(form.get(), &MainWindow::TransferProgress);

        form->readFromDeviceButton->click();

        QCOMPARE(user.errors, QStringList());
        QVERIFY(form->editButton->isEnabled());
        QVERIFY(form->viewJournalsButton->isEnabled());
        QVERIFY(form->saveToFileButton->isEnabled());
        QVERIFY(form->writeToDeviceButton->isEnabled());
        QVERIFY(!progress.isEmpty());
        QCOMPARE(progress.last().at(0).toInt(), 100);
        QCOMPARE(model.Image.size(), std::size_t{8128});
        QCOMPARE(ImageBytes(model), MemoryToImage(sim.Memory()));
        QCOMPARE(model.DeviceModelCode, std::uint16_t{0xC000});
        QCOMPARE(model.FormatVersion(), int{kReferenceFormatVersion});
        QVERIFY(!link.IsOpen());
    }

    // A block whose attempts all fail asks whether to go on (the simulator
    // answers block 60 late, after three attempts): yes reads on from that
    // block to the device's exact memory, no ends the read as before.
    void failedBlockAsksToContinue_data()
    {
        QTest::addColumn<bool>("goOn");
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("question");
        QTest::newRow("continue") << true << true << "Block 60 of the device memory could not be read.\n\nContinue?";
        QTest::newRow("stop") << false << false << "Блок 60 памяти МК не прочитан.\n\nПродолжить?";
    }
    void failedBlockAsksToContinue()
    {
        QFETCH(bool, goOn);
        QFETCH(bool, english);
        QFETCH(QString, question);
        Session s(dir_.path(), Ini(), {"--late-block", "60:2500"}, english);
        auto& [sim, user, link, model, form] = s;
        for (int i = 0; i < 10; ++i)
            user.answers.push_back(goOn ? Answer::Yes : Answer::No);

        form->readFromDeviceButton->click();

        QVERIFY(!user.questions.isEmpty());
        for (const QString& q : user.questions)
            QVERIFY2(q == QString(kNoLinkText) + "\n" + question, qPrintable(q));
        if (goOn) {
            QCOMPARE(user.errors, QStringList());
            QCOMPARE(ImageBytes(model), MemoryToImage(sim.Memory()));
            QVERIFY(form->writeToDeviceButton->isEnabled());
        } else {
            QCOMPARE(user.questions.size(), 1);
            // The link's own line, then that nothing was written, the block and what the device did last.
            QCOMPARE(user.errors.size(), 1);
            const QString said = QString(kNoLinkText) + "\n" + (english ? "Nothing was written to the device. " : "В МК ничего не записано. ")
                + question.section('\n', 0, 0);
            QVERIFY2(user.errors[0].startsWith(said), qPrintable(user.errors[0]));
            QVERIFY(model.Image.empty());
            QVERIFY(!form->writeToDeviceButton->isEnabled());
        }
        QVERIFY(!link.IsOpen());
    }

    void silentDeviceWaitsUntilCancelThenChangesNothing()
    {
        Session s(dir_.path(), Ini(), {"--silent"}, true);
        auto& [sim, user, link, model, form] = s;
        QString labelWhileWaiting;
        bool mainBlocked = false;
        connect(form.get(), &MainWindow::TransferStarted, this, [&] {
            QTimer::singleShot(600, this, [&] {
                QVERIFY(form->Progress());
                labelWhileWaiting = form->Progress()->phaseLabel->text();
                mainBlocked = !form->readFromFileButton->isEnabled() && !form->readFromDeviceButton->isEnabled();
                QVERIFY(link.IsOpen());
                form->Progress()->cancelButton->click();
            });
        });

        form->readFromDeviceButton->click();

        QCOMPARE(labelWhileWaiting, QStringLiteral("I can not connect to the device"));
        QVERIFY(mainBlocked);
        QVERIFY(form->readFromFileButton->isEnabled());
        QCOMPARE(user.errors, QStringList());
        QCOMPARE(user.infos, QStringList());
        QVERIFY(!form->editButton->isEnabled());
        QVERIFY(!link.IsOpen());
    }

    void writeToADeviceOfAnotherModelIsRefusedBeforeAnythingIsSent()
    {
        Session s(dir_.path(), Ini(), {}, true);
        auto& [sim, user, link, model, form] = s;
        form->readFromDeviceButton->click();
        const QByteArray before = sim.Memory();

        model.DeviceModelCode = 0x8002;
        model.Record(6)[4] = 99;
        form->writeToDeviceButton->click();

        QCOMPARE(user.errors, QStringList{"The settings version does not match the device version!"});
        QCOMPARE(sim.Memory(), before);
        QVERIFY(form->writeToDeviceButton->isEnabled());
        QVERIFY(!link.IsOpen());
    }

    void writeWithAnotherFormatVersionIsRefused()
    {
        Session s(dir_.path(), Ini(), {}, true);
        auto& [sim, user, link, model, form] = s;
        form->readFromDeviceButton->click();
        const QByteArray before = sim.Memory();

        model.Image[1] = kReferenceFormatVersion + 1; // settings decoded with another layout
        model.ReadDirectory();
        form->writeToDeviceButton->click();

        QCOMPARE(user.errors, QStringList{"The settings version does not match the firmware version!"});
        QCOMPARE(sim.Memory(), before);
    }

    void writeSendsTheEditedRecords()
    {
        Session s(dir_.path(), Ini());
        auto& [sim, user, link, model, form] = s;
        form->readFromDeviceButton->click();
        model.Record(6)[4] = 77;
        model.EncodeSection(6);

        user.answers = {Answer::Yes}; // the changes shown: write them
        form->writeToDeviceButton->click();

        QCOMPARE(user.errors, QStringList());
        QCOMPARE(user.questions.size(), 1);
        QVERIFY2(user.questions[0].startsWith(QString::fromUtf8("В МК будет изменено:")), qPrintable(user.questions[0]));
        // The message says where the device's previous settings were kept.
        const auto points = RestorePoints(RestorePointFolder(dir_.path()).toStdString()).List();
        QVERIFY(!points.empty());
        QCOMPARE(user.infos, QStringList{QString::fromUtf8("Настройки записаны в МК\nОтличались разделы: 1 из 11; записаны и проверены\n\n"
                                                           "Прежние настройки МК сохранены в точке восстановления \"")
                                         + QString::fromStdString(points.back().path) + "\"."});
        const QByteArray memory = sim.Memory();
        const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(memory.constData()), static_cast<std::size_t>(memory.size()));
        const std::size_t section6 = GetU16(bytes, 32 + 4 * 6); // its directory entry in block 1
        QCOMPARE(GetU8(bytes, section6 + 4), std::uint8_t{77});
    }

    // The changes are shown before anything is written: No writes nothing,
    // and settings the device already holds are not written again.
    void writeShowsTheChangesFirst()
    {
        Session s(dir_.path(), Ini());
        auto& [sim, user, link, model, form] = s;
        form->readFromDeviceButton->click();
        const QByteArray before = sim.Memory();
        form->writeToDeviceButton->click(); // nothing edited
        QCOMPARE(user.questions, QStringList());
        QCOMPARE(user.infos, QStringList{QString::fromUtf8("В МК уже эти настройки. Ничего не записано.")});
        QCOMPARE(sim.Memory(), before);

        model.Record(6)[4] ^= 0x11;
        model.EncodeSection(6);
        user.infos.clear();
        form->writeToDeviceButton->click(); // no answer: No
        QCOMPARE(user.questions.size(), 1);
        QVERIFY2(user.questions[0].startsWith(QString::fromUtf8("В МК будет изменено:\n")), qPrintable(user.questions[0]));
        QVERIFY2(user.questions[0].endsWith(QString::fromUtf8("\nЗаписать настройки в МК?\n[Да|Записать все разделы|Нет]")),
                 qPrintable(user.questions[0]));
        QCOMPARE(user.questions[0].count('\n'), 3); // one row (the speed limit at byte 4), no unnamed bytes
        QCOMPARE(user.infos, QStringList());
        QCOMPARE(sim.Memory(), before);
        QVERIFY(!link.IsOpen());
    }

    // The question before a write offers the full write too: Yes sends the
    // one section that differs, "Write every section" all eleven; the
    // dialog's buttons are those three and Esc (or Enter) answers No.
    void writeEverySectionIsOfferedBesideTheChangedOnes_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<int>("sections");
        QTest::newRow("Yes: the changed section") << 0 << 1;
        QTest::newRow("Write every section") << 1 << 11;
    }

    void writeEverySectionIsOfferedBesideTheChangedOnes()
    {
        QFETCH(int, choice);
        QFETCH(int, sections);
        Session s(dir_.path(), Ini(), {}, true);
        auto& [sim, user, link, model, form] = s;
        form->readFromDeviceButton->click();
        model.Record(6)[4] ^= 0x11;
        model.EncodeSection(6);
        user.choices = {choice};
        form->writeToDeviceButton->click();
        QCOMPARE(user.errors, QStringList());
        QCOMPARE(user.questions.size(), 1);
        QVERIFY2(user.questions[0].endsWith("\nWrite the settings to the device?\n[Yes|Write every section|No]"), qPrintable(user.questions[0]));
        QCOMPARE(user.infos.size(), 1);
        const QString said = sections == 1 ? QStringLiteral("1 of 11 sections differed; written and checked")
                                           : QStringLiteral("All 11 sections written and checked; 1 of 11 differed.");
        QVERIFY2(user.infos[0].startsWith("The settings are recorded in the device\n" + said + "\n\n"), qPrintable(user.infos[0]));

        TableQuestion q;
        q.question = QStringLiteral("?");
        const QStringList buttons{"Yes", "Write every section", "No"};
        for (const int key : {int(Qt::Key_Escape), int(Qt::Key_Return)}) {
            std::unique_ptr<QDialog> dialog(MakeTableQuestionDialog(q, nullptr, buttons, 2));
            QStringList shown;
            for (auto* b : dialog->findChildren<QPushButton*>())
                shown << b->text();
            QCOMPARE(shown, buttons);
            dialog->show();
            QTest::keyClick(dialog.get(), Qt::Key(key));
            QCOMPARE(dialog->result(), int(QDialog::Rejected));
        }
        std::unique_ptr<QDialog> dialog(MakeTableQuestionDialog(q, nullptr, buttons, 2));
        dialog->findChild<QPushButton*>("choice1")->click();
        QCOMPARE(dialog->result(), kFirstChoice + 1);
    }

    // Every change has its row however many there are; the dialog fits a
    // 1024 x 600 screen and answers No unless Yes is chosen.
    void theChangesBeforeAWriteAreATableThatFitsTheScreen()
    {
        SettingsModel device;
        LoadReferenceImage(device, 0xC000);
        EditSettings(device, tc::ui::WindowLanguage(), [](EditSession&) { return true; });
        SettingsModel next = device;
        for (auto& b : next.Record(6))
            b = static_cast<std::uint8_t>(~b);
        next.Record(9)[80] ^= 1;
        const SettingsComparison c = CompareSettings(device, next, tc::ui::WindowLanguage());
        QVERIFY(c.settings.size() > 40);
        std::unique_ptr<QDialog> dialog(MakeTableQuestionDialog(WriteChangesQuestion(c), nullptr));
        auto* table = dialog->findChild<QTableWidget*>("rows");
        QVERIFY(table);
        QCOMPARE(table->rowCount(), static_cast<int>(c.settings.size() + c.items.size()));
        for (int r = 0; r < static_cast<int>(c.settings.size()); ++r) {
            const SettingChange& s = c.settings[static_cast<std::size_t>(r)];
            QCOMPARE(table->item(r, 1)->text(), QString::fromStdString(s.caption));
            QCOMPARE(table->item(r, 3)->text().toStdString(), s.after.empty() ? std::string("—") : s.after);
        }
        QVERIFY(dialog->width() <= 1000 && dialog->height() <= 560);
        const auto labels = dialog->findChildren<QLabel*>();
        // The palette colour is a named row; the bytes of record 6 that no setting owns are listed by offset.
        QCOMPARE(table->item(table->rowCount() - 1, 1)->text(), QString::fromUtf8("Палитра · день · Цвет #0"));
        QVERIFY(std::any_of(labels.begin(), labels.end(), [](QLabel* l) {
            return l->text().contains(QString::fromUtf8("Байты, которые не принадлежат ни одному параметру: запись 6, смещение 0, байт: 4"));
        }));
        dialog->show();
        QTest::keyClick(dialog.get(), Qt::Key_Return); // No is the default
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
    }

    // A run after a write to the port was cut off says so at start and offers
    // the unit's last whole settings: Yes loads them and writes them the
    // ordinary way; its restore point is marked as taken of a mix, and the
    // note is gone once that write ended well.
    void cutOffWriteIsSaidAtStartAndItsRestorePointOffered()
    {
        QDir(RestorePointFolder(dir_.path())).removeRecursively();
        Session s(dir_.path(), Ini(), {}, true);
        auto& [sim, user, link, model, form] = s;
        form->readFromDeviceButton->click();
        const std::string port = link.PortPath(static_cast<int>(link.PortNumber));
        SettingsModel whole = model;
        whole.Record(6)[4] ^= 0x11;
        whole.EncodeSection(6);
        const RestorePoints store(RestorePointFolder(dir_.path()).toStdString(), port);
        const std::string point = store.Save(model.DeviceModelCode, whole.Image);
        store.NoteWriteStarted({port, model.DeviceModelCode, "2025-03-01 09:00:00", point, point});

        // The next run of the window on that port.
        form.reset();
        MainWindow::Options options;
        options.iniFile = Ini();
        options.portDevice = sim.Link();
        options.restorePointFolder = RestorePointFolder(dir_.path());
        form = std::make_unique<MainWindow>(link, model, options);
        form->englishBox->setChecked(true);
        user.answers = {Answer::Yes, Answer::Yes}; // write them back; the changes shown: yes
        form->show();
        QTest::qWait(20);
        QCOMPARE(user.errors, QStringList());
        QCOMPARE(user.questions.size(), 2);
        QVERIFY2(user.questions[0].contains(QString::fromStdString(port)) && user.questions[0].contains(QString::fromStdString(point))
                     && user.questions[0].contains("2025-03-01 09:00:00"),
                 qPrintable(user.questions[0]));
        const QByteArray memory = sim.Memory();
        const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(memory.constData()), static_cast<std::size_t>(memory.size()));
        QCOMPARE(GetU8(bytes, GetU16(bytes, 32 + 4 * 6) + 4), whole.Record(6)[4]);
        QVERIFY(!store.CutOffWrite());
        const auto points = store.List();
        QCOMPARE(points.size(), std::size_t{2});
        QVERIFY(points.back().mixed);
        QCOMPARE(points.back().lastWhole, point);
        QVERIFY(WithRestorePoints(*form, [&](RestorePointsDialog& d) {
            QVERIFY2(d.table->item(0, 3)->text().endsWith("(" + ToQ(MixedPointText(WindowLanguage())) + ")"), qPrintable(d.table->item(0, 3)->text()));
            QVERIFY(!d.table->item(1, 3)->text().contains(ToQ(MixedPointText(WindowLanguage()))));
        }));
    }

    // After a write that stopped half way the window offers the device's
    // previous settings: they are loaded and offered for writing.
    void stoppedWriteOffersToRestoreThePreviousSettings()
    {
        QDir(RestorePointFolder(dir_.path())).removeRecursively();
        Session s(dir_.path(), Ini(), {"--stall-after-section", "3"}, true, TransferTiming{std::chrono::milliseconds(1000), std::chrono::milliseconds(200)});
        auto& [sim, user, link, model, form] = s;
        form->readFromDeviceButton->click();
        const QByteArray before = sim.Memory();
        for (int k = 1; k <= kRecordCount; ++k)
            model.Record(k)[1] ^= 0x5A;

        // write the changes: yes; go on after the stalled section: no; restore: yes; write it now: no
        user.answers = {Answer::Yes, Answer::No, Answer::Yes, Answer::No};
        form->writeToDevice();
        user.questions.removeFirst(); // the changes shown before the write
        const QString goOn = user.questions.takeFirst();
        QVERIFY2(goOn.endsWith("Section 4 of 11 could not be written.\n\nContinue?"), qPrintable(goOn));

        QCOMPARE(user.errors.size(), 1);
        QVERIFY2(user.errors[0].contains("Sections already written: 1, 2, 3. The device now holds a mix of new and old settings."),
                 qPrintable(user.errors[0]));
        const auto points = RestorePoints(RestorePointFolder(dir_.path()).toStdString()).List();
        QCOMPARE(points.size(), std::size_t{1});
        const QString point = QString::fromStdString(points[0].path);
        QVERIFY(user.errors[0].contains(point));
        QCOMPARE(user.questions.size(), 2);
        QVERIFY2(user.questions[0].startsWith("Restore the previous settings?") && user.questions[0].contains(point),
                 qPrintable(user.questions[0]));
        QCOMPARE(user.questions[1], QStringLiteral("Write the previous settings to the device now?"));
        // The model holds the device's settings as the write found them.
        QCOMPARE(ImageBytes(model), MemoryToImage(before));
        QVERIFY(form->writeToDeviceButton->isEnabled());
        QVERIFY(!link.IsOpen());
    }

    void checkAfterWritingFollowsItsBoxAndIsRemembered_data()
    {
        QTest::addColumn<bool>("verify");
        QTest::newRow("checked (the default)") << true;
        QTest::newRow("unchecked") << false;
    }

    void checkAfterWritingFollowsItsBoxAndIsRemembered()
    {
        QFETCH(bool, verify);
        {
            Session s(dir_.path(), Ini(), {"--drop-section", "1"}, true); // the one section sent
            auto& [sim, user, link, model, form] = s;
            QVERIFY(form->verifyAfterWriteBox->isChecked());
            form->readFromDeviceButton->click();
            model.Record(2)[1] ^= 0x5A;
            if (!verify)
                form->verifyAfterWriteBox->click();

            user.answers = {Answer::Yes}; // write the changes; then the restore is declined
            form->writeToDevice();

            if (verify) {
                QCOMPARE(user.errors.size(), 1);
                QVERIFY2(user.errors[0].startsWith("The check after writing found that the device did not store section 2 as sent."),
                         qPrintable(user.errors[0]));
                QCOMPARE(user.questions.size(), 2);
            } else {
                QCOMPARE(user.errors, QStringList());
                QCOMPARE(user.infos.size(), 1);
            }
            form->close();
        }
        QCOMPARE(QSettings(Ini(), QSettings::IniFormat).value("Common/VerifyWrite").toString(), verify ? "1" : "0");
    }

    // The whole flow on the simulator: read, edit the speed correction and the
    // protocol in the editor, OK, write; a second read brings both back.
    void editedSettingsReachTheDeviceAndComeBack()
    {
        Session s(dir_.path(), Ini());
        auto& [sim, user, link, model, form] = s;
        form->RunEditor = ExecSettingsEditor;
        form->readFromDeviceButton->click();
        QCOMPARE(user.errors, QStringList());
        QVERIFY(model.ModelCatalog().Protocols.size() > 3);
        const int chosen = GetU16(model.Record(10), 4) == 2 ? 3 : 2;

        // The user's edits, done on the open dialog.
        const auto edit = [&] {
            auto* dialog = qobject_cast<SettingsEditor*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QApplication::setActiveWindow(dialog);
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            auto* speed = dialog->Control("corrections.speed")->spin;
            dialog->pages->setCurrentWidget(dialog->PageTab(Page::Corrections));
            speed->setFocus(Qt::TabFocusReason);
            speed->selectAll();
            QTest::keyClicks(speed, "4.5");
            QTest::keyClick(speed, Qt::Key_Tab);
            dialog->pages->setCurrentWidget(dialog->PageTab(Page::Sources));
            auto* detection = dialog->Control("sources.detection")->combo;
            detection->setFocus(Qt::TabFocusReason);
            QTest::keyClick(detection, Qt::Key_End); // manual choice, the last item
            auto* protocol = dialog->Control("sources.protocol")->combo;
            QVERIFY(protocol->isVisible());
            protocol->setFocus(Qt::TabFocusReason);
            QTest::keyClick(protocol, Qt::Key_Home);
            for (int i = 0; i < chosen; ++i)
                QTest::keyClick(protocol, Qt::Key_Down);
            dialog->okButton->click();
        };
        QTimer::singleShot(0, this, edit);
        form->editButton->click();
        QVERIFY(form->SettingsChanged);
        QCOMPARE(user.errors, QStringList());

        user.answers = {Answer::Yes};
        form->writeToDeviceButton->click();
        QCOMPARE(user.errors, QStringList());
        QCOMPARE(user.questions.size(), 1); // the changes, asked as for any write
        QCOMPARE(user.infos.size(), 1);
        QVERIFY(user.infos[0].startsWith(QString::fromUtf8("Настройки записаны в МК")));

        // Read back over the edited records (the unsaved-changes question is answered No).
        model.Record(6)[60] = 0;
        model.Record(10)[4] = 0;
        form->readFromDeviceButton->click();
        QCOMPARE(user.errors, QStringList());
        QCOMPARE(GetF32(model.Record(6), 60), 1.045f);
        QCOMPARE(int{GetU16(model.Record(10), 4)}, chosen);
    }

    void unsavedChangesAreAskedAboutBeforeAReadButNotBeforeALoad()
    {
        Session s(dir_.path(), Ini());
        auto& [sim, user, link, model, form] = s;
        form->RunEditor = [](EditSession&, QWidget*) { return true; };
        form->readFromDeviceButton->click();
        form->editButton->click();
        QVERIFY(form->SettingsChanged);

        const QString file = dir_.filePath("a.qvetp");
        WriteSettingsFile(model, file.toStdString(), Language::English);
        user.files.push_back(file);
        form->readFromFileButton->click();
        QCOMPARE(user.questions.size(), 0);
        QVERIFY(form->SettingsChanged);

        user.answers.push_back(Answer::No);
        form->readFromDeviceButton->click();
        QCOMPARE(user.questions, QStringList{QString::fromUtf8("Возможно, настройки были изменены, но не сохранены на диске. Сохранить?")});
        QVERIFY(form->SettingsChanged); // a read leaves the flag as it was
        QCOMPARE(user.errors, QStringList());
    }

    // A port other than the one asked for is never taken without a word.
    void aMissingPortIsSaidAndAnExplicitOneNeverReplaced()
    {
        const auto writeIni = [this](const QString& device) {
            QFile ini(Ini());
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.write(QStringLiteral("[RS232]\nPort=7\nDevice=%1\n").arg(device).toUtf8());
        };
        const QString missing = dir_.filePath("no-such-adapter");
        {
            // --port names a device that is not there: said, no other port
            // taken in its place, a transfer refused with the same words, and
            // the saved port kept for the next start.
            writeIni(QStringLiteral("/dev/ttyUSB7"));
            ScriptedUser user;
            DeviceLink link;
            SettingsModel model;
            auto form = MakeForm(link, model, missing);
            form->englishBox->click();
            QCOMPARE(link.PortNumber, 0u);
            const QString notice = form->statusLine->text();
            QVERIFY2(notice.contains("given with --port was not found") && notice.contains("no-such-adapter"), qPrintable(notice));
            QVERIFY(notice.contains("<a href=\"port\">Choose the port…</a>"));
            form->readFromDevice();
            QCOMPARE(user.errors.size(), 1);
            QVERIFY(user.errors[0].contains("given with --port was not found"));
            form->close();
            QSettings saved(Ini(), QSettings::IniFormat);
            QCOMPARE(saved.value("RS232/Device").toString(), QStringLiteral("/dev/ttyUSB7"));
        }
        {
            // The saved adapter is gone: the free port taken instead is named.
            Simulator sim(dir_.path(), {});
            writeIni(missing);
            ScriptedUser user;
            DeviceLink link;
            link.AddDevicePath(sim.Link().toStdString());
            SettingsModel model;
            auto form = MakeForm(link, model, {});
            form->englishBox->click();
            QVERIFY(link.PortNumber > 0);
            const QString notice = form->statusLine->text();
            QVERIFY2(notice.contains("The saved port") && notice.contains("is missing or busy") && notice.contains("is used instead"),
                     qPrintable(notice));
            QCOMPARE(user.errors, QStringList());
        }
    }

    void saveAsksBeforeOverwritingAndClearsTheChangedFlag()
    {
        ScriptedUser user;
        DeviceLink link;
        SettingsModel model;
        LoadReferenceImage(model, 0xC000);
        auto form = MakeForm(link, model, {});
        form->englishBox->click();
        form->SettingsChanged = true;
        const QString file = dir_.filePath("exists.qvetp");
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();

        user.files.push_back(file);
        user.answers.push_back(Answer::No);
        form->saveToFile();
        QCOMPARE(user.questions, QStringList{"The file already exists. Rewrite it?"});
        QCOMPARE(QFileInfo(file).size(), 3);
        QVERIFY(form->SettingsChanged);

        user.files.push_back(file);
        user.answers.push_back(Answer::Yes);
        form->saveToFile();
        QCOMPARE(QFileInfo(file).size(), 8130);
        QVERIFY(!form->SettingsChanged);
        QVERIFY(form->writeToDeviceButton->isEnabled());

        // A name without extension gets ".qvetp".
        user.files.push_back(dir_.filePath("plain"));
        form->saveToFile();
        QVERIFY(QFileInfo::exists(dir_.filePath("plain.qvetp")));
    }

    // The text button beside the save button: a text exported from the
    // window, edited and imported, arrives through the editor; a refused one
    // names its line and changes nothing.
    void settingsTextGoesOutAndComesBackThroughTheEditor()
    {
        ScriptedUser user;
        DeviceLink link;
        SettingsModel model;
        LoadReferenceImage(model, 0xC000);
        EditSettings(model, tc::ui::WindowLanguage(), [](EditSession&) { return true; });
        auto form = MakeForm(link, model, {});
        form->englishBox->click();
        const QStringList entries{form->exportTextAction->text(), form->importTextAction->text()};
        QCOMPARE(entries, (QStringList{"Export as text…", "Import from text…"}));

        user.files.push_back(dir_.filePath("unit"));
        form->exportText();
        QFile exported(dir_.filePath("unit.json"));
        QVERIFY(exported.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(exported.readAll());
        QCOMPARE(text.toStdString(), ExportSettingsText(model, tc::ui::WindowLanguage()));
        const auto before = model.SnapshotRecords().bytes;

        auto import = [&](const QString& name, const QString& content) {
            QFile f(dir_.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content.toUtf8());
            f.close();
            user.files.push_back(f.fileName());
            form->importText();
        };
        import("bad.json", QString(text).replace(R"("limits.speed": "80")", R"("limits.speed": "999")"));
        QCOMPARE(user.errors.size(), 1);
        QVERIFY2(user.errors[0].startsWith("Line "), qPrintable(user.errors[0]));
        QVERIFY(model.SnapshotRecords().bytes == before);
        QVERIFY(!form->SettingsChanged);

        import("edited.json", QString(text).replace(R"("limits.speed": "80")", R"("limits.speed": "130")"));
        QCOMPARE(user.errors.size(), 1);
        QCOMPARE(user.infos, QStringList{"The settings from the text have been applied."});
        QVERIFY(form->SettingsChanged);
        EditSession session(model, EditorContext::FromModel(model, tc::ui::WindowLanguage()));
        QCOMPARE(QString::fromStdString(session.Shown("limits.speed").text), QStringLiteral("130"));
    }

    // The window judges a file as the command line does: a refused file says
    // why in one message and leaves the settings on hand untouched and
    // usable; an accepted but unusual one is loaded whole, with the warnings
    // the command line prints.
    void aFileIsJudgedAsTheCommandLineJudgesIt()
    {
        ScriptedUser user;
        DeviceLink link;
        SettingsModel model;
        auto form = MakeForm(link, model, {});
        form->englishBox->click();
        const auto write = [&](const QString& name, const QByteArray& bytes) {
            QFile f(dir_.filePath(name));
            if (!f.open(QIODevice::WriteOnly))
                return QString();
            f.write(bytes);
            return f.fileName();
        };
        QByteArray noise(5000, 0);
        for (int i = 0; i < noise.size(); ++i)
            noise[i] = static_cast<char>((i * 7919 + 13) >> 3);
        const QString random = write("random.qvetp", noise);
        user.files.push_back(random);
        form->readFromFileButton->click();
        QCOMPARE(user.errors.size(), 1);
        QVERIFY(user.errors[0].contains("does not look like a settings file"));
        QVERIFY(!form->editButton->isEnabled()); // nothing was loaded before

        const QString good = dir_.filePath("good.qvetp");
        SettingsModel source;
        LoadReferenceImage(source, 0xC000);
        WriteSettingsFile(source, good.toStdString(), Language::English);
        user.files.push_back(good);
        user.errors.clear();
        form->readFromFileButton->click();
        QVERIFY(form->writeToDeviceButton->isEnabled());
        QCOMPARE(user.errors, QStringList());

        QFile goodFile(good);
        QVERIFY(goodFile.open(QIODevice::ReadOnly));
        const QByteArray whole = goodFile.readAll();
        const struct {
            const char* name;
            QByteArray bytes;
            const char* said;
        } refused[] = {
            {"tiny", QByteArray("x"), "is not a settings file"},
            {"random", noise, "does not look like a settings file"},
            {"cut inside the sections", whole.left(1000), "runs past the end of the image"},
            {"no directory", whole.left(61), "shorter than the section directory"},
        };
        for (const auto& r : refused) {
            user.errors.clear();
            user.files.push_back(write(QStringLiteral("refused.qvetp"), r.bytes));
            form->readFromFileButton->click();
            QVERIFY2(user.errors.size() == 1 && user.errors[0].contains(r.said), r.name);
            QVERIFY2(form->editButton->isEnabled() && form->saveToFileButton->isEnabled() && form->writeToDeviceButton->isEnabled(), r.name);
            QVERIFY2(ImageBytes(model) == ImageBytes(source), r.name); // nothing of the bad file reached the image
        }

        // Cut after the sections, of another model: loaded whole, warned of.
        QByteArray foreign = whole.left(whole.size() - 1);
        foreign[0] = char(0x01);
        user.errors.clear();
        user.files.push_back(write(QStringLiteral("foreign.qvetp"), foreign));
        form->readFromFileButton->click();
        QCOMPARE(user.errors.size(), 1);
        QVERIFY(user.errors[0].contains("model code 0xC001 is unknown"));
        QVERIFY(user.errors[0].contains("1 of 8128 bytes are missing"));
        QCOMPARE(model.Image.size(), std::size_t{8127}); // the old image's tail is not kept
        QCOMPARE(model.DeviceModelCode, std::uint16_t{0xC001});
    }

    // Settings > Compare with a file: the file is judged as a load judges it,
    // its differences are shown in a table only to be read, and the settings
    // on hand stay exactly as they were.
    void comparingWithAFileShowsTheDifferencesAndChangesNothing()
    {
        ScriptedUser user;
        DeviceLink link;
        SettingsModel model;
        auto form = MakeForm(link, model, {});
        form->englishBox->click();
        QVERIFY(!form->compareAction->isEnabled()); // nothing to compare yet
        SettingsModel source;
        LoadReferenceImage(source, 0xC000);
        const QString same = dir_.filePath("same.qvetp"), other = dir_.filePath("other.qvetp"), bad = dir_.filePath("bad.qvetp");
        WriteSettingsFile(source, same.toStdString(), Language::English);
        EditSettings(source, tc::ui::WindowLanguage(), [](EditSession& session) {
            session.Commit("limits.speed", "110", true);
            return true;
        });
        WriteSettingsFile(source, other.toStdString(), Language::English);
        QFile badFile(bad);
        QVERIFY(badFile.open(QIODevice::WriteOnly));
        badFile.write("x");
        badFile.close();
        user.files.push_back(same);
        form->readFromFileButton->click();
        QCOMPARE(user.errors, QStringList());
        QVERIFY(form->editButton->isEnabled());
        QVERIFY(form->compareAction->isEnabled());
        const QByteArray before = ImageBytes(model);
        const QString title = form->windowTitle();

        user.files = {same, other, bad};
        for (int i = 0; i < 3; ++i)
            form->compareAction->trigger();
        QCOMPARE(user.infos, QStringList{"The file \"same.qvetp\" holds the same settings as the program."});
        QCOMPARE(user.questions.size(), 1);
        const QStringList lines = user.questions[0].split('\n');
        QCOMPARE(lines.value(0), QStringLiteral("The settings in the program and in the file \"other.qvetp\" differ:"));
        QVERIFY2(lines.value(1).endsWith(QStringLiteral("\t110\tkm/h\t")), qPrintable(user.questions[0]));
        QCOMPARE(user.errors.size(), 1);
        QVERIFY(user.errors[0].contains("is not a settings file"));
        QCOMPARE(ImageBytes(model), before);
        QVERIFY(!form->SettingsChanged);
        QCOMPARE(form->windowTitle(), title);
        QCOMPARE(form->CurrentFile(), same);

        // The table is only to be read: one Close button.
        SettingsModel a, b;
        LoadReferenceImage(a, 0xC000);
        std::unique_ptr<QDialog> dialog(MakeTableQuestionDialog(FileChangesQuestion(CompareSettings(a, a, tc::ui::WindowLanguage()), "x.qvetp", {}), nullptr));
        const auto buttons = dialog->findChildren<QPushButton*>();
        QCOMPARE(buttons.size(), 1);
    }

    // A file from outside (the command line's FILE, a second start, a drop)
    // opens as the open button opens it, with the same refusals; while a
    // modal dialog is open it is not opened and the status line says why.
    void aFileFromOutsideOpensAsTheButtonOpensIt()
    {
        ScriptedUser user;
        const QString good = dir_.filePath("outside.qvetp");
        SettingsModel source;
        LoadReferenceImage(source, 0xC010);
        WriteSettingsFile(source, good.toStdString(), Language::English);
        const QString bad = dir_.filePath("bad.qvetp");
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("x");
        f.close();

        // The command line: opened once the window is shown.
        {
            DeviceLink link;
            SettingsModel model;
            MainWindow::Options options;
            options.iniFile = Ini();
            options.restorePointFolder = RestorePointFolder(dir_.path());
            options.openFile = good;
            MainWindow form(link, model, options);
            form.show();
            QTRY_COMPARE(form.CurrentFile(), good);
            QCOMPARE(ImageBytes(model), ImageBytes(source));
            QVERIFY(form.writeToDeviceButton->isEnabled());
            QCOMPARE(user.errors, QStringList());
        }
        {
            DeviceLink link;
            SettingsModel model;
            MainWindow::Options options;
            options.iniFile = Ini();
            options.openFile = bad;
            MainWindow form(link, model, options);
            form.show();
            QTRY_COMPARE(user.errors.size(), 1);
            QVERIFY(user.errors[0].contains("bad.qvetp"));
            QVERIFY(form.CurrentFile().isEmpty());
            QVERIFY(form.readFromFileButton->isEnabled()); // the window stays usable
            user.errors.clear();
        }

        // A drop: the first local file of the drag.
        DeviceLink link;
        SettingsModel model;
        auto form = MakeForm(link, model, {});
        form->englishBox->click();
        auto drop = [&](const QString& file) {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(file)});
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(form.get(), &enter);
            if (!enter.isAccepted())
                return false;
            QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(form.get(), &event);
            return event.isAccepted();
        };
        QVERIFY(drop(good));
        QCOMPARE(form->CurrentFile(), good);
        QCOMPARE(ImageBytes(model), ImageBytes(source));
        QVERIFY(!form->SettingsChanged); // no question, and the flag stays as it was
        QVERIFY(drop(bad));
        QCOMPARE(user.errors.size(), 1);
        QVERIFY(user.errors[0].contains("is not a settings file"));
        QCOMPARE(ImageBytes(model), ImageBytes(source));
        QMimeData text;
        text.setText(QStringLiteral("not a file"));
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &enter);
        QVERIFY(!enter.isAccepted());

        // Busy: a modal dialog (as the editor and the journal viewer are) is open.
        SettingsModel other;
        LoadReferenceImage(other, 0xC000);
        const QString second = dir_.filePath("second.qvetp");
        WriteSettingsFile(other, second.toStdString(), Language::English);
        QDialog modal(form.get());
        modal.setWindowModality(Qt::ApplicationModal);
        modal.show();
        QTRY_VERIFY(QApplication::activeModalWidget() == &modal);
        QVERIFY(form->Busy());
        QVERIFY(!form->OpenHandedFile(second));
        QCOMPARE(form->CurrentFile(), good);
        QCOMPARE(ImageBytes(model), ImageBytes(source));
        QVERIFY(form->statusLine->text().contains("busy"));
        QVERIFY(form->statusLine->text().contains("second.qvetp"));
        modal.hide();
        QTRY_VERIFY(!form->Busy());
        QVERIFY(form->OpenHandedFile(second)); // free again: it opens
        QCOMPARE(ImageBytes(model), ImageBytes(other));
        QCOMPARE(user.errors.size(), 1);
    }

    // A tc::Error says its own text; any other exception is a fault of the
    // program and is shown as one, with its detail.
    void aFaultOfTheProgramIsShownAsAnInternalError()
    {
        ScriptedUser user;
        DeviceLink link;
        SettingsModel model;
        auto form = MakeForm(link, model, {});
        form->englishBox->click();
        SettingsModel source;
        LoadReferenceImage(source, 0xC000);
        const QString file = dir_.filePath("fault.qvetp");
        WriteSettingsFile(source, file.toStdString(), Language::English);
        user.files.push_back(file);
        form->readFromFileButton->click();
        const std::vector<std::pair<std::function<void()>, QString>> cases{
            {[] { throw Error("The device said no."); }, "The device said no."},
            {[] { throw std::out_of_range("byte field outside its buffer"); },
             "Internal error of the program: byte field outside its buffer"},
        };
        // The same text whichever window the failure comes from: every window shows it through ShowFailure.
        for (const auto& [fault, shown] : cases) {
            user.errors.clear();
            form->RunEditor = [fault = fault](EditSession&, QWidget*) -> bool { fault(); return true; };
            form->RunJournalViewer = [fault = fault](SettingsModel&, QWidget*) -> bool { fault(); return true; };
            form->editButton->click();
            form->viewJournalsButton->click();
            QVERIFY(!ReportFailure(fault));
            QCOMPARE(user.errors, (QStringList{shown, shown, shown}));
        }
        QVERIFY(ReportFailure([] {}));
    }

    // The unsaved-changes question has Cancel: Cancel (Esc, the close box),
    // or Yes whose save did not happen, keeps the window open; No closes it.
    // It is not asked when the settings equal what was last saved.
    void closingWithUnsavedChangesKeepsTheWindowUnlessSavedOrAnsweredNo()
    {
        ScriptedUser user;
        DeviceLink link;
        SettingsModel model;
        auto form = MakeForm(link, model, {});
        form->SettingsChanged = true;
        const struct {
            const char* name;
            Answer answer;
            bool closes;
        } rows[] = {{"cancel", Answer::Cancel, false}, {"yes, save cancelled", Answer::Yes, false}, {"no", Answer::No, true}};
        for (const auto& r : rows) {
            form->show();
            user.questions.clear();
            user.answers.push_back(r.answer);
            QCOMPARE(form->close(), r.closes);
            QCOMPARE(user.questions.size(), 1);
            QVERIFY2(form->isVisible() != r.closes, r.name);
        }

        // Saved, then an edit that changed nothing: not asked.
        form->show();
        SettingsModel source;
        LoadReferenceImage(source, 0xC000);
        const QString file = dir_.filePath("saved.qvetp");
        WriteSettingsFile(source, file.toStdString(), Language::English);
        user.files.push_back(file);
        form->readFromFileButton->click();
        const QString copy = dir_.filePath("copy.qvetp");
        user.files.push_back(copy);
        form->saveToFileButton->click();
        QVERIFY(!form->SettingsChanged);
        form->SettingsChanged = true; // the editor closed with OK and no change
        user.questions.clear();
        QVERIFY(form->close());
        QCOMPARE(user.questions.size(), 0);
    }

    // A read that fails or is cancelled leaves the settings loaded before it
    // exactly as they were, and usable.
    void aFailedOrCancelledReadKeepsTheSettingsOnHand()
    {
        QFETCH(bool, cancel);
        Session s(dir_.path(), Ini(), cancel ? QStringList{} : QStringList{"--stall-after", "60"}, true);
        auto& [sim, user, link, model, form] = s;
        SettingsModel source;
        LoadReferenceImage(source, 0x4010);
        const QString file = dir_.filePath("held.qvetp");
        WriteSettingsFile(source, file.toStdString(), Language::English);
        user.files.push_back(file);
        form->readFromFileButton->click();
        const QByteArray held = ImageBytes(model);
        const auto records = model.SnapshotRecords().bytes;
        bool clicked = false;
        connect(form.get(), &MainWindow::TransferProgress, this, [&](int percent) {
            if (cancel && percent >= 20 && !clicked && form->Progress() && form->Progress()->cancelButton->isVisible()) {
                clicked = true;
                form->Progress()->cancelButton->click();
            }
        });
        user.answers.push_back(Answer::No); // Continue? no
        form->readFromDeviceButton->click();
        QCOMPARE(clicked, cancel);
        QCOMPARE(user.errors.size(), cancel ? 0 : 1);
        if (!cancel)
            QVERIFY2(user.errors[0].contains("Nothing was written to the device. Block "), qPrintable(user.errors[0]));
        QCOMPARE(ImageBytes(model), held);
        QCOMPARE(model.DeviceModelCode, std::uint16_t{0x4010});
        QVERIFY(model.SnapshotRecords().bytes == records);
        QVERIFY(form->editButton->isEnabled() && form->saveToFileButton->isEnabled() && form->writeToDeviceButton->isEnabled());
        QVERIFY(!link.IsOpen());
    }
    void aFailedOrCancelledReadKeepsTheSettingsOnHand_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("failed") << false;
        QTest::newRow("cancelled") << true;
    }

    // Cancel during a write's restore-point read: nothing is written and the
    // model's code, image and records stay exactly as they were.
    void cancelDuringTheRestorePointReadWritesNothing()
    {
        Session s(dir_.path(), Ini(), {}, true);
        auto& [sim, user, link, model, form] = s;
        form->readFromDeviceButton->click();
        const QByteArray memory = sim.Memory();
        const QByteArray held = ImageBytes(model);
        const auto records = model.SnapshotRecords().bytes;
        bool clicked = false;
        connect(form.get(), &MainWindow::TransferProgress, this, [&](int percent) {
            if (percent >= 20 && !clicked && form->Progress() && form->Progress()->cancelButton->isVisible()) {
                clicked = true;
                form->Progress()->cancelButton->click();
            }
        });
        form->writeToDeviceButton->click();
        QVERIFY(clicked);
        QCOMPARE(user.infos, QStringList{"Nothing was written to the device."});
        QCOMPARE(ImageBytes(model), held);
        QVERIFY(model.SnapshotRecords().bytes == records);
        QCOMPARE(sim.Memory(), memory);
        QVERIFY(form->writeToDeviceButton->isEnabled());
    }

    void englishSwitchesEveryCaptionAndIsRememberedForTheNextStart()
    {
        ScriptedUser user;
        {
            DeviceLink link;
            SettingsModel model;
            auto form = MakeForm(link, model, {});
            QCOMPARE(form->readFromDeviceButton->text(), QString::fromUtf8("Считать настройки из МК"));
            form->englishBox->click();
            QCOMPARE(WindowLanguage(), Language::English);
            QCOMPARE(form->windowTitle(), QStringLiteral("Viewing and configuring trip computer parameters (Version 14.07.26)"));
            QCOMPARE(form->journalsBox->title(), QStringLiteral("Step 2a"));
            QCOMPARE(form->viewJournalsButton->text(), QStringLiteral("View logs"));
            QCOMPARE(form->choosePortButton->text(), QStringLiteral("Select the COM port manually"));
            QCOMPARE(form->journalsHint->text(), QStringLiteral("View the logs of trips, gas stations and faults"));
            QCOMPARE(form->englishBox->text(), QStringLiteral("English language"));
            form->close();
        }
        QSettings ini(Ini(), QSettings::IniFormat);
        QCOMPARE(ini.value("Common/EnglishVersion").toString(), QStringLiteral("1"));
        QVERIFY(ini.contains("RS232/Port"));
        QVERIFY(ini.contains("MainWindow/Left"));

        SetWindowLanguage(Language::Russian);
        DeviceLink link;
        SettingsModel model;
        auto form = MakeForm(link, model, {});
        QCOMPARE(WindowLanguage(), Language::English);
        QVERIFY(form->englishBox->isChecked());
        QCOMPARE(form->writeToDeviceButton->text(), QStringLiteral("Write the settings to the device"));
        form->englishBox->click();
        QCOMPARE(form->writeToDeviceButton->text(), QString::fromUtf8("Записать настройки в МК"));
    }

    void iniFileIsCreatedWithASingleSpaceLine()
    {
        const QString path = dir_.filePath("fresh.ini");
        QFile::remove(path);
        {
            IniFile ini(path);
        }
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll().trimmed(), QByteArray());
        IniFile ini(path);
        ini.WriteInteger("RS232", "Port", 12);
        ini.UpdateFile();
        QCOMPARE(IniFile(path).ReadInteger("RS232", "Port", 0), 12);
    }

    // Each menu command does what its step button does: the same questions,
    // the same dialogs, the same settings read; the title and the status
    // line then name the file and mark unsaved changes.
    void menuCommandsDoWhatTheButtonsDo()
    {
        Session s(dir_.path(), Ini());
        auto& [sim, user, link, model, form] = s;
        int editorRuns = 0, journalRuns = 0;
        form->RunEditor = [&](EditSession&, QWidget*) { return ++editorRuns > 0; };
        form->RunJournalViewer = [&](SettingsModel&, QWidget*) { return ++journalRuns > 0; };
        auto effect = [&](const std::function<void()>& command) {
            user.errors.clear();
            user.infos.clear();
            user.questions.clear();
            user.fileQuestions.clear();
            editorRuns = journalRuns = 0;
            model.Image.assign(model.Image.size(), 0);
            command();
            QStringList seen = user.errors + user.infos + user.questions;
            for (const FileQuestion& q : user.fileQuestions)
                seen << QStringLiteral("file %1 %2 %3").arg(q.save).arg(q.filter, q.defaultSuffix);
            seen << QStringLiteral("editor %1 journals %2").arg(editorRuns).arg(journalRuns);
            seen << QString::number(qHashBits(model.Image.data(), model.Image.size()));
            return seen;
        };
        const std::vector<std::pair<QPushButton*, QAction*>> pairs = {
            {form->readFromDeviceButton, form->readAction}, {form->readFromFileButton, form->openAction},
            {form->editButton, form->editAction},           {form->viewJournalsButton, form->journalsAction},
            {form->saveToFileButton, form->saveAsAction},   {form->writeToDeviceButton, form->writeAction},
        };
        for (const auto& [button, action] : pairs) {
            const QStringList byButton = effect([b = button] { b->click(); });
            QVERIFY(action->isEnabled());
            const QStringList byMenu = effect([a = action] { a->trigger(); });
            QCOMPARE(byMenu, byButton);
        }
        QCOMPARE(form->openAction->shortcut(), QKeySequence(QKeySequence::Open));
        QCOMPARE(form->saveAction->shortcut(), QKeySequence(QKeySequence::Save));
        QCOMPARE(form->quitAction->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
        QCOMPARE(form->guideAction->shortcut(), QKeySequence(QKeySequence::HelpContents));
        QVERIFY(form->fileMenu->actions().contains(form->exportTextAction));
        QVERIFY(!form->textButton->isVisible());

        // Read, edit, save: the file's name in the title with its mark, and in the status line.
        form->readAction->trigger();
        QVERIFY(form->windowTitle().startsWith(QString::fromUtf8("Без имени[*]")));
        form->editAction->trigger();
        QVERIFY(form->isWindowModified());
        QVERIFY(form->statusLine->text().contains(QStringLiteral("*")));
        QVERIFY(form->statusLine->text().contains(QStringLiteral("0xC000")));
        const QString file = dir_.filePath("menu.qvetp");
        QFile::remove(file);
        user.files = {file};
        form->saveAsAction->trigger();
        QVERIFY(QFile::exists(file));
        QVERIFY(form->windowTitle().startsWith(QStringLiteral("menu.qvetp[*]")));
        QVERIFY(!form->isWindowModified());
        QCOMPARE(form->RecentFiles().value(0), file);
        QCOMPARE(form->recentMenu->actions().size(), 1);
        // Save writes to that file again without asking.
        form->editAction->trigger();
        QVERIFY(form->isWindowModified());
        user.fileQuestions.clear();
        form->saveAction->trigger();
        QVERIFY(user.fileQuestions.empty());
        QVERIFY(QFile::exists(file));
        QVERIFY(!form->isWindowModified());
    }

    // A larger font makes the whole design larger in proportion: every step's
    // button and hint still shows its whole text, in both languages.
    void theStepsGrowWithTheFont()
    {
        const QFont before = QApplication::font();
        QFont big = before;
        big.setPointSizeF(before.pointSizeF() * 1.6);
        QApplication::setFont(big);
        DeviceLink link;
        SettingsModel model;
        for (const bool english : {false, true}) {
            auto form = MakeForm(link, model, {});
            if (english)
                form->englishBox->click();
            QVERIFY(form->width() > 810 * 1.3);
            for (QPushButton* b : form->findChildren<QPushButton*>())
                if (b->isVisibleTo(form.get()))
                    QVERIFY2(b->fontMetrics().horizontalAdvance(b->text()) + 8 <= b->width(), qPrintable(b->text()));
            for (QLabel* l : form->findChildren<QLabel*>())
                if (l->wordWrap() && l->isVisibleTo(form.get()))
                    QVERIFY2(l->heightForWidth(l->width()) <= l->height() + 1, qPrintable(l->text()));
            form->close();
        }
        QApplication::setFont(before);
    }

    // A saved position off every screen (a screen unplugged since) or too far
    // right and down for this one brings the window back inside the available area.
    void savedPositionIsRestoredOnlyOnAScreen()
    {
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        for (const QPoint saved : {QPoint(area.right() + 3000, 40), QPoint(area.right() - 20, area.bottom() - 20), QPoint(-900, -900)}) {
            QWidget w;
            w.setFixedSize(300, 200);
            w.move(saved);
            IniFile::KeepOnScreen(w);
            QVERIFY2(area.contains(w.geometry()), qPrintable(QStringLiteral("%1,%2").arg(w.x()).arg(w.y())));
        }
        QWidget big; // resizable and larger than the screen: shrunk to it
        big.resize(area.width() + 500, area.height() + 500);
        big.move(area.topLeft() + QPoint(50, 50));
        IniFile::KeepOnScreen(big);
        QCOMPARE(big.geometry(), area);
    }

    // The ini lives in the user's configuration folder; one that an earlier
    // version left beside the program is moved there once, and an ini
    // already there is never replaced by it.
    void iniLivesInTheConfigFolderAndAnOldOneMovesOnce()
    {
        const QByteArray savedXdg = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", dir_.filePath("config").toUtf8());
        const QString target = IniFile::DefaultFileName();
        QCOMPARE(target, dir_.filePath("config/tripconf/tripconf.ini"));
        QVERIFY(!target.startsWith(QCoreApplication::applicationDirPath()));
        if (savedXdg.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", savedXdg);

        const QString old = dir_.filePath("program/tripconf.ini");
        QDir().mkpath(dir_.filePath("program"));
        QFile::remove(target);
        {
            QSettings s(old, QSettings::IniFormat);
            s.setValue("Common/EnglishVersion", "1");
        }
        QVERIFY(IniFile::MoveOldFile(old, target));
        QVERIFY(!QFile::exists(old));
        QCOMPARE(IniFile(target).ReadBool("Common", "EnglishVersion", false), true);
        // Once moved, an old file found again does not replace the settings.
        {
            QSettings s(old, QSettings::IniFormat);
            s.setValue("Common/EnglishVersion", "0");
        }
        QVERIFY(!IniFile::MoveOldFile(old, target));
        QVERIFY(QFile::exists(old));
        QCOMPARE(IniFile(target).ReadBool("Common", "EnglishVersion", false), true);
        QVERIFY(!IniFile::MoveOldFile(dir_.filePath("program/missing.ini"), dir_.filePath("other.ini")));
        QVERIFY(!QFile::exists(dir_.filePath("other.ini")));
    }

    // The window lists the restore points newest first; "Write to the unit"
    // sends one back the ordinary way, "Load" (Enter) makes one the current settings.
    void restorePointsAreListedWrittenBackAndLoaded()
    {
        QDir(RestorePointFolder(dir_.path())).removeRecursively();
        Session s(dir_.path(), Ini(), {}, true);
        auto& [sim, user, link, model, form] = s;
        QVERIFY(WithRestorePoints(*form, [&](RestorePointsDialog& d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("Restore points"));
            QCOMPARE(d.table->rowCount(), 0);
            QCOMPARE(d.folderLabel->text(), "No restore points in " + RestorePointFolder(dir_.path()));
            QVERIFY(!d.loadButton->isEnabled() && !d.writeButton->isEnabled());
            QTest::keyClick(&d, Qt::Key_Escape);
            QVERIFY(!d.isVisible());
        }));
        QVERIFY(!form->editButton->isEnabled()); // nothing was loaded

        form->readFromDeviceButton->click();
        const QByteArray original = sim.Memory();
        model.Record(6)[4] ^= 0x5A;
        model.EncodeSection(6);
        user.answers = {Answer::Yes}; // the changes shown: write them
        form->writeToDeviceButton->click(); // its point holds the original settings
        const QByteArray edited = sim.Memory();
        QVERIFY(edited != original);
        user.infos.clear();
        user.questions.clear();
        user.answers = {Answer::Yes}; // the write back shows its changes too

        QVERIFY(WithRestorePoints(*form, [&](RestorePointsDialog& d) {
            QCOMPARE(d.table->rowCount(), 1);
            QCOMPARE(d.table->item(0, 1)->text(), ModelCaption(0xC000));
            QVERIFY(ModelCaption(0xC000).startsWith("0xC000 "));
            QVERIFY(!link.PortPath(static_cast<int>(link.PortNumber)).empty());
            QCOMPARE(d.table->item(0, 2)->text(), QString::fromStdString(link.PortPath(static_cast<int>(link.PortNumber))));
            QVERIFY(d.width() <= 1024 && d.height() <= 600);
            QCOMPARE(d.writeButton->text(), QStringLiteral("&Write to the unit"));
            d.writeButton->click();
        }));
        QCOMPARE(user.errors, QStringList());
        QCOMPARE(user.questions.size(), 1); // the changes, asked as for any write
        QCOMPARE(user.infos.size(), 1);
        QVERIFY2(user.infos[0].startsWith("The settings are recorded in the device"), qPrintable(user.infos[0]));
        QCOMPARE(sim.Memory(), original);

        // In Russian, from the keyboard: the newest point (the edited settings)
        // is selected first, Enter loads it after the unsaved-changes question.
        form->englishBox->click();
        form->SettingsChanged = true;
        user.questions.clear();
        user.answers = {Answer::No};
        QVERIFY(WithRestorePoints(*form, [&](RestorePointsDialog& d) {
            QCOMPARE(d.windowTitle(), QString::fromUtf8("Точки восстановления"));
            QCOMPARE(d.table->horizontalHeaderItem(0)->text(), QString::fromUtf8("Время"));
            QCOMPARE(d.table->rowCount(), 2);
            QVERIFY(d.Points()[0].time >= d.Points()[1].time);
            QCOMPARE(d.focusWidget(), d.table); // the list takes the keys first
            QTest::keyClick(d.table, Qt::Key_Down);
            QTest::keyClick(d.table, Qt::Key_Up);
            QTest::keyClick(d.table, Qt::Key_Return);
            QVERIFY(!d.isVisible());
            QCOMPARE(d.Chosen(), RestorePointsDialog::Choice::Load);
            QCOMPARE(d.ChosenPath(), d.Points()[0].path);
        }));
        QCOMPARE(user.questions.size(), 1);
        QVERIFY(!form->SettingsChanged);
        QCOMPARE(ImageBytes(model), MemoryToImage(edited));
        QCOMPARE(sim.Memory(), original); // a load writes nothing
        QVERIFY(form->writeToDeviceButton->isEnabled());
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
