// The display page of the settings editor, offscreen: its sub-pages for
// several models in both languages, a click on a preview opening the picker
// of the field under it, a pick redrawn in the preview, the palette and hot
// menus edited through their grids, OK keeping and Cancel undoing it all.
#include "editor/ui/DisplayPanel.h"
#include "editor/ui/SettingsEditor.h"

#include "EditorTestSupport.h"
#include "EditorUiTestSupport.h"
#include "catalogs/Catalogs.h"
#include "common/Bytes.h"
#include "common/Language.h"
#include "editor/DisplayPickers.h"
#include "editor/HotMenus.h"
#include "ui/ScriptedUser.h"
#include "ui/Text.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QGridLayout>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

using namespace tc;
using namespace tc::ui;

namespace {

std::vector<std::uint8_t> Record9(const SettingsModel& m)
{
    const auto r = m.Record(9);
    return {r.begin(), r.end()};
}

// Runs `body` on the open dialog's display panel; `keep` answers OK or Cancel.
template <typename Body>
void WithPanel(SettingsModel& model, bool keep, Body body, Language language = Language::Russian)
{
    const ui::WindowLanguageScope scope(language);
    EditSettings(model, language, [&](EditSession& s) {
        SettingsEditor dialog(s);
        dialog.show();
        auto* panel = qobject_cast<DisplayPanel*>(dialog.Panel("display"));
        if (!panel)
            return false;
        body(*panel, dialog);
        return keep;
    });
}

QAction* ActionWithCode(QMenu* menu, int code)
{
    for (QAction* a : menu->actions())
        if (a->data().toInt() == code)
            return a;
    return nullptr;
}

} // namespace

class DisplayPanelTest : public QObject {
    Q_OBJECT

private slots:
    void subpagesInOrderForSeveralModels_data()
    {
        test::ModelAndLanguageColumns();
        QTest::addColumn<QString>("tabs");
        int n = 0;
        for (const auto& m : ListedModels()) {
            if (n++ % 4) // every fourth model keeps the run short
                continue;
            QTest::addRow("%s ru", std::string(m.name).c_str()) << int{m.code} << false
                << "Цветовые схемы|Дисплеи х1|Дисплеи х4|Дисплеи х9|Дисплей х6|Граф. дисплеи|Стрел. дисплеи|Горячие меню|Доп.панель|Разное";
            QTest::addRow("%s en", std::string(m.name).c_str()) << int{m.code} << true
                << "Color schemes|Displays x 1|Displays x 4|Displays x 9|Displays x |Graph displays|Pointer displays|Hot menu|Extra panel|Divers";
        }
    }
    void subpagesInOrderForSeveralModels()
    {
        QFETCH(int, modelCode);
        QFETCH(bool, english);
        QFETCH(QString, tabs);
        SettingsModel model = test::LoadedModel(static_cast<std::uint16_t>(modelCode), 0);
        const auto before = Record9(model);
        bool seen = false;
        WithPanel(model, false, [&](DisplayPanel& panel, SettingsEditor&) {
            seen = true;
            QStringList shown;
            for (int i = 0; i < panel.subpages->count(); ++i)
                shown << panel.subpages->tabText(i);
            QCOMPARE(shown.join('|'), tabs);
            // Two rows of buttons choose the sub-pages (the tab bar is hidden) and follow the current one.
            QWidget* strip = panel.findChild<QWidget*>(QStringLiteral("display.subpageButtons"));
            const auto buttons = strip->findChildren<QToolButton*>();
            QCOMPARE(buttons.size(), panel.subpages->count());
            auto* grid = qobject_cast<QGridLayout*>(strip->layout());
            int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
            grid->getItemPosition(grid->indexOf(buttons.back()), &row, &column, &rowSpan, &columnSpan);
            QCOMPARE(row, 1); // the second row
            QCOMPARE(buttons[3]->text(), panel.subpages->tabText(3));
            buttons[3]->click();
            QCOMPARE(panel.subpages->currentIndex(), 3);
            panel.subpages->setCurrentIndex(5);
            QVERIFY(buttons[5]->isChecked() && !buttons[3]->isChecked());
            panel.subpages->setCurrentIndex(0);
            // Every preview draws; the misc rows and mask boxes are bound.
            for (const auto& p : panel.Previews())
                QVERIFY(!p.box->Picture().isNull());
            QCOMPARE(panel.Previews().size(), std::size_t{(1 + 6 + 3 + 2 + 8 + 8 + 1) + (2 + 2 + 1 + 1 + 1 + 2)}); // displays, colour samples
            QVERIFY(panel.findChild<QWidget*>(QStringLiteral("display.day_time")));
            QVERIFY(panel.findChild<QWidget*>(QStringLiteral("display.show.x1.1")));
            QCOMPARE(panel.HotMenu(2)->isHidden(), model.ModelCatalog().Features.NoParktronic);
        }, LanguageOf(english));
        QVERIFY(seen);
        QVERIFY(Record9(model) == before);
    }

