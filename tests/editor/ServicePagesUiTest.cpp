// The maintenance, extra-systems and universal-input pages in the window on
// the offscreen platform: dates and names typed, the two system lists, the
// show choices and the maintenance file's buttons.
#include "editor/ui/SettingsEditor.h"

#include "EditorUiTestSupport.h"
#include "EditorTestSupport.h"
#include "catalogs/Catalogs.h"
#include "common/Bytes.h"
#include "common/Language.h"
#include "editor/ExtraSystems.h"
#include "editor/ServiceFile.h"
#include "ui/ScriptedUser.h"
#include "ui/Text.h"

#include <QApplication>
#include <QButtonGroup>
#include <QKeyEvent>
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

#include <algorithm>

using namespace tc;
using namespace tc::ui;

namespace {

using test::RunWith;

// Shows the line edit's page, types over its text and leaves it with Tab.
void TypeLine(SettingsEditor& dialog, const char* key, const QString& text)
{
    test::TypeOver(dialog, key, text);
    if (!QTest::currentTestFailed())
        QTest::keyClick(dialog.Control(key)->line, Qt::Key_Tab);
}

QStringList Column(const QTableWidget* t, int column)
{
    QStringList texts;
    for (int r = 0; r < t->rowCount(); ++r)
        texts << (t->item(r, column) ? t->item(r, column)->text() : QString());
    return texts;
}

QStringList Tabs(const SettingsEditor& dialog)
{
    QStringList tabs;
    for (int i = 0; i < dialog.pages->count(); ++i)
        tabs << dialog.pages->tabText(i);
    return tabs;
}

} // namespace

class ServicePagesUiTest : public QObject {
    Q_OBJECT

private slots:
    // The pages a model shows, in both languages, with the systems its protocols list.
    void pagesFollowTheModel_data()
    {
        test::ModelAndLanguageColumns();
        QTest::addColumn<QStringList>("pages"); // of these three, the ones shown
        for (bool english : {false, true}) {
            const char* lang = english ? "en" : "ru";
            const QString to = english ? "TS" : "ТО", sys = english ? "Add.systems" : "Допсистемы", trim = english ? "Uni.input/Trim" : "Трим";
            QTest::addRow("ZR-71 %s", lang) << 0xC000 << english << QStringList{to, sys};
            QTest::addRow("ZR-33 %s", lang) << 0x5800 << english << QStringList{to, trim};
            QTest::addRow("ZR-11 %s", lang) << 0x4010 << english << QStringList{to, sys};
            QTest::addRow("ZR-31 %s", lang) << 0x5100 << english << QStringList{to};
        }
    }
    void pagesFollowTheModel()
    {
        QFETCH(int, modelCode);
        QFETCH(bool, english);
        QFETCH(QStringList, pages);
        SettingsModel model = test::LoadedModel(static_cast<std::uint16_t>(modelCode), 0);
        RunWith(model, LanguageOf(english), [&](SettingsEditor& dialog, EditSession& s) {
            QStringList shown;
            for (const QString& tab : Tabs(dialog))
                if (tab == "ТО" || tab == "TS" || tab == "Допсистемы" || tab == "Add.systems" || tab == "Трим" || tab == "Uni.input/Trim")
                    shown << tab;
            QCOMPARE(shown, pages);
            const bool reduced = s.Context().features.ServiceInThousandKm;
            QCOMPARE(dialog.Control("maintenance.service_interval")->IsVisible(), reduced);
            QCOMPARE(dialog.Control("maintenance.item1_name")->IsVisible(), !reduced);
            QVERIFY(dialog.Panel("maintenance.file")->findChild<QPushButton*>("maintenance.load"));
            if (auto* panel = dialog.Panel("systems")) {
                dialog.pages->setCurrentWidget(dialog.PageTab(Page::ExtraSystems));
                const auto* offered = panel->findChild<QTableWidget*>("systems.offered");
                QCOMPARE(offered->rowCount(), static_cast<int>(OfferedSystems(s.Context()).size()));
                QCOMPARE(offered->horizontalHeaderItem(1)->text(), english ? QStringLiteral("Sel.") : QStringLiteral("Выбр."));
            }
            // Every page fits the screen.
            QVERIFY(dialog.width() <= SettingsEditor::LargestSize().width());
        });
    }

    // Dates and names as typed; a refused date keeps its bytes and shows the
    // stored one again; a blank date stays blank when only passed through.
    void datesAndNamesStoreWhatIsTyped()
    {
        ScriptedUser user;
        SettingsModel model = test::LoadedModel(0xC000, 0);
        PutU32(model.Record(5), 12, 0xFFFFFFFF);
        model.EncodeSection(5);
        RunWith(model, [&](SettingsEditor& dialog, EditSession&) {
            auto r5 = model.Record(5);
            TypeLine(dialog, "maintenance.service_date", "31.01.00");
            QCOMPARE(GetU32(r5, 8), 32u);
            TypeLine(dialog, "maintenance.service_date", "30.02.24");
            QCOMPARE(user.errors.size(), 1);
            QCOMPARE(GetU32(r5, 8), 32u);
            QCOMPARE(dialog.Control("maintenance.service_date")->line->text(), QStringLiteral("31.01.00"));

            const FieldWidget* insurance = dialog.Control("maintenance.insurance_date");
            QCOMPARE(insurance->line->text(), QString());
            QVERIFY(!insurance->line->placeholderText().isEmpty());
            insurance->line->setFocus(Qt::TabFocusReason);
            QTest::keyClick(insurance->line, Qt::Key_Tab);
            QCOMPARE(GetU32(r5, 12), 0xFFFFFFFFu);

            TypeLine(dialog, "maintenance.item2_name", "Ремень ГРМ");
            QCOMPARE(test::Hex(test::Bytes(model, 5, 68, 16)), "d0e5ece5edfc20c3d0cc000000000000");
            dialog.okButton->click();
        });
        QCOMPARE(GetU32(model.Record(5), 8), 32u);
    }

