// What the user types into the settings editor is judged as typed: every
// number control of every model, typed through the real widget (or stepped
// with the arrows where the field takes no typing) at its limits and one step
// outside, agrees value for value with the command line's `set` (a session
// of its own on a copy of the settings); times, dates and names are refused,
// never cut; the focus stays in a refused field.
#include "editor/ui/SettingsEditor.h"

#include "EditorUiTestSupport.h"
#include "EditorTestSupport.h"
#include "catalogs/Catalogs.h"
#include "common/Language.h"
#include "editor/Codecs.h"
#include "ui/ScriptedUser.h"
#include "ui/Text.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QtTest>

using namespace tc;
using namespace tc::ui;

namespace {

using test::Records;
using test::RunWith;

// What `tripconf-cli set KEY=TEXT` does with the settings as they stand: the
// message it refuses with ("" when it stores) and the records after it.
std::pair<QString, std::vector<std::uint8_t>> CliSet(const SettingsModel& model, const EditorContext& ctx, const std::string& key,
                                                     const std::string& text)
{
    SettingsModel copy = model;
    EditSession cli(copy, ctx);
    const std::string message = test::Message([&] { cli.Commit(key, text); });
    return {message == "(accepted)" ? QString() : ToQ(message), Records(copy)};
}

bool FocusIn(const QWidget* editor)
{
    const QWidget* focus = QApplication::focusWidget();
    return focus && (focus == editor || editor->isAncestorOf(focus));
}

// Types `text` into a control's editor as key events (Cyrillic too), over what it shows, and leaves it with Tab.
void TypeAndLeave(const FieldWidget& w, const QString& text)
{
    QWidget* editor = w.Editor();
    RevealWidget(editor);
    editor->setFocus(Qt::TabFocusReason);
    if (w.spin)
        w.spin->selectAll();
    else
        w.line->selectAll();
    QTest::keyClick(editor, Qt::Key_Delete);
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w.spin ? static_cast<QWidget*>(w.spin->findChild<QLineEdit*>()) : editor, &press);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
}

// The dialog's outcome against the command line's for one value: the same
// refusal (or none), the same records; a refused value leaves the control
// showing what it showed, the focus in it.
void Agree(EditSession& s, ScriptedUser& user, const FieldWidget& w, const std::string& key,
           const std::pair<QString, std::vector<std::uint8_t>>& cli, const QString& shownBefore, const char* what)
{
    const QString where = ToQ(key) + " " + what;
    if (cli.first.isEmpty()) {
        QVERIFY2(user.errors.isEmpty(), qPrintable(where + ": " + user.errors.join('|')));
    } else {
        QCOMPARE(user.errors, QStringList{cli.first});
        QVERIFY2(FocusIn(w.Editor()), qPrintable(where + ": the focus left the refused field"));
        const QString now = w.spin ? w.spin->text().trimmed() : w.line->text();
        QCOMPARE(now, shownBefore);
    }
    QVERIFY2(Records(s.Model()) == cli.second, qPrintable(where + ": the records differ from the command line's"));
    user.errors.clear();
}

} // namespace