    // A refresh with the same settings keeps every picture but the graphs'
    // (drawn anew for their random curve); a change of record 9 draws them all
    // again; kept or not, each equals a drawing made now.
    void picturesAreKeptUntilTheSettingsChange()
    {
        SettingsModel model = test::LoadedModel(0xC000, 0);
        WithPanel(model, false, [&](DisplayPanel& panel, SettingsEditor& dialog) {
            const auto keys = [&] {
                std::vector<qint64> k;
                for (const auto& p : panel.Previews())
                    k.push_back(p.box->Picture().cacheKey());
                return k;
            };
            const auto allFresh = [&] {
                for (const auto& p : panel.Previews())
                    if (!p.box->anew && p.box->Picture() != p.box->DrawAfresh())
                        return false;
                return true;
            };
            const auto drawn = keys();
            dialog.Changed({}, nullptr); // a commit on another page
            const auto kept = keys();
            int anew = 0;
            for (std::size_t i = 0; i < drawn.size(); ++i) {
                const bool graph = panel.Previews()[i].box->anew;
                anew += graph ? 1 : 0;
                QCOMPARE(kept[i] == drawn[i], !graph);
            }
            QCOMPARE(anew, 8 + 1); // the graph displays and the graph sample
            QVERIFY(allFresh());
            const int code = SlotValue(model.Record(9), DisplayLayout::X4, 0, 0) == 13 ? 12 : 13;
            const auto changed = dialog.Session().Apply(
                [&](SettingsModel& m) { SetSlotValue(m.Record(kDisplayRecord), DisplayLayout::X4, 0, 0, code); });
            dialog.Changed(changed, nullptr);
            const auto redrawn = keys();
            for (std::size_t i = 0; i < drawn.size(); ++i)
                QVERIFY(redrawn[i] != kept[i]);
            QVERIFY(allFresh());
        });
    }

    // The graphs' curve comes from the panel's seed (the clock unless fixed):
    // a fixed seed draws the core's picture of that seed on every refresh.
    void graphSeedIsAnInput()
    {
        SettingsModel model = test::LoadedModel(0xC000, 0);
        WithPanel(model, false, [&](DisplayPanel& panel, SettingsEditor& dialog) {
            PreviewBox* graph = panel.PreviewOf(DisplayLayout::Graph, 0);
            QVERIFY(graph && graph->anew);
            const auto core = [&](std::uint32_t seed) {
                PreviewCanvas canvas;
                DrawPreviewScreen(canvas, InputsFromModel(model, tc::ui::WindowLanguage(), seed), PreviewScreen::Graphs, 1);
                const auto rgb = canvas.ToRgb();
                return QImage(rgb.data(), kPreviewWidth, kPreviewHeight, kPreviewWidth * 3, QImage::Format_RGB888).copy();
            };
            for (const std::uint32_t seed : {7u, 7u, 8u}) {
                panel.GraphSeed = [seed] { return seed; };
                dialog.Changed({}, nullptr);
                QCOMPARE(graph->Picture(), core(seed));
            }
            QVERIFY(core(7) != core(8));
        });
    }

