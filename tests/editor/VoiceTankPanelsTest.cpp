// The voice warnings grid, the tare table and the tank file buttons in the
// settings editor on the offscreen platform: what they show for several
// models in both languages, what clicks and typed cells store, OK and Cancel.
#include "editor/ui/SettingsEditor.h"

#include "EditorUiTestSupport.h"
#include "EditorTestSupport.h"
#include "common/Language.h"
#include "editor/TankFile.h"
#include "editor/VoiceModes.h"
#include "ui/ScriptedUser.h"
#include "ui/Text.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace tc;
using namespace tc::ui;

namespace {

using test::RunWith;

QList<QRadioButton*> Modes(SettingsEditor& dialog, std::string_view key, const char* group)
{
    auto* box = dialog.findChild<QWidget*>(ToQ(key) + "." + group);
    return box ? box->findChildren<QRadioButton*>() : QList<QRadioButton*>();
}

int Checked(const QList<QRadioButton*>& buttons)
{
    for (int i = 0; i < buttons.size(); ++i)
        if (buttons[i]->isChecked())
            return i;
    return -1;
}

QTableWidget* TareTable(SettingsEditor& dialog)
{
    return dialog.findChild<QTableWidget*>(QStringLiteral("tank.tare.table"));
}

} // namespace

class VoiceTankPanelsTest : public QObject {
    Q_OBJECT

private slots:
    // Each warning row shows its label, visibility, enabled state and modes
    // as the core shows them; "М" and "Г" only with volume control.
    void warningsGridShowsTheCore_data()
    {
        test::ModelAndLanguageColumns();
        QTest::addColumn<int>("protocol");
        for (bool english : {false, true}) {
            QTest::addRow("ZR-01 %d", english) << 0xC000 << english << 0;
            QTest::addRow("hybrid %d", english) << 0x8082 << english << 1;
            QTest::addRow("no volume, trim %d", english) << 0x5800 << english << 0;
            QTest::addRow("no volume, hybrid %d", english) << 0x8180 << english << 1;
        }
    }
    void warningsGridShowsTheCore()
    {
        QFETCH(int, modelCode);
        QFETCH(int, protocol);
        QFETCH(bool, english);
        SettingsModel model = test::LoadedModel(static_cast<std::uint16_t>(modelCode), static_cast<std::uint16_t>(protocol));
        model.Record(8)[2] = 0x21;
        model.Record(8)[6] = 0x0A;
        model.EncodeSection(8);
        const auto records = model.SnapshotRecords().bytes;
        RunWith(model, LanguageOf(english), [&](SettingsEditor& dialog, EditSession& s) {
            dialog.pages->setCurrentWidget(dialog.PageTab(Page::Voice));
            const RuleInput in{s.Context(), s.Model()};
            for (const auto& row : voice::WarningRows()) {
                const auto shown = voice::ShowWarning(row, in);
                auto* label = dialog.findChild<QLabel*>(ToQ(row.key) + ".label");
                QVERIFY(label);
                QCOMPARE(label->text(), ToQ(shown.label));
                QCOMPARE(!label->isHidden(), shown.visible);
                const auto first = Modes(dialog, row.key, "first");
                QCOMPARE(first.size(), voice::kModeCount);
                QCOMPARE(Checked(first), shown.first);
                QCOMPARE(first[0]->parentWidget()->isEnabled(), shown.enabled);
                QCOMPARE(first[0]->text(), english ? QStringLiteral("O") : QStringLiteral("О"));
                for (int m = 0; m < voice::kModeCount; ++m)
                    QCOMPARE(first[m]->isEnabledTo(first[m]->parentWidget()), voice::ModeEnabled(m, in));
                QCOMPARE(Modes(dialog, row.key, "next").size(), row.paired ? voice::kModeCount : 0);
                if (row.paired)
                    QCOMPARE(Checked(Modes(dialog, row.key, "next")), shown.next);
            }
            QCOMPARE(Checked(Modes(dialog, "speed", "first")), 1);
            QCOMPARE(Checked(Modes(dialog, "speed", "next")), 4);
            QCOMPARE(Checked(Modes(dialog, "maintenance", "first")), 2);
            auto* pages = dialog.findChild<QTabWidget*>(QStringLiteral("voice.pages"));
            QVERIFY(pages);
            QCOMPARE(pages->tabText(0), english ? QStringLiteral("Warnings") : QStringLiteral("Предупреждения"));
            QVERIFY(dialog.Control("voice.sound_off"));
        });
        QCOMPARE(model.SnapshotRecords().bytes, records);
    }

