// The settings editor window on the offscreen platform: every device model
// in both languages, what the binder fills, when it commits, OK against
// Cancel, refusals and marked values.
#include "editor/ui/SettingsEditor.h"

#include "EditorTestSupport.h"
#include "catalogs/Catalogs.h"
#include "common/Bytes.h"
#include "common/Language.h"
#include "ui/ScriptedUser.h"
#include "ui/Text.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace tc;
using namespace tc::ui;

namespace {

// Runs the editor modally through the model's edit procedure; `act` works on
// the open, active dialog and closes it (an open dialog is cancelled after it).
bool RunWith(SettingsModel& model, const std::function<void(SettingsEditor&, EditSession&)>& act)
{
    return EditSettings(model, [&](EditSession& session) {
        SettingsEditor dialog(session);
        QTimer::singleShot(0, &dialog, [&] {
            QApplication::setActiveWindow(&dialog);
            if (QTest::qWaitForWindowActive(&dialog))
                act(dialog, session);
            else
                qWarning("the editor did not become the active window");
            if (dialog.isVisible())
                dialog.reject();
        });
        return dialog.exec() == QDialog::Accepted;
    });
}

std::vector<std::uint8_t> Records(const SettingsModel& model)
{
    return model.SnapshotRecords().bytes;
}

// Shows the control's page, puts the focus into its spin box and types over its text.
void TypeInto(SettingsEditor& dialog, const char* key, const QString& text)
{
    const FieldWidget* w = dialog.Control(key);
    QVERIFY2(w && w->spin, key);
    dialog.pages->setCurrentWidget(dialog.PageTab(w->Row().page));
    w->spin->setFocus(Qt::TabFocusReason);
    w->spin->selectAll();
    QTest::keyClicks(w->spin, text);
}

void Leave(SettingsEditor& dialog, const char* key)
{
    QTest::keyClick(dialog.Control(key)->spin, Qt::Key_Tab);
}

QString SpinText(const FieldWidget& w)
{
    return w.spin->text().trimmed();
}

// One line per control: what the session shows, and what the widgets show.
QString SessionLine(const ShownControl& c)
{
    QString line = ToQ(c.field->key) + (c.visible ? " shown" : " hidden") + (c.enabled ? " enabled " : " disabled ") + ToQ(c.caption) + " = ";
    switch (c.kind) {
    case ControlKind::Number:
        return line + ToQ(c.text);
    case ControlKind::Choice:
    case ControlKind::Radio:
        for (const auto& item : c.items)
            line += ToQ(item.text) + (item.enabled ? "" : "(off)") + "|";
        return line + " #" + QString::number(c.selected);
    case ControlKind::Check:
        return line + (c.checked ? "on" : "off");
    }
    return line;
}

QString WidgetLine(const FieldWidget& w)
{
    QString line = ToQ(w.Row().key) + (w.IsVisible() ? " shown" : " hidden") + (w.Editor()->isEnabled() ? " enabled " : " disabled ");
    switch (w.kind) {
    case ControlKind::Number:
        return line + w.label->text() + " = " + SpinText(w);
    case ControlKind::Choice: {
        line += w.label->text() + " = ";
        const auto* model = qobject_cast<QStandardItemModel*>(w.combo->model());
        for (int i = 0; i < w.combo->count(); ++i) // an item carries its index
            line += w.combo->itemText(i) + (model->item(i)->isEnabled() ? "" : "(off)") + (w.combo->itemData(i).toInt() == i ? "|" : "(data!)|");
        return line + " #" + QString::number(w.combo->currentIndex());
    }
    case ControlKind::Radio: {
        line += w.radioBox->title() + " = ";
        int selected = -1;
        const auto buttons = w.RadioButtons();
        for (int i = 0; i < buttons.size(); ++i) {
            line += buttons[i]->text() + (buttons[i]->isEnabledTo(w.radioBox) ? "" : "(off)") + "|";
            if (buttons[i]->isChecked())
                selected = i;
        }
        return line + " #" + QString::number(selected);
    }
    case ControlKind::Check:
        return line + w.check->text() + " = " + (w.check->isChecked() ? "on" : "off");
    }
    return line;
}

// The title, the tabs (every page of the table in order that the model shows
// and that has rows), the size and every control as the session shows it.
void CheckShowsTheSession(SettingsEditor& dialog, EditSession& s, bool english)
{
    QCOMPARE(dialog.windowTitle(), english ? QStringLiteral("Device settings") : QStringLiteral("Настройки МК"));
    QVERIFY(dialog.width() <= SettingsEditor::LargestSize().width());
    QVERIFY(dialog.height() <= SettingsEditor::LargestSize().height());
    QStringList expectedTabs, tabs;
    for (const auto& page : s.Pages()) {
        const auto fields = s.Fields();
        const bool hasRows = std::any_of(fields.begin(), fields.end(), [&](const Field& f) { return f.page == page.page->page; });
        if (page.visible && hasRows)
            expectedTabs << ToQ(page.page->caption.Pick(english));
    }
    for (int i = 0; i < dialog.pages->count(); ++i)
        tabs << dialog.pages->tabText(i);
    QCOMPARE(tabs, expectedTabs);
    QStringList expected, shown;
    for (const FieldWidget& w : dialog.Binder().Widgets()) {
        expected << SessionLine(s.Shown(w.field));
        shown << WidgetLine(w);
    }
    QCOMPARE(shown, expected);
}

} // namespace