    // Lower-left quarter of x4 display 3 holds field 2 (offset 22); the pick is stored and drawn.
    void clickOnPreviewPicksTheFieldUnderIt()
    {
        SettingsModel model = test::LoadedModel(0xC000, 0);
        PutU8(model.Record(9), 22, 12);
        model.EncodeSection(9);
        WithPanel(model, true, [&](DisplayPanel& panel, SettingsEditor&) {
            PreviewBox* box = panel.PreviewOf(DisplayLayout::X4, 2);
            QVERIFY(box);
            const QImage before = box->Picture();
            std::unique_ptr<QMenu> picker(panel.MakePickerAt(DisplayLayout::X4, 2, QPoint(10, 200), box->size(), nullptr));
            QVERIFY(picker);
            QVERIFY(ActionWithCode(picker.get(), 12)->isChecked());
            QAction* pick = ActionWithCode(picker.get(), 17);
            QVERIFY(pick);
            pick->trigger();
            QCOMPARE(GetU8(model.Record(9), 22), std::uint8_t{17});
            QVERIFY(box->Picture() != before);
            // A click on the x1 preview above its bottom panel picks nothing.
            QVERIFY(!panel.MakePickerAt(DisplayLayout::X1, 0, QPoint(10, 10), QSize(320, 240), nullptr));
        });
        QCOMPARE(GetU8(model.Record(9), 22), std::uint8_t{17}); // OK kept it
    }

    void paletteRolesAndInitializeAllUndoneByCancel()
    {
        SettingsModel model = test::LoadedModel(0xC000, 0);
        const auto before = Record9(model);
        ScriptedUser user;
        WithPanel(model, false, [&](DisplayPanel& panel, SettingsEditor&) {
            panel.Palette()->setCurrentCell(3, 0);
            // The colour picker: offered the scheme's 16 colours, its choice
            // replaced by the nearest colour the unit shows and stored once,
            // the user told when it changed; Cancel stores nothing.
            QList<QColor> offered;
            std::optional<QColor> answer = QColor(0, 0, 128);
            panel.PickColour = [&](const QColor&, const QList<QColor>& colours) {
                offered = colours;
                return answer;
            };
            auto* pick = panel.findChild<QPushButton*>(QStringLiteral("display.palette.pick"));
            pick->click();
            QCOMPARE(offered.size(), 16);
            QCOMPARE((QList<int>{panel.red->value(), panel.green->value(), panel.blue->value()}), (QList<int>{0, 0, 16}));
            QCOMPARE(user.infos.size(), 1); // shown as #000084
            QVERIFY(user.infos[0].contains(QStringLiteral("#000080")) && user.infos[0].contains(QStringLiteral("#000084")));
            answer = QColor(255, 255, 255); // the unit shows white as it is: nothing to tell
            pick->click();
            QCOMPARE(GetU16(model.Record(9), 80 + 6), std::uint16_t{0xFFFF});
            QCOMPARE(user.infos.size(), 1);
            answer.reset();
            pick->click();
            QCOMPARE(GetU16(model.Record(9), 80 + 6), std::uint16_t{0xFFFF});
            panel.red->setValue(31);
            panel.green->setValue(31);
            panel.blue->setValue(31);
            QCOMPARE(GetU16(model.Record(9), 80 + 6), std::uint16_t{0xFFFF});
            panel.scheme->button(1)->click(); // night: stores nothing
            QCOMPARE(GetU16(model.Record(9), 136 + 6), GetU16(before, 136 + 6));
            QCOMPARE(panel.red->value(), int{GetU16(before, 136 + 6) >> 11});
            // "Initialize all" answered No changes nothing, Yes restores the defaults.
            auto* init = panel.findChild<QPushButton*>(QStringLiteral("display.initialize"));
            const auto edited = Record9(model);
            init->click();
            QCOMPARE(user.questions.size(), 1);
            QVERIFY(Record9(model) == edited);
            user.answers.push_back(Answer::Yes);
            init->click();
            QCOMPARE(panel.scheme->checkedId(), 0);
            QVERIFY(std::equal(model.ColourScheme(0).begin(), model.ColourScheme(0).end(), model.Record(9).begin() + 80));
        });
        QVERIFY(Record9(model) == before);
    }

