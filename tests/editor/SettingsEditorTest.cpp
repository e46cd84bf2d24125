// The settings editor window on the offscreen platform: every device model
// in both languages, what the binder fills, when it commits, OK against
// Cancel, refusals and marked values.
#include "editor/ui/SettingsEditor.h"

#include "EditorUiTestSupport.h"
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
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace tc;
using namespace tc::ui;

namespace {

using test::Records;
using test::RunWith;
using test::TypeOver;

void Leave(SettingsEditor& dialog, const char* key)
{
    QTest::keyClick(dialog.Control(key)->spin, Qt::Key_Tab);
}

QString SpinText(const FieldWidget& w)
{
    return w.spin->text().trimmed();
}

// Does what a user does to a control: "#n" picks item n of a choice (with the
// keyboard) or radio group (a click), "on"/"off" clicks a check box into that
// state, anything else is typed into a spin box, which is then left.
void Act(SettingsEditor& dialog, const QString& key, const QString& value)
{
    const std::string k = key.toStdString();
    const FieldWidget* w = dialog.Control(k);
    QVERIFY2(w, qPrintable(key));
    QVERIFY2(w->IsVisible() && w->Editor()->isEnabled(), qPrintable(key + " cannot be used"));
    dialog.pages->setCurrentWidget(dialog.PageTab(w->Row().page));
    if (w->check) {
        if (w->check->isChecked() != (value == "on"))
            w->check->click();
    } else if (w->radios) {
        w->RadioButtons().at(value.mid(1).toInt())->click();
    } else if (w->combo) {
        const int item = value.mid(1).toInt();
        w->combo->setFocus(Qt::TabFocusReason);
        QTest::keyClick(w->combo, Qt::Key_Home);
        for (int i = 0; i < w->combo->count() && w->combo->currentIndex() < item; ++i)
            QTest::keyClick(w->combo, Qt::Key_Down);
        QCOMPARE(w->combo->currentIndex(), item);
    } else if (w->spin->findChild<QLineEdit*>()->isReadOnly()) {
        // Arrows only: step towards the value.
        w->spin->setFocus(Qt::TabFocusReason);
        const auto current = [&] { return QLocale::c().toDouble(SpinText(*w)); };
        const double target = QLocale::c().toDouble(value);
        for (int i = 0; i < 1000 && current() != target; ++i)
            QTest::keyClick(w->spin, current() < target ? Qt::Key_Up : Qt::Key_Down);
        QCOMPARE(SpinText(*w), value);
        Leave(dialog, k.c_str());
    } else {
        TypeOver(dialog, k.c_str(), value);
        Leave(dialog, k.c_str());
    }
}

// One line per control: what the session shows, and what the widgets show.
QString SessionLine(const ShownControl& c)
{
    QString line = ToQ(c.field->key) + (c.visible ? " shown" : " hidden") + (c.enabled ? " enabled " : " disabled ") + ToQ(c.caption) + " = ";
    if (c.mark != ValueMark::None)
        line += "(marked) ";
    switch (c.kind) {
    case ControlKind::Number:
        if (c.mark == ValueMark::None)
            line += QString::number(c.min, 'f', c.decimals) + ".." + QString::number(c.max, 'f', c.decimals) + " ";
        return line + ToQ(c.text);
    case ControlKind::Choice:
    case ControlKind::Radio:
        for (const auto& item : c.items)
            line += ToQ(item.text) + (item.enabled ? "" : "(off)") + "|";
        return line + " #" + QString::number(c.selected);
    case ControlKind::Check:
        return line + (c.checked ? "on" : "off");
    case ControlKind::Time:
    case ControlKind::Text:
        return line + ToQ(c.text);
    }
    return line;
}

// Every control's tooltip: its caption, limits, default and the command-line key.
void CheckTooltips(SettingsEditor& dialog, EditSession& s, bool english)
{
    // A default the reference settings cannot show (a value outside the
    // control's items on this model) is left out; most controls have one.
    int shown = 0, withDefault = 0;
    for (const auto& w : dialog.Binder().Widgets()) {
        const ShownControl c = s.Shown(w.field);
        const QString tip = w.Editor()->toolTip();
        QVERIFY2(tip.startsWith(ToQ(c.caption) + QLatin1Char('\n')), qPrintable(tip));
        QVERIFY2(tip.contains(ToQ(w.Row().key)), qPrintable(tip));
        shown += w.IsVisible();
        withDefault += w.IsVisible() && tip.contains(english ? QStringLiteral("Default: ") : QString::fromUtf8("По умолчанию: "));
        if (c.kind == ControlKind::Number)
            QVERIFY2(tip.contains(QString::number(c.min, 'f', c.decimals) + QStringLiteral(" … ") + QString::number(c.max, 'f', c.decimals)),
                     qPrintable(tip));
    }
    QVERIFY2(withDefault * 10 >= shown * 9, qPrintable(QStringLiteral("%1 of %2").arg(withDefault).arg(shown)));
}

QString WidgetLine(const FieldWidget& w)
{
    QString line = ToQ(w.Row().key) + (w.IsVisible() ? " shown" : " hidden") + (w.Editor()->isEnabled() ? " enabled " : " disabled ");
    const QString marked = w.Editor()->styleSheet().isEmpty() ? QString() : QStringLiteral("(marked) ");
    switch (w.kind) {
    case ControlKind::Number: {
        line += w.label->text() + " = " + marked;
        if (marked.isEmpty()) {
            if (const auto* d = qobject_cast<const QDoubleSpinBox*>(w.spin))
                line += QString::number(d->minimum(), 'f', d->decimals()) + ".." + QString::number(d->maximum(), 'f', d->decimals()) + " ";
            else if (const auto* i = qobject_cast<const QSpinBox*>(w.spin))
                line += QString::number(i->minimum()) + ".." + QString::number(i->maximum()) + " ";
        }
        return line + SpinText(w);
    }
    case ControlKind::Choice: {
        line += w.label->text() + " = " + marked;
        const auto* model = qobject_cast<QStandardItemModel*>(w.combo->model());
        for (int i = 0; i < w.combo->count(); ++i) // an item carries its index
            line += w.combo->itemText(i) + (model->item(i)->isEnabled() ? "" : "(off)") + (w.combo->itemData(i).toInt() == i ? "|" : "(data!)|");
        return line + " #" + QString::number(w.combo->currentIndex());
    }
    case ControlKind::Radio: {
        line += w.radioBox->title() + " = " + marked;
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
    case ControlKind::Time:
    case ControlKind::Text:
        return line + w.label->text() + " = " + marked + w.line->text();
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
        const auto panels = EditorPanels();
        const bool hasRows = std::any_of(fields.begin(), fields.end(), [&](const Field& f) { return f.page == page.page->page && f.part.empty(); })
                          || std::any_of(panels.begin(), panels.end(), [&](const PanelDef& p) { return p.page == page.page->page; });
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
    // Every model of the model table in both languages: title, tabs and every
    // control as the session shows it, within a 1024 x 600 screen, nothing stored.
    void opensForEveryModelShowingWhatTheSessionShows_data()
    {
        test::ModelAndLanguageColumns();
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
        const auto records = Records(model);
        const auto image = model.Image;

        const ui::WindowLanguageScope scope(LanguageOf(english));
        const bool ok = EditSettings(model, LanguageOf(english), [&](EditSession& s) {
            SettingsEditor dialog(s);
            dialog.show();
            CheckShowsTheSession(dialog, s, english);
            CheckTooltips(dialog, s, english);
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

        ScriptedUser user;
        for (bool ok : {false, true}) {
            user.choices = {1}; // Cancel with changes: "Discard"
            const bool accepted = RunWith(model, [&](SettingsEditor& dialog, EditSession& s) {
                TypeOver(dialog, k.c_str(), typed);
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

    // Nothing the user did not do stores anything: filling every control
    // again, the wheel over controls without the focus, passing through every
    // field (a blank correction factor among them) and OK.
    void onlyWhatTheUserDoesIsStored()
    {
        SettingsModel model = test::LoadedModel(0xC000, 0);
        PutF32(model.Record(6), 60, std::numeric_limits<float>::quiet_NaN());
        model.EncodeSection(6);
        const auto records = Records(model);
        QVERIFY(RunWith(model, [&](SettingsEditor& dialog, EditSession&) {
            dialog.Binder().FillAll();
            dialog.pages->setCurrentWidget(dialog.PageTab(Page::Sources));
            dialog.okButton->setFocus();
            for (const char* key : {"sources.detection", "sources.tank_volume"}) {
                QWidget* w = dialog.Control(key)->Editor();
                const QPointF at(w->width() / 2.0, w->height() / 2.0);
                QWheelEvent wheel(at, w->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
                QApplication::sendEvent(w, &wheel);
            }
            for (const auto& w : dialog.Binder().Widgets())
                if (w.spin && w.IsVisible()) {
                    dialog.pages->setCurrentWidget(dialog.PageTab(w.Row().page));
                    w.spin->setFocus(Qt::TabFocusReason);
                    QTest::keyClick(w.spin, Qt::Key_Tab);
                }
            QCOMPARE(SpinText(*dialog.Control("corrections.speed")), QString()); // blank, and marked
            QVERIFY(!dialog.Control("corrections.speed")->spin->styleSheet().isEmpty());
            dialog.okButton->click();
        }));
        QCOMPARE(Records(model), records);
    }

    // Enter stores like leaving the field and is the dialog's OK; OK pressed
    // with the focus still in an edited field stores it too.
    void enterAndOkStoreTheFieldBeingEdited()
    {
        SettingsModel model = test::LoadedModel(0xC000, 0);
        QVERIFY(RunWith(model, [&](SettingsEditor& dialog, EditSession&) {
            TypeOver(dialog, "corrections.clock", "12");
            QTest::keyClick(dialog.Control("corrections.clock")->spin, Qt::Key_Return);
            QTRY_VERIFY(!dialog.isVisible());
        }));
        QCOMPARE(static_cast<int>(static_cast<std::int8_t>(model.Record(6)[54])), 12);
        QVERIFY(RunWith(model, [&](SettingsEditor& dialog, EditSession&) {
            TypeOver(dialog, "corrections.initial_hours", "4321");
            dialog.okButton->click(); // a click that leaves the focus in the field
        }));
        QCOMPARE(GetU32(model.Record(1), 148), std::uint32_t{4321});
    }

    // What users do on the sources and limits pages changes other controls;
    // after each step every control shows what the session shows (the binder
    // refreshed exactly what changed), and the bytes say what was stored.
    void userActionsRefreshEveryDependentControl_data()
    {
        QTest::addColumn<int>("modelCode");
        QTest::addColumn<int>("protocolIndex");
        QTest::addColumn<QStringList>("steps"); // key=value, as Act does them
        QTest::addColumn<QStringList>("after"); // key=shown|hidden, record:offset=byte or record:offset.bit=0|1
        QTest::addRow("manual detection shows the protocol")
            << 0xC000 << 11 << QStringList{"sources.detection=#4"} << QStringList{"sources.protocol=shown", "10:8=4"};
        QTest::addRow("another protocol rebuilds the option lists")
            << 0xC000 << 11 << QStringList{"sources.detection=#4", "sources.option1=#1", "sources.protocol=#0"}
            << QStringList{"10:4=0", "10:6=0", "10:13=0", "limits.at_oil_wear=hidden"};
        QTest::addRow("virtual lock shows its level")
            << 0xC000 << 11 << QStringList{"sources.lock_type=#1"} << QStringList{"sources.lock_level=shown"};
        QTest::addRow("an injector source shows polarity and tachometer")
            << 0xC000 << 0 << QStringList{"sources.petrol=#1"} << QStringList{"corrections.injector_polarity=shown", "6:42=1"};
        QTest::addRow("fuel level sensor brings battery compensation")
            << 0xC000 << 11 << QStringList{"sources.tank_method=#1", "sources.battery_compensation=off"}
            << QStringList{"sources.battery_compensation=shown", "3:38=1"};
        QTest::addRow("trim low limit narrows the high limit")
            << 0x5800 << 0 << QStringList{"limits.trim_high=60", "limits.trim_low=50"} << QStringList{"6:36=50", "6:37=60"};
        QTest::addRow("second tank and gas mode bits")
            << 0xC010 << 0 << QStringList{"sources.use_tank2=on", "sources.gas_mode=on", "sources.use_tank2=off"}
            << QStringList{"6:0.3=0", "6:0.5=1"};
        QTest::addRow("speed limit in steps of two")
            << 0xC000 << 0 << QStringList{"limits.speed=130"} << QStringList{"6:4=65"};
    }
    void userActionsRefreshEveryDependentControl()
    {
        QFETCH(int, modelCode);
        QFETCH(int, protocolIndex);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, after);
        ScriptedUser user;
        SettingsModel model = test::LoadedModel(static_cast<std::uint16_t>(modelCode), static_cast<std::uint16_t>(protocolIndex));
        QVERIFY(RunWith(model, [&](SettingsEditor& dialog, EditSession& s) {
            for (const QString& step : steps) {
                Act(dialog, step.section('=', 0, 0), step.section('=', 1));
                QCOMPARE(user.errors, QStringList());
                CheckShowsTheSession(dialog, s, false);
                if (QTest::currentTestFailed())
                    return;
            }
            for (const QString& check : after) {
                const QString key = check.section('=', 0, 0);
                const QString want = check.section('=', 1);
                if (key.contains(':')) {
                    const auto record = model.Record(key.section(':', 0, 0).toInt());
                    const QString place = key.section(':', 1);
                    const int byte = record[place.section('.', 0, 0).toULong()];
                    QCOMPARE(QString::number(place.contains('.') ? (byte >> place.section('.', 1).toInt()) & 1 : byte), want);
                } else {
                    QCOMPARE(dialog.Control(key.toStdString())->IsVisible(), want == "shown");
                }
            }
            dialog.okButton->click();
        }));
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
            TypeOver(dialog, "corrections.air_temperature", "-");
            Leave(dialog, "corrections.air_temperature");
            QCOMPARE(user.errors, QStringList{ToQ(s.RangeMessage(s.Shown("corrections.air_temperature"), "-"))});
            QCOMPARE(SpinText(*dialog.Control("corrections.air_temperature")), QStringLiteral("4"));
            QCOMPARE(Records(model), records);

            TypeOver(dialog, "corrections.air_temperature", "-");
            QTest::keyClick(dialog.Control("corrections.air_temperature")->spin, Qt::Key_Enter);
            QCOMPARE(user.errors.size(), 2);
            QVERIFY(dialog.isVisible());

            // The same for a date field: the message once, the dialog open.
            const FieldWidget* date = dialog.Control("maintenance.service_date");
            dialog.pages->setCurrentWidget(dialog.PageTab(Page::Maintenance));
            date->line->setFocus(Qt::TabFocusReason);
            date->line->selectAll();
            QTest::keyClicks(date->line, QStringLiteral("31.02.25"));
            QTest::keyClick(date->line, Qt::Key_Return);
            QCOMPARE(user.errors.size(), 3);
            QVERIFY(dialog.isVisible());
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(date->line));
        });
        QCOMPARE(Records(model), records);
    }

    // Undo and redo through the keys walk back and forth over what the user
    // did in the widgets, one change at a time, every control showing the
    // session after each; Revert to opened asks nothing and is undone too;
    // Ctrl+Z in a field being typed into takes back the typing only.
    void undoRedoAndRevertOverWhatWasTyped()
    {
        ScriptedUser user;
        SettingsModel model = test::LoadedModel(0xC000, 11);
        std::vector<std::uint8_t> last;
        QVERIFY(RunWith(model, [&](SettingsEditor& dialog, EditSession& s) {
            const auto opened = Records(model);
            QVERIFY(!dialog.undoButton->isEnabled() && !dialog.redoButton->isEnabled() && !dialog.revertButton->isEnabled());
            const auto key = [](Qt::Key k, Qt::KeyboardModifiers m) { QTest::keyClick(QApplication::focusWidget(), k, m); };
            std::vector<std::vector<std::uint8_t>> states{opened};
            // One change each (a list moved by one item).
            const QStringList steps{"sources.tank_method=#1", "sources.battery_compensation=off",
                                    "corrections.clock=12", "limits.speed=130", "sources.lock_type=#1"};
            for (const QString& step : steps) {
                Act(dialog, step.section('=', 0, 0), step.section('=', 1));
                QVERIFY2(Records(model) != states.back(), qPrintable(step));
                states.push_back(Records(model));
            }
            const FieldWidget* name = dialog.Control("maintenance.item1_name");
            QVERIFY(name && name->line);
            dialog.pages->setCurrentWidget(dialog.PageTab(Page::Maintenance));
            name->line->setFocus(Qt::TabFocusReason);
            name->line->selectAll();
            QTest::keyClicks(name->line, QStringLiteral("Belt 2"));
            QTest::keyClick(name->line, Qt::Key_Tab);
            QCOMPARE(ToQ(s.Shown("maintenance.item1_name").text), QStringLiteral("Belt 2"));
            states.push_back(Records(model));
            QCOMPARE(user.errors, QStringList());

            // Typing not yet committed: Ctrl+Z is the field's own.
            TypeOver(dialog, "corrections.clock", "7");
            key(Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(Records(model), states.back());
            Leave(dialog, "corrections.clock");
            QCOMPARE(Records(model), states.back());
            QCOMPARE(SpinText(*dialog.Control("corrections.clock")), QStringLiteral("12"));

            for (std::size_t i = states.size() - 1; i > 0; --i) {
                QVERIFY(dialog.undoButton->isEnabled());
                key(Qt::Key_Z, Qt::ControlModifier);
                QCOMPARE(Records(model), states[i - 1]);
                CheckShowsTheSession(dialog, s, false);
            }
            QVERIFY(!dialog.undoButton->isEnabled() && dialog.redoButton->isEnabled() && !dialog.revertButton->isEnabled());
            for (std::size_t i = 1; i < states.size(); ++i) {
                if (i % 2)
                    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
                else
                    key(Qt::Key_Y, Qt::ControlModifier);
                QCOMPARE(Records(model), states[i]);
            }
            CheckShowsTheSession(dialog, s, false);
            QVERIFY(!dialog.redoButton->isEnabled());

            dialog.revertButton->click();
            QCOMPARE(Records(model), opened);
            CheckShowsTheSession(dialog, s, false);
            dialog.undoButton->click();
            QCOMPARE(Records(model), states.back());
            QCOMPARE(SpinText(*dialog.Control("corrections.clock")), QStringLiteral("12"));
            QVERIFY(user.questions.isEmpty());
            last = Records(model);
            dialog.okButton->click();
        }));
        QCOMPARE(Records(model), last);
    }

    // Esc, Cancel and the close box with nothing changed close at once; with
    // a change (stored, or only typed) they ask: Back to editing (also the
    // answer to Esc) keeps the dialog and the change, Discard closes and
    // restores, Apply closes as OK would.
    void closingWithChangesAsksFirst_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("answer"); // 0 Apply, 1 Discard, 2 Back to editing
        QTest::addColumn<bool>("typedOnly");
        for (const char* how : {"esc", "cancel", "close"})
            for (int answer : {0, 1, 2})
                QTest::addRow("%s answer %d", how, answer) << QString(how) << answer << false;
        QTest::addRow("esc while typing, discard") << "esc" << 1 << true;
        QTest::addRow("esc while typing, apply") << "esc" << 0 << true;
    }
    void closingWithChangesAsksFirst()
    {
        QFETCH(QString, how);
        QFETCH(int, answer);
        QFETCH(bool, typedOnly);
        ScriptedUser user;
        SettingsModel model = test::LoadedModel(0xC000, 0);
        const auto records = Records(model);
        bool stillOpen = false;
        const auto close = [&](SettingsEditor& dialog) {
            if (how == "esc")
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &dialog, Qt::Key_Escape);
            else if (how == "cancel")
                dialog.cancelButton->click();
            else
                dialog.close();
        };
        const bool accepted = RunWith(model, [&](SettingsEditor& dialog, EditSession&) {
            close(dialog); // nothing changed: no question
            QVERIFY(!dialog.isVisible());
            QVERIFY(user.questions.isEmpty());
        });
        QVERIFY(!accepted);
        const bool kept = RunWith(model, [&](SettingsEditor& dialog, EditSession& s) {
            TypeOver(dialog, "corrections.clock", "12");
            if (!typedOnly)
                Leave(dialog, "corrections.clock");
            user.choices = {answer};
            close(dialog);
            QCOMPARE(user.questions.size(), 1);
            QVERIFY(user.questions[0].contains(QStringLiteral("Применить")));
            stillOpen = dialog.isVisible();
            if (stillOpen)
                QCOMPARE(ToQ(s.Shown("corrections.clock").text), QStringLiteral("12"));
        });
        QCOMPARE(stillOpen, answer == 2);
        QCOMPARE(kept, answer == 0);
        if (answer == 0)
            QCOMPARE(static_cast<int>(static_cast<std::int8_t>(model.Record(6)[54])), 12);
        else
            QCOMPARE(Records(model), records);
    }

    // Tab walks each page's controls in layout order (into a radio group at
    // its checked button), then OK.
    void tabWalksTheControlsInLayoutOrder_data()
    {
        QTest::addColumn<int>("page");
        for (int page = 0; page < 3; ++page)
            QTest::addRow("page %d", page) << page;
    }
    void tabWalksTheControlsInLayoutOrder()
    {
        QFETCH(int, page);
        SettingsModel model = test::LoadedModel(0xC000, 0);
        RunWith(model, [&](SettingsEditor& dialog, EditSession&) {
            if (page >= dialog.pages->count())
                QSKIP("the page has no rows yet");
            dialog.pages->setCurrentIndex(page);
            QWidget* tab = dialog.pages->currentWidget();
            QList<QWidget*> expected;
            for (const auto& w : dialog.Binder().Widgets()) {
                if (!tab->isAncestorOf(w.Editor()) || !w.IsVisible() || !w.Editor()->isEnabled())
                    continue;
                if (!w.radios)
                    expected << w.Editor();
                else if (w.radios->checkedButton())
                    expected << w.radios->checkedButton();
            }
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