    // Clicks store the row's slot; OK keeps them, Cancel restores the records.
    void clickedModesKeptByOkDroppedByCancel()
    {
        SettingsModel model = test::LoadedModel(0xC000, 0);
        model.Record(8)[2] = 0x3F; // nothing selected in either group
        model.EncodeSection(8);
        const auto records = model.SnapshotRecords().bytes;
        ScriptedUser user;
        for (bool ok : {false, true}) {
            user.choices = {1}; // Cancel with changes asks: "Discard"
            const bool accepted = RunWith(model, [&](SettingsEditor& dialog, EditSession&) {
                dialog.pages->setCurrentWidget(dialog.PageTab(Page::Voice));
                Modes(dialog, "speed", "first")[2]->click(); // "Б": the pair waits for its other group
                QCOMPARE(model.Record(8)[2], 0x3F);
                Modes(dialog, "speed", "next")[4]->click(); // "Г"
                QCOMPARE(model.Record(8)[2], 0x22);
                Modes(dialog, "maintenance", "first")[1]->click();
                QCOMPARE(model.Record(8)[6], 9);
                Modes(dialog, "speed", "next")[0]->click(); // a next-only change stores
                QCOMPARE(model.Record(8)[2], 0x02);
                (ok ? dialog.okButton : dialog.cancelButton)->click();
            });
            QCOMPARE(accepted, ok);
            if (!ok)
                QCOMPARE(model.SnapshotRecords().bytes, records);
        }
        QCOMPARE(model.Record(8)[2], 0x02);
        QCOMPARE(model.Record(8)[6], 9);
    }

    // The tare count sets the grid's rows; a cell stores its digits, a
    // refused cell stores nothing, and the first point's flag follows.
    void tareTableStoresTypedCells()
    {
        ScriptedUser user;
        SettingsModel model = test::LoadedModel(0xC000, 0);
        model.Record(4)[2] = 0;
        model.EncodeSection(4);
        QVERIFY(RunWith(model, [&](SettingsEditor& dialog, EditSession& s) {
            dialog.pages->setCurrentWidget(dialog.PageTab(Page::Tank));
            QTableWidget* table = TareTable(dialog);
            QVERIFY(table);
            QCOMPARE(table->rowCount(), 0);
            s.Commit("tank.tare_points", "3");
            dialog.Changed({}, nullptr);
            QCOMPARE(table->rowCount(), 3);
            table->item(0, 1)->setText(QStringLiteral("1 2"));
            table->item(0, 2)->setText(QStringLiteral("241"));
            table->item(2, 2)->setText(QString());
            QCOMPARE(tank::TarePoints(model)[0], (tank::TarePoint{12, 241}));
            QCOMPARE(model.Record(4)[6], 1);
            QCOMPARE(table->item(0, 1)->text(), QStringLiteral("12"));
            QCOMPARE(table->item(2, 2)->text(), QStringLiteral("0"));
            const auto before = model.SnapshotRecords().bytes;
            table->item(1, 1)->setText(QStringLiteral("300"));
            QCOMPARE(user.errors.size(), 1);
            QVERIFY(user.errors[0].contains(QStringLiteral("255")));
            QCOMPARE(model.SnapshotRecords().bytes, before);
            QCOMPARE(table->item(1, 1)->text(), QString::number(tank::TarePoints(model)[1].litres));
            table->item(0, 2)->setText(QStringLiteral("240"));
            QCOMPARE(model.Record(4)[6], 0);
            dialog.okButton->click();
        }));
        QCOMPARE(tank::TarePoints(model).size(), 3u);
    }