class SettingsEditorTest : public QObject {
    Q_OBJECT

private slots:
    void init() { EnglishVersion = false; }
    void cleanup() { EnglishVersion = false; }

    // Every model of the model table in both languages: title, tabs and every
    // control as the session shows it, within a 1024 x 600 screen, nothing stored.
    void opensForEveryModelShowingWhatTheSessionShows_data()
    {
        QTest::addColumn<int>("modelCode");
        QTest::addColumn<bool>("english");
        for (const auto& m : ListedModels())
            for (bool english : {false, true})
                QTest::addRow("%s %s", std::string(m.name).c_str(), english ? "en" : "ru") << int{m.code} << english;
        QTest::addRow("unlisted model ru") << 0x1234 << false;
    }
    void opensForEveryModelShowingWhatTheSessionShows()
    {
        QFETCH(int, modelCode);
        QFETCH(bool, english);
        SettingsModel model = test::LoadedModel(static_cast<std::uint16_t>(modelCode), 1);
        EnglishVersion = english;
        const auto records = Records(model);
        const auto image = model.Image;

        const bool ok = EditSettings(model, [&](EditSession& s) {
            SettingsEditor dialog(s);
            dialog.show();
            CheckShowsTheSession(dialog, s, english);
            return false;
        });
        QVERIFY(!ok);
        QCOMPARE(Records(model), records);
        QVERIFY(model.Image == image);
    }