    void hotMenuGridEditsAndDrags()
    {
        SettingsModel model = test::LoadedModel(0xC000, 0);
        WithPanel(model, true, [&](DisplayPanel& panel, SettingsEditor&) {
            QTableWidget* grid = panel.HotMenu(0);
            std::unique_ptr<QMenu> actions(panel.MakeHotMenuActions(0, 0, nullptr));
            for (QAction* a : actions->actions())
                if (a->objectName() == QLatin1String("clear"))
                    a->trigger();
            QCOMPARE(HotMenus(model.Record(9)).Shown(0), HotMenuList{});
            // Insert the first three items of the tree, each at row 0: C, B, A.
            std::vector<std::uint16_t> codes;
            for (int i = 0; i < 3; ++i) {
                std::unique_ptr<QMenu> menu(panel.MakeHotMenuActions(0, 0, nullptr));
                QMenu* insert = menu->findChild<QMenu*>(QStringLiteral("insert"));
                QMenu* sub = insert;
                while (sub->actions().first()->menu())
                    sub = sub->actions().first()->menu();
                QAction* item = sub->actions().at(i);
                codes.push_back(static_cast<std::uint16_t>(item->data().toInt()));
                item->trigger();
            }
            auto shown = HotMenus(model.Record(9)).Shown(0);
            QCOMPARE(shown[0], codes[2]);
            QCOMPARE(grid->item(0, 0)->text().isEmpty(), false);
            // Dragging row 0 to row 2: C, B, A becomes B, A, C; the grid shows rows in order again.
            grid->verticalHeader()->moveSection(0, 2);
            shown = HotMenus(model.Record(9)).Shown(0);
            QCOMPARE(shown[0], codes[1]);
            QCOMPARE(shown[1], codes[0]);
            QCOMPARE(shown[2], codes[2]);
            QCOMPARE(grid->verticalHeader()->visualIndex(0), 0);
            // Delete with the key.
            grid->setFocus();
            grid->setCurrentCell(0, 0);
            QTest::keyClick(grid, Qt::Key_Delete);
            QCOMPARE(HotMenus(model.Record(9)).Shown(0)[0], codes[0]);
        });
    }

    // The search finds a setting by any part of its caption or key and shows it,
    // across the page tabs and the display page's own sub-pages.
    void searchShowsTheSettingWithTheFocusOnIt()
    {
        SettingsModel model = test::LoadedModel(0xC000, 0);
        WithPanel(model, false, [&](DisplayPanel& panel, SettingsEditor& dialog) {
            dialog.search->setText(QString::fromUtf8("ДНЕВНОЙ яркости"));
            QVERIFY(dialog.FindNext());
            QCOMPARE(dialog.focusWidget()->objectName(), QStringLiteral("display.day_time"));
            QCOMPARE(dialog.pages->currentWidget(), static_cast<QWidget*>(dialog.PageTab(Page::Display)));
            QVERIFY(panel.subpages->currentWidget()->isAncestorOf(dialog.focusWidget()));
            QCOMPARE(dialog.searchResult->text(), QStringLiteral("1/1"));

            dialog.search->setText(QStringLiteral("limits.speed"));
            QVERIFY(dialog.FindNext());
            QCOMPARE(dialog.focusWidget()->objectName(), QStringLiteral("limits.speed"));
            QCOMPARE(dialog.pages->currentWidget(), static_cast<QWidget*>(dialog.PageTab(Page::Limits)));

            dialog.search->setText(QStringLiteral("no such thing"));
            QVERIFY(!dialog.FindNext());
            // Enter in the search field finds; it does not close the dialog.
            dialog.search->setText(QStringLiteral("limits.speed"));
            QTest::keyClick(dialog.search, Qt::Key_Return);
            QVERIFY(dialog.isVisible());
        });
    }

    void misc_timeEditStoresOnLeaving()
    {
        SettingsModel model = test::LoadedModel(0xC000, 0);
        WithPanel(model, true, [&](DisplayPanel& panel, SettingsEditor& dialog) {
            panel.subpages->setCurrentIndex(panel.subpages->count() - 1);
            auto* edit = panel.findChild<QLineEdit*>(QStringLiteral("display.day_time"));
            QVERIFY(edit);
            edit->setFocus();
            edit->selectAll();
            QTest::keyClicks(edit, QStringLiteral("0730"));
            QVERIFY(dialog.Binder().CommitPending());
            QCOMPARE(GetS16(model.Record(9), 284), std::int16_t{450});
        });
    }
};

QTEST_MAIN(DisplayPanelTest)
#include "DisplayPanelTest.moc"