class TypedValuesTest : public QObject {
    Q_OBJECT

private slots:
    void everyNumberControlAgreesWithTheCommandLine_data()
    {
        test::ModelAndLanguageColumns();
        bool english = false;
        for (const auto& m : ListedModels()) {
            QTest::addRow("%s", std::string(m.name).c_str()) << int{m.code} << english;
            english = !english; // both languages' messages, across the models
        }
    }
    void everyNumberControlAgreesWithTheCommandLine()
    {
        QFETCH(int, modelCode);
        QFETCH(bool, english);
        ScriptedUser user;
        SettingsModel model = test::LoadedModel(static_cast<std::uint16_t>(modelCode), 0);
        int typed = 0, stepped = 0;
        RunWith(model, LanguageOf(english), [&](SettingsEditor& dialog, EditSession& s) {
            for (const FieldWidget& w : dialog.Binder().Widgets()) {
                if (!w.spin)
                    continue;
                const std::string key(w.Row().key);
                const ShownControl c = s.Shown(w.field);
                if (!c.visible || !c.enabled || !w.IsVisible())
                    continue;
                RevealWidget(w.Editor());
                if (c.typing) {
                    ++typed;
                    const auto text = [&](double v) { return FormatNumber(v, c.decimals); };
                    // One step outside first (nothing changes), then the limits.
                    for (const auto& [value, what] : {std::pair{c.min - c.step, "below"}, {c.max + c.step, "above"},
                                                      {c.max, "max"}, {c.min, "min"}}) {
                        const ShownControl now = s.Shown(w.field);
                        if (!now.visible || !now.enabled)
                            break; // a limit of this control hid it
                        const auto cli = CliSet(s.Model(), s.Context(), key, text(value));
                        const QString before = w.spin->text().trimmed();
                        TypeAndLeave(w, ToQ(text(value)));
                        Agree(s, user, w, key, cli, before, what);
                        if (QTest::currentTestFailed())
                            return;
                    }
                    continue;
                }
                // Arrows only: at each limit the arrow beyond it stores nothing
                // (as the command line refuses the step beyond), the arrow back
                // stores one step inside.
                ++stepped;
                for (const bool top : {true, false}) {
                    const double limit = top ? c.max : c.min;
                    const double sign = top ? 1 : -1;
                    s.Commit(key, FormatNumber(limit, c.decimals));
                    dialog.Binder().Fill(w.field);
                    w.spin->setFocus(Qt::TabFocusReason);
                    const auto before = Records(s.Model());
                    const auto beyond = CliSet(s.Model(), s.Context(), key, FormatNumber(limit + sign * c.step, c.decimals));
                    QVERIFY2(!beyond.first.isEmpty(), key.c_str());
                    QTest::keyClick(w.spin, top ? Qt::Key_Up : Qt::Key_Down);
                    QTest::keyClick(w.spin, Qt::Key_Tab);
                    QVERIFY2(Records(s.Model()) == before, key.c_str());
                    QCOMPARE(w.spin->text().trimmed(), ToQ(FormatNumber(limit, c.decimals)));
                    const auto inside = CliSet(s.Model(), s.Context(), key, FormatNumber(limit - sign * c.step, c.decimals));
                    w.spin->setFocus(Qt::TabFocusReason);
                    QTest::keyClick(w.spin, top ? Qt::Key_Down : Qt::Key_Up);
                    QTest::keyClick(w.spin, Qt::Key_Tab);
                    Agree(s, user, w, key, inside, QString(), "inside");
                    if (QTest::currentTestFailed())
                        return;
                }
            }
        });
        QVERIFY(typed > 0);
        qInfo("model %04X: %d number controls typed into, %d stepped with the arrows", modelCode, typed, stepped);
    }

    // What stock widgets did to typed text (a digit past the maximum or the
    // decimals dropped, a long name cut, a time mask) no longer happens: the
    // value is refused as typed, with the command line's message, or stored as typed.
    void typedTextIsRefusedNeverCut_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("stored");
        QTest::addRow("90 in 25..80 is not 9") << "limits.engine_speed" << "90" << false;
        QTest::addRow("a seventh digit") << "corrections.initial_mileage" << "1234567" << false;
        QTest::addRow("a second decimal") << "corrections.speed" << "0.95" << false;
        QTest::addRow("one decimal") << "corrections.speed" << "0.9" << true;
        QTest::addRow("a comma for the point") << "corrections.speed" << "0,9" << true;
        QTest::addRow("not a number") << "corrections.speed" << "abc" << false;
        QTest::addRow("hour 25") << "display.day_time" << "25:00" << false;
        QTest::addRow("a time") << "display.day_time" << "07:30" << true;
        QTest::addRow("31 February") << "maintenance.service_date" << "31.02.25" << false;
        QTest::addRow("a date") << "maintenance.service_date" << "28.02.25" << true;
        QTest::addRow("sixteen characters") << "maintenance.item1_name" << QStringLiteral("Масляный фильтр1") << false;
        QTest::addRow("fifteen characters") << "maintenance.item1_name" << QStringLiteral("Масляный фильтр") << true;
        QTest::addRow("outside the code page") << "maintenance.item1_name" << QStringLiteral("Фильтр ✓") << false;
    }
    void typedTextIsRefusedNeverCut()
    {
        QFETCH(QString, key);
        QFETCH(QString, text);
        QFETCH(bool, stored);
        const std::string k = key.toStdString();
        ScriptedUser user;
        SettingsModel model = test::LoadedModel(0xC000, 0);
        RunWith(model, [&](SettingsEditor& dialog, EditSession& s) {
            const FieldWidget* w = dialog.Control(k);
            QVERIFY2(w && w->IsVisible(), qPrintable(key));
            const auto cli = CliSet(s.Model(), s.Context(), k, text.toStdString());
            QCOMPARE(cli.first.isEmpty(), stored);
            const QString before = w->spin ? w->spin->text().trimmed() : w->line->text();
            TypeAndLeave(*w, text);
            Agree(s, user, *w, k, cli, before, "typed");
            if (stored)
                QCOMPARE(ToQ(s.Shown(k).text), QString(text).replace(',', '.'));
            dialog.okButton->click();
        });
    }
};

QTEST_MAIN(TypedValuesTest)
#include "TypedValuesTest.moc"