    // A value typed and left is stored, OK keeps it in the image, the next
    // edit shows it; the same edit cancelled leaves records and image as they were.
    void typedValueKeptByOkDroppedByCancel_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addRow("speed correction") << "corrections.speed" << "7.5" << "7.5";
        QTest::addRow("petrol correction, whole") << "corrections.petrol" << "-3" << "-3.0";
        QTest::addRow("air temperature") << "corrections.air_temperature" << "-17" << "-17";
        QTest::addRow("battery tenths") << "corrections.battery" << "0.3" << "0.3";
        QTest::addRow("initial mileage") << "corrections.initial_mileage" << "123456" << "123456";
    }
    void typedValueKeptByOkDroppedByCancel()
    {
        QFETCH(QString, key);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        const std::string k = key.toStdString();
        SettingsModel model = test::LoadedModel(0xC000, 0);
        const auto records = Records(model);
        const auto image = model.Image;

        for (bool ok : {false, true}) {
            const bool accepted = RunWith(model, [&](SettingsEditor& dialog, EditSession& s) {
                TypeInto(dialog, k.c_str(), typed);
                QCOMPARE(Records(model), records); // typing alone stores nothing
                Leave(dialog, k.c_str());
                QCOMPARE(ToQ(s.Shown(k).text), shown);
                QCOMPARE(SpinText(*dialog.Control(k)), shown);
                (ok ? dialog.okButton : dialog.cancelButton)->click();
            });
            QCOMPARE(accepted, ok);
            if (!ok) {
                QCOMPARE(Records(model), records);
                QVERIFY(model.Image == image);
            }
        }
        QVERIFY(model.Image != image);
        RunWith(model, [&](SettingsEditor& dialog, EditSession&) { QCOMPARE(SpinText(*dialog.Control(k)), shown); });
    }

    // Enter commits like leaving the field; OK pressed with the focus still in
    // an edited field commits it too. Filling every control again stores nothing.
    void enterAndOkCommitAndFillingNeverStores()
    {
        SettingsModel model = test::LoadedModel(0xC000, 0);
        const auto records = Records(model);
        QVERIFY(RunWith(model, [&](SettingsEditor& dialog, EditSession& s) {
            dialog.Binder().FillAll();
            for (const auto& w : dialog.Binder().Widgets())
                if (w.spin && w.IsVisible()) {
                    w.spin->setFocus(Qt::TabFocusReason);
                    QTest::keyClick(w.spin, Qt::Key_Tab);
                }
            QCOMPARE(Records(model), records);
            TypeInto(dialog, "corrections.clock", "12");
            QTest::keyClick(dialog.Control("corrections.clock")->spin, Qt::Key_Return);
            QCOMPARE(s.Shown("corrections.clock").text, std::string("12"));
            QTRY_VERIFY(!dialog.isVisible()); // Enter is also the dialog's OK
        }));
        QCOMPARE(static_cast<int>(static_cast<std::int8_t>(model.Record(6)[54])), 12);

        QVERIFY(RunWith(model, [&](SettingsEditor& dialog, EditSession&) {
            TypeInto(dialog, "corrections.initial_hours", "4321");
            dialog.okButton->click(); // a click that leaves the focus in the field
        }));
        QCOMPARE(GetU32(model.Record(1), 148), std::uint32_t{4321});
    }

    // A value the session refuses: its message through the Prompter, the
    // control back to the stored value, the bytes kept, the dialog still open.
    void refusedValueShowsTheMessageAndKeepsTheBytes()
    {
        ScriptedUser user;
        SettingsModel model = test::LoadedModel(0xC000, 0);
        model.Record(6)[53] = 4;
        model.EncodeSection(6);
        const auto records = Records(model);
        RunWith(model, [&](SettingsEditor& dialog, EditSession& s) {
            TypeInto(dialog, "corrections.air_temperature", "-");
            Leave(dialog, "corrections.air_temperature");
            QCOMPARE(user.errors, QStringList{ToQ(s.RangeMessage(s.Shown("corrections.air_temperature"), "-"))});
            QCOMPARE(SpinText(*dialog.Control("corrections.air_temperature")), QStringLiteral("4"));
            QCOMPARE(Records(model), records);

            TypeInto(dialog, "corrections.air_temperature", "-");
            QTest::keyClick(dialog.Control("corrections.air_temperature")->spin, Qt::Key_Enter);
            QCOMPARE(user.errors.size(), 2);
            QVERIFY(dialog.isVisible());
        });
        QCOMPARE(Records(model), records);
    }

    // A blank correction factor shows an empty, marked field; passing through
    // it and pressing OK keeps its bytes, typing stores.
    void unshowableFactorShowsEmptyAndKeepsItsBytes()
    {
        SettingsModel model = test::LoadedModel(0xC000, 0);
        PutF32(model.Record(6), 60, std::numeric_limits<float>::quiet_NaN());
        model.EncodeSection(6);
        const auto records = Records(model);
        QVERIFY(RunWith(model, [&](SettingsEditor& dialog, EditSession&) {
            const FieldWidget& w = *dialog.Control("corrections.speed");
            QCOMPARE(SpinText(w), QString());
            QVERIFY(!w.spin->toolTip().isEmpty());
            w.spin->setFocus(Qt::TabFocusReason);
            QTest::keyClick(w.spin, Qt::Key_Tab);
            QCOMPARE(SpinText(w), QString());
            dialog.okButton->click();
        }));
        QCOMPARE(Records(model), records);

        QVERIFY(RunWith(model, [&](SettingsEditor& dialog, EditSession&) {
            TypeInto(dialog, "corrections.speed", "2.5");
            dialog.okButton->click();
        }));
        QCOMPARE(GetF32(model.Record(6), 60), 1.025f);
    }

    // The tab order walks each page's controls in layout order, then OK and Cancel.
    void tabWalksTheControlsInLayoutOrder()
    {
        SettingsModel model = test::LoadedModel(0xC000, 0);
        RunWith(model, [&](SettingsEditor& dialog, EditSession&) {
            dialog.pages->setCurrentIndex(0);
            QWidget* page = dialog.pages->currentWidget();
            QList<QWidget*> expected;
            for (const auto& w : dialog.Binder().Widgets())
                if (page->isAncestorOf(w.Editor()) && w.IsVisible() && w.Editor()->isEnabled())
                    expected << w.Editor();
            QVERIFY(!expected.isEmpty());
            expected.first()->setFocus(Qt::TabFocusReason);
            QList<QWidget*> walked{QApplication::focusWidget()};
            for (int i = 1; i < expected.size(); ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                walked << QApplication::focusWidget();
            }
            QCOMPARE(walked, expected);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.okButton));
        });
    }
};

QTEST_MAIN(SettingsEditorTest)
#include "SettingsEditorTest.moc"