    // The two lists: a double click or the buttons select and clear; the
    // show choice "Protocol" selects what the current protocol lists.
    void systemListsSelectAndClear()
    {
        SettingsModel model = test::LoadedModel(0xC000, 0);
        auto r5 = model.Record(5);
        std::fill(r5.begin() + 20, r5.begin() + 52, std::uint8_t{0});
        model.EncodeSection(5);
        RunWith(model, [&](SettingsEditor& dialog, EditSession& s) {
            dialog.pages->setCurrentWidget(dialog.PageTab(Page::ExtraSystems));
            auto* panel = dialog.Panel("systems");
            auto* offered = panel->findChild<QTableWidget*>("systems.offered");
            auto* chosen = panel->findChild<QTableWidget*>("systems.chosen");
            const auto systems = OfferedSystems(s.Context());
            QVERIFY(systems.size() > 3);
            emit offered->cellDoubleClicked(1, 0);
            QVERIFY(SystemSelected(model.Record(5), systems[1]->code));
            QCOMPARE(Column(chosen, 0), QStringList{ToQ(systems[1]->name)});
            QCOMPARE(Column(offered, 1).at(1), QStringLiteral("V"));
            offered->selectRow(2);
            panel->findChild<QPushButton*>("systems.add")->click();
            QCOMPARE(chosen->rowCount(), 2);
            emit offered->cellDoubleClicked(1, 0); // changes the selection back
            QCOMPARE(Column(chosen, 0), QStringList{ToQ(systems[2]->name)});
            chosen->selectRow(0);
            panel->findChild<QPushButton*>("systems.remove")->click();
            QCOMPARE(chosen->rowCount(), 0);

            panel->findChild<QRadioButton*>("systems.show#1")->click();
            int listed = 0;
            for (const ExtraSystem* sys : systems) {
                const auto blocks = s.Context().protocol->Blocks();
                const bool on = std::find(blocks.begin(), blocks.end(), sys->code) != blocks.end();
                listed += on;
                QCOMPARE(SystemSelected(model.Record(5), sys->code), on);
            }
            QCOMPARE(chosen->rowCount(), listed);
            QCOMPARE(model.Record(5)[20] & 0x7F, 1);
            panel->findChild<QRadioButton*>("systems.show#0")->click();
            QCOMPARE(chosen->rowCount(), offered->rowCount());
            panel->findChild<QRadioButton*>("systems.list#1")->click();
            QCOMPARE(model.Record(5)[20], 0x80);
        });
    }

    // Saving and loading the maintenance file through the prompt path; a
    // load refills the controls it feeds on every page.
    void serviceFileSavesAndLoadsThroughThePrompter()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("m.qvett");
        ScriptedUser user;
        SettingsModel model = test::LoadedModel(0x5800, 0);
        RunWith(model, [&](SettingsEditor& dialog, EditSession&) {
            auto* panel = dialog.Panel("maintenance.file");
            user.files.push_back(file);
            panel->findChild<QPushButton*>("maintenance.save")->click();
            QCOMPARE(user.fileQuestions.back().filter, QStringLiteral("Файлы настроек ТО (*.qvett)"));
            QCOMPARE(user.fileQuestions.back().defaultSuffix, QStringLiteral("qvett"));
            QVERIFY(user.fileQuestions.back().save);
            QCOMPARE(QFileInfo(file).size(), qint64(kServiceFileSize));
            const auto saved = test::Bytes(model, 5, 0, 119);

            // Other values typed and clicked on two pages, then the file again.
            auto r5 = model.Record(5);
            const FieldWidget* reading = dialog.Control("trim.min_reading");
            dialog.pages->setCurrentWidget(dialog.PageTab(Page::Trim));
            reading->spin->setFocus(Qt::TabFocusReason);
            reading->spin->selectAll();
            QTest::keyClicks(reading->spin, "77");
            QTest::keyClick(reading->spin, Qt::Key_Tab);
            QCOMPARE(GetS16(r5, 112), 77);
            const FieldWidget* label = dialog.Control("sources.temperature_label");
            const int labelBefore = label->radios->checkedId();
            dialog.pages->setCurrentWidget(dialog.PageTab(Page::Sources));
            label->RadioButtons().at(labelBefore == 2 ? 1 : 2)->click();
            QVERIFY(r5[7] != saved[7]);
            user.files.push_back(file);
            panel->findChild<QPushButton*>("maintenance.load")->click();
            QVERIFY(!user.fileQuestions.back().save);
            QCOMPARE(test::Bytes(model, 5, 0, 119), saved);
            QCOMPARE(reading->spin->text().trimmed(), QString::number(GetS16(r5, 112)));
            QCOMPARE(label->radios->checkedId(), labelBefore);
            QCOMPARE(dialog.Control("maintenance.service_interval")->spin->text().trimmed(),
                     QString::number(static_cast<std::int8_t>(saved[0]) / 10.0, 'f', 1));

            // A folder is no maintenance file: its message, nothing changed.
            user.files.push_back(dir.path());
            panel->findChild<QPushButton*>("maintenance.load")->click();
            QCOMPARE(user.errors.size(), 1);
            QCOMPARE(test::Bytes(model, 5, 0, 119), saved);
        });
    }
};

QTEST_MAIN(ServicePagesUiTest)
#include "ServicePagesUiTest.moc"
