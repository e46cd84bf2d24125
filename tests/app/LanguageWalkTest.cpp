// The language walk: every window, dialog, page, sub-page, menu and tooltip
// is built in Russian and in English, and every text it shows is gathered by
// its place in the widget tree. A text is wrong when it belongs to the other
// language: Cyrillic in English mode, or in Russian mode an English text that
// stays the same in both modes. The texts kept in one language on purpose are
// listed below with their reason; anything else fails.
#include "app/MainWindow.h"
#include "app/ProgressWindow.h"
#include "app/RestorePointsDialog.h"
#include "app/UserGuide.h"
#include "common/Language.h"
#include "editor/EditSession.h"
#include "editor/ui/SettingsEditor.h"
#include "journals/ui/JournalsDialog.h"
#include "link/ui/PasswordDialog.h"
#include "link/ui/PortDialog.h"
#include "model/ReferenceLayout.h"
#include "ui/Prompter.h"
#include "ui/QtLanguage.h"
#include "ui/ScriptedUser.h"
#include "ui/Text.h"
#include "ui/WindowTest.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSettings>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <functional>
#include <memory>

using namespace tc;
using namespace tc::ui;

namespace {

// Texts kept as they stand in both languages, each with its reason.
struct Exception {
    const char* text; // exact text, or a regular expression when it starts with '^'
    const char* reason;
};

const Exception kExceptions[] = {
    {"English language", "the language box reads the same in both languages, so it can be found in either"},
    {"Divers", "the display page's English caption, kept as the unit's own documentation names it"},
    {"Displays x ", "the x6 sub-page's English caption, trailing space included, kept letter for letter"},
    {"OK", "the same word in both languages"},
    {"JSON (*.json)", "a format name"},
    {"^.*\\(\\*\\)$", "Qt's file dialog shows the filter's pattern"},
    {"tripconf", "the program's name"},
    {"Jatco", "a gearbox maker's name, the same in both languages"},
    {"^/", "a folder or file path: the user's data"},
};

// Places whose texts come from the catalogs (the unit's own names), with the reason.
const Exception kCatalogPlaces[] = {
    {"QComboBox#sources.protocol[", "vehicle protocol names from the catalog, as the unit lists them"},
};

bool IsCatalogPlace(const QString& key)
{
    for (const Exception& e : kCatalogPlaces)
        if (key.contains(QString::fromUtf8(e.text)))
            return true;
    return false;
}

bool IsException(const QString& text)
{
    for (const Exception& e : kExceptions) {
        const QString pattern = QString::fromUtf8(e.text);
        if (pattern.startsWith(QLatin1Char('^')) ? QRegularExpression(pattern).match(text).hasMatch() : text == pattern)
            return true;
    }
    return false;
}

bool HasCyrillic(const QString& text)
{
    for (const QChar c : text)
        if (c.script() == QChar::Script_Cyrillic)
            return true;
    return false;
}

// An English word: three Latin letters in a row (so "COM3", "x1", "km/h"
// and "Т eng., С" do not count as words of a language).
bool HasEnglishWord(const QString& text)
{
    static const QRegularExpression word(QStringLiteral("\\b[A-Za-z][a-z]{2,}\\b"));
    return word.match(text).hasMatch() && !HasCyrillic(text);
}

// Where a widget sits: each ancestor's class, name and index among its siblings.
QString PlaceOf(const QObject* o)
{
    QStringList parts;
    for (; o; o = o->parent()) {
        int index = 0;
        if (o->parent())
            index = static_cast<int>(o->parent()->children().indexOf(const_cast<QObject*>(o)));
        parts.prepend(QStringLiteral("%1#%2[%3]").arg(QString::fromLatin1(o->metaObject()->className()), o->objectName()).arg(index));
    }
    return parts.join(QLatin1Char('/'));
}

using Texts = QMap<QString, QString>; // place/property -> text

void Gather(QWidget* root, Texts& out)
{
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        const QString place = PlaceOf(w);
        auto add = [&](const QString& what, const QString& text) {
            if (!text.trimmed().isEmpty())
                out.insert(place + QLatin1Char(':') + what, text);
        };
        if (w->isWindow())
            add(QStringLiteral("title"), w->windowTitle());
        add(QStringLiteral("tooltip"), w->toolTip());
        if (auto* l = qobject_cast<QLabel*>(w))
            add(QStringLiteral("text"), l->text());
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            add(QStringLiteral("text"), b->text());
        if (auto* g = qobject_cast<QGroupBox*>(w))
            add(QStringLiteral("title"), g->title());
        if (auto* e = qobject_cast<QLineEdit*>(w))
            add(QStringLiteral("placeholder"), e->placeholderText());
        if (auto* t = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < t->count(); ++i) {
                add(QStringLiteral("tab%1").arg(i), t->tabText(i));
                add(QStringLiteral("tabtip%1").arg(i), t->tabToolTip(i));
            }
        if (auto* t = qobject_cast<QTableWidget*>(w)) {
            for (int i = 0; i < t->columnCount(); ++i)
                if (auto* h = t->horizontalHeaderItem(i))
                    add(QStringLiteral("column%1").arg(i), h->text());
            for (int i = 0; i < t->rowCount(); ++i)
                if (auto* h = t->verticalHeaderItem(i))
                    add(QStringLiteral("row%1").arg(i), h->text());
        }
        // The items of the hot-menu trees and the extra-system lists are the
        // catalogs' names (the unit's own), and are not gathered.
        if (auto* c = qobject_cast<QComboBox*>(w); c && !c->isEditable())
            for (int i = 0; i < c->count(); ++i)
                add(QStringLiteral("item%1").arg(i), c->itemText(i));
        const QList<QAction*> actions = w->actions();
        for (int i = 0; i < actions.size(); ++i) {
            add(QStringLiteral("action%1").arg(i), actions[i]->text());
            add(QStringLiteral("actiontip%1").arg(i), actions[i]->toolTip() == actions[i]->iconText() ? QString() : actions[i]->toolTip());
            if (QMenu* menu = actions[i]->menu())
                for (int j = 0; j < menu->actions().size(); ++j)
                    add(QStringLiteral("action%1.%2").arg(i).arg(j), menu->actions()[j]->text());
        }
        if (auto* m = qobject_cast<QMenu*>(w))
            add(QStringLiteral("menutitle"), m->title());
    }
}