    // Enter in the tare grid ends the cell's edit and goes down a row, also
    // when the grid is not being edited; after a refused cell it stays; the
    // editor never closes.
    void enterInTheTareGridMovesDown()
    {
        ScriptedUser user;
        SettingsModel model = test::LoadedModel(0xC000, 0);
        QVERIFY(RunWith(model, [&](SettingsEditor& dialog, EditSession& s) {
            dialog.pages->setCurrentWidget(dialog.PageTab(Page::Tank));
            s.Commit("tank.tare_points", "3");
            dialog.Changed({}, nullptr);
            QTableWidget* table = TareTable(dialog);
            table->setFocus(Qt::TabFocusReason);
            const auto typeCell = [&](int row, const QString& text) {
                table->setCurrentCell(row, 1);
                table->editItem(table->item(row, 1));
                auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
                QVERIFY(editor && editor != static_cast<QWidget*>(table));
                editor->selectAll();
                QTest::keyClicks(editor, text);
                QTest::keyClick(editor, Qt::Key_Return);
            };
            for (const Qt::Key enter : {Qt::Key_Return, Qt::Key_Enter}) {
                typeCell(0, QStringLiteral("17"));
                QVERIFY(dialog.isVisible());
                QCOMPARE(static_cast<int>(tank::TarePoints(model)[0].litres), 17);
                QCOMPARE(table->currentRow(), 1);
                QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(table));
                QTest::keyClick(table, enter);
                QCOMPARE(table->currentRow(), 2);
                QTest::keyClick(table, enter); // the last row: stays
                QCOMPARE(table->currentRow(), 2);
                QVERIFY(dialog.isVisible());
            }
            typeCell(2, QStringLiteral("25"));
            QCOMPARE(static_cast<int>(tank::TarePoints(model)[2].litres), 25);
            QCOMPARE(table->currentRow(), 2);
            const auto before = model.SnapshotRecords().bytes;
            typeCell(1, QStringLiteral("300"));
            QCOMPARE(user.errors.size(), 1);
            QCOMPARE(model.SnapshotRecords().bytes, before);
            QCOMPARE(table->currentRow(), 1);
            QVERIFY(dialog.isVisible());
            dialog.okButton->click();
        }));
        QCOMPARE(static_cast<int>(tank::TarePoints(model)[0].litres), 17);
    }

    // Save, change, load: the page shows the file's calibration again; the
    // file question has the tank filter; a folder is refused and changes nothing.
    void tankFileButtonsSaveAndLoad()
    {
        QTemporaryDir dir;
        ScriptedUser user;
        const QString path = dir.filePath(QStringLiteral("tank.qveto"));
        SettingsModel model = test::LoadedModel(0xC000, 0);
        QVERIFY(RunWith(model, [&](SettingsEditor& dialog, EditSession& s) {
            dialog.pages->setCurrentWidget(dialog.PageTab(Page::Tank));
            auto* save = dialog.findChild<QPushButton*>(QStringLiteral("tank.file.save"));
            auto* load = dialog.findChild<QPushButton*>(QStringLiteral("tank.file.load"));
            QVERIFY(save && load);
            s.Commit("tank.two_point1.units", "123");
            s.Commit("tank.tare_points", "2");
            dialog.Changed({}, nullptr);
            const auto saved = tank::TankFileBytes(model);
            user.files.push_back(path);
            save->click();
            QCOMPARE(user.fileQuestions.back().filter, QStringLiteral("Файлы настроек бака (*.qveto)"));
            QCOMPARE(user.fileQuestions.back().defaultSuffix, QStringLiteral("qveto"));
            QVERIFY(user.fileQuestions.back().save);

            s.Commit("tank.two_point1.units", "7");
            s.Commit("tank.tare_points", "0");
            dialog.Changed({}, nullptr);
            QCOMPARE(TareTable(dialog)->rowCount(), 0);
            user.files.push_back(path);
            load->click();
            QCOMPARE(user.errors, QStringList());
            QCOMPARE(tank::TankFileBytes(model), saved);
            QCOMPARE(TareTable(dialog)->rowCount(), 2);
            QCOMPARE(dialog.Control("tank.two_point1.units")->spin->text(), QStringLiteral("123"));

            const auto before = model.SnapshotRecords().bytes;
            user.files.push_back(dir.path());
            load->click();
            QCOMPARE(user.errors.size(), 1);
            QCOMPARE(model.SnapshotRecords().bytes, before);
            load->click(); // cancelled: nothing happens
            QCOMPARE(user.errors.size(), 1);
            dialog.okButton->click();
        }));
        QFile file(path);
        QCOMPARE(file.size(), qint64{245});

        // Loading another calibration and cancelling restores the records.
        const auto records = model.SnapshotRecords().bytes;
        QVERIFY(!RunWith(model, [&](SettingsEditor& dialog, EditSession& s) {
            dialog.pages->setCurrentWidget(dialog.PageTab(Page::Tank));
            s.Commit("tank.two_point1.units", "7");
            user.files.push_back(path);
            dialog.findChild<QPushButton*>(QStringLiteral("tank.file.load"))->click();
            QCOMPARE(model.Record(3)[0], 123);
            // Tab walks the calibration two values to a line, into the tare box after the last shown point.
            auto spin = [&](const char* key) { return static_cast<QWidget*>(dialog.Control(key)->spin); };
            spin("tank.two_point1.litres")->setFocus(Qt::TabFocusReason);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), spin("tank.two_point1.units"));
            s.Commit("tank.seven_points", "1");
            dialog.Changed({}, nullptr);
            dialog.Binder().FillAll();
            spin("tank.seven_point1.units")->setFocus(Qt::TabFocusReason);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.Control("tank.tare_finished")->check));
            user.choices = {1}; // "Discard" when asked
            dialog.cancelButton->click();
        }));
        QCOMPARE(model.SnapshotRecords().bytes, records);
    }
};

QTEST_MAIN(VoiceTankPanelsTest)
#include "VoiceTankPanelsTest.moc"