// Every window of the program, built in the current language; each is
// gathered under its own name.
void GatherAll(Texts& out, const QString& folder)
{
    ScriptedUser user; // the main window says at start that no port is free
    auto under = [&out](const QString& name, QWidget& w) {
        Texts t;
        Gather(&w, t);
        for (auto it = t.begin(); it != t.end(); ++it)
            out.insert(name + QLatin1Char('|') + it.key(), it.value());
    };
    const Language language = WindowLanguage();
    const bool english = IsEnglish(language);
    {
        QSettings ini(folder + QStringLiteral("/walk.ini"), QSettings::IniFormat);
        ini.setValue(QStringLiteral("Common/EnglishVersion"), english ? QStringLiteral("1") : QStringLiteral("0"));
    }
    DeviceLink link;
    SettingsModel model;
    LoadReferenceImage(model, 0xC000);
    MainWindow::Options options;
    options.iniFile = folder + QStringLiteral("/walk.ini");
    MainWindow form(link, model, options);
    form.show();
    QCOMPARE(WindowLanguage(), language);
    under(QStringLiteral("main"), form);

    EditSettings(model, tc::ui::WindowLanguage(), [&](EditSession& session) {
        SettingsEditor editor(session);
        under(QStringLiteral("editor"), editor);
        return false;
    });
    JournalsDialog journals(model, NumberFormat{".", tc::ui::WindowLanguage()});
    under(QStringLiteral("journals"), journals);
    RestorePointsDialog points({}, folder);
    under(QStringLiteral("restorepoints"), points);
    PortDialog port;
    under(QStringLiteral("port"), port);
    PasswordDialog password;
    under(QStringLiteral("password"), password);
    ProgressWindow progress(nullptr);
    under(QStringLiteral("progress"), progress);
    TableQuestion q;
    q.intro = QStringLiteral("-");
    std::unique_ptr<QDialog> table(MakeTableQuestionDialog(q, nullptr));
    under(QStringLiteral("tablequestion"), *table);
    QMessageBox box(QMessageBox::Question, ApplicationTitle(), QStringLiteral("?"), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    under(QStringLiteral("messagebox"), box);
    std::unique_ptr<QDialog> guide(MakeUserGuide(nullptr));
    under(QStringLiteral("guide"), *guide);
    // The guide's own text: one language (it quotes the fixed English link
    // messages in Russian, which the walk's exceptions allow).
    if (auto* browser = guide->findChild<QTextBrowser*>()) {
        const QString text = browser->toPlainText();
        QVERIFY(text.size() > 2000);
        QCOMPARE(HasCyrillic(text), !english);
        QVERIFY(!browser->document()->resource(QTextDocument::ImageResource, QUrl(english ? "main-window-en.png" : "main-window-ru.png")).isNull());
    } else {
        QFAIL("the guide has no text browser");
    }
    QFileDialog files(nullptr, QString(), folder, QStringLiteral("JSON (*.json)"));
    files.setOption(QFileDialog::DontUseNativeDialog, true);
    under(QStringLiteral("filedialog"), files);
}

} // namespace

class LanguageWalkTest : public QObject {
    Q_OBJECT

private slots:
    void qtTranslationsAreFound()
    {
        QVERIFY2(ApplyQtLanguage(Language::Russian), qPrintable(QStringLiteral("no Qt translations in ") + QtTranslationsFolder()));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QString::fromUtf8("&Да"));
        ApplyQtLanguage(Language::English);
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Yes"));
    }

    void everyTextIsInTheChosenLanguage()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        Texts russian, english;
        for (const Language language : {Language::Russian, Language::English}) {
            const WindowLanguageScope scope(language);
            ApplyQtLanguage(language);
            GatherAll(IsEnglish(language) ? english : russian, dir.path());
        }
        ApplyQtLanguage(Language::Russian);

        QVERIFY(russian.size() > 500);
        QCOMPARE(russian.keys(), english.keys());
        QStringList wrong;
        for (auto it = english.begin(); it != english.end(); ++it) {
            const QString& en = it.value();
            const QString& ru = russian.value(it.key());
            if ((IsException(en) && en == ru) || IsCatalogPlace(it.key()))
                continue;
            if (HasCyrillic(en))
                wrong << QStringLiteral("Russian in English mode: %1 = \"%2\"").arg(it.key(), en);
            else if (en == ru && HasEnglishWord(ru))
                wrong << QStringLiteral("English in Russian mode: %1 = \"%2\"").arg(it.key(), ru);
        }
        for (const QString& line : wrong)
            qWarning().noquote() << line;
        QVERIFY2(wrong.isEmpty(), "texts of the other language (listed above)");
    }
};

QTEST_MAIN(LanguageWalkTest)
#include "LanguageWalkTest.moc"
