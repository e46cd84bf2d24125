// tripconf-shots: pictures of every window, editor page and dialog in both
// languages (for the README and the user's guide), and beside them
// widgets.json, every visible widget with its window, page, class, text,
// tooltip, geometry and whether its text fits. Runs offscreen; never opens
// a serial port for a transfer nor touches the user's ini or data.
#include "app/MainWindow.h"
#include "app/ProgressWindow.h"
#include "app/RestorePointsDialog.h"
#include "app/UserGuide.h"
#include "common/Language.h"
#include "editor/EditSession.h"
#include "editor/FieldTable.h"
#include "editor/SettingsCompare.h"
#include "editor/ui/ChangesQuestion.h"
#include "editor/ui/DisplayPanel.h"
#include "editor/ui/SettingsEditor.h"
#include "journals/ui/JournalsDialog.h"
#include "link/ui/PortDialog.h"
#include "model/ReferenceLayout.h"
#include "model/RestorePoints.h"
#include "ui/Prompter.h"
#include "ui/QtLanguage.h"
#include "ui/Text.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCommandLineParser>
#include <QDir>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QRadioButton>
#include <QSaveFile>
#include <QSettings>
#include <QScrollArea>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextDocument>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <utility>

using namespace tc;
using namespace tc::ui;

namespace {

// Whether a widget's own text fits its width (a wrapped label: its height).
bool TextFits(const QWidget* w)
{
    const QFontMetrics fm = w->fontMetrics();
    if (const auto* l = qobject_cast<const QLabel*>(w)) {
        if (l->text().isEmpty() || l->textFormat() == Qt::RichText || Qt::mightBeRichText(l->text()) || !l->pixmap().isNull())
            return true;
        const QRect room = l->contentsRect();
        if (l->wordWrap())
            return l->heightForWidth(l->width()) <= l->height() + 1;
        int widest = 0;
        const QString text = l->buddy() ? QString(l->text()).remove(QLatin1Char('&')) : l->text(); // a mnemonic's mark is not drawn
        for (const QString& line : text.split(QLatin1Char('\n')))
            widest = std::max(widest, fm.horizontalAdvance(line));
        return widest <= room.width();
    }
    if (const auto* b = qobject_cast<const QAbstractButton*>(w)) {
        if (b->text().isEmpty())
            return true;
        // A check box or radio button needs its indicator beside the text, as its size hint says.
        if (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w))
            return b->sizeHint().width() <= b->width();
        return fm.horizontalAdvance(QString(b->text()).remove(QLatin1Char('&'))) + 8 <= b->width();
    }
    if (const auto* g = qobject_cast<const QGroupBox*>(w))
        return fm.horizontalAdvance(g->title()) + 16 <= g->width();
    return true;
}

QString TextOf(const QWidget* w)
{
    if (const auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (const auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (const auto* g = qobject_cast<const QGroupBox*>(w))
        return g->title();
    return {};
}

class Shots {
public:
    Shots(QString folder, QString only, QSize screen) : folder_(std::move(folder)), only_(std::move(only)), screen_(screen) {}

    // Saves `window` as NAME-LANG.png and lists its visible widgets.
    void Take(const QString& name, const QString& page, QWidget& window)
    {
        const QString lang = IsEnglish(WindowLanguage()) ? QStringLiteral("en") : QStringLiteral("ru");
        const QString file = name + QLatin1Char('-') + lang + QStringLiteral(".png");
        if (!only_.isEmpty() && file != only_ && name != only_)
            return;
        window.show();
        QApplication::processEvents();
        if (!window.grab().save(QDir(folder_).filePath(file), "PNG")) {
            std::fprintf(stderr, "tripconf-shots: cannot write %s\n", qPrintable(QDir(folder_).filePath(file)));
            failed_ = true;
        }
        ++pictures_;
        // The window on the screen it must fit, in the screen's own pixels.
        const QSize physical = (QSizeF(window.frameGeometry().size()) * window.devicePixelRatioF()).toSize();
        if (screen_.isValid() && (physical.width() > screen_.width() || physical.height() > screen_.height()))
            problems_ << QStringLiteral("%1: %2 x %3 pixels do not fit the screen").arg(file).arg(physical.width()).arg(physical.height());
        QList<QWidget*> widgets = window.findChildren<QWidget*>();
        widgets.prepend(&window);
        for (QWidget* w : widgets) {
            if (!w->isVisibleTo(&window) && w != &window)
                continue;
            const QRect r(w->mapTo(&window, QPoint(0, 0)), w->size());
            QJsonObject o{{"picture", file},
                          {"window", name},
                          {"page", page},
                          {"language", lang},
                          {"class", QString::fromLatin1(w->metaObject()->className())},
                          {"name", w->objectName()},
                          {"text", w == &window ? window.windowTitle() : TextOf(w)},
                          {"tooltip", w->toolTip()},
                          {"geometry", QJsonArray{r.x(), r.y(), r.width(), r.height()}},
                          {"fits", TextFits(w)}};
            widgets_.append(o);
            if (!TextFits(w))
                problems_ << QStringLiteral("%1: %2 \"%3\" is cut (%4 x %5)").arg(file, w->objectName(), TextOf(w)).arg(r.width()).arg(r.height());
        }
    }

    bool Finish()
    {
        QSaveFile json(QDir(folder_).filePath(QStringLiteral("widgets.json")));
        if (!json.open(QIODevice::WriteOnly) || json.write(QJsonDocument(widgets_).toJson()) < 0 || !json.commit()) {
            std::fprintf(stderr, "tripconf-shots: cannot write widgets.json\n");
            return false;
        }
        std::printf("%d pictures and widgets.json in %s\n", pictures_, qPrintable(folder_));
        for (const QString& p : problems_)
            std::fprintf(stderr, "%s\n", qPrintable(p));
        return !failed_ && pictures_ > 0;
    }

    // Texts cut and windows larger than the screen (--screen).
    const QStringList& Problems() const { return problems_; }

private:
    QString folder_, only_;
    QSize screen_;
    QStringList problems_;
    QJsonArray widgets_;
    int pictures_ = 0;
    bool failed_ = false;
};

// The settings editor on model 0xC000's reference settings: every page,
// and every sub-page of the pages that have them.
void EditorPages(Shots& shots)
{
    SettingsModel model(WindowLanguage());
    LoadReferenceImage(model, 0xC000);
    EditSettings(model, WindowLanguage(), [&](EditSession& session) {
        SettingsEditor editor(session);
        if (auto* display = qobject_cast<tc::ui::DisplayPanel*>(editor.Panel("display")))
            display->GraphSeed = [] { return 1u; }; // the same curve on every run
        for (const PageDef& def : tc::EditorPages()) {
            const QString key = ToQ(def.key);
            auto* tab = editor.pages->findChild<QScrollArea*>(key + QStringLiteral(".tab"));
            if (!tab || editor.pages->indexOf(tab) < 0 || !editor.pages->isTabVisible(editor.pages->indexOf(tab)))
                continue;
            editor.pages->setCurrentWidget(tab);
            const auto subpages = tab->findChildren<QTabWidget*>();
            if (subpages.isEmpty()) {
                shots.Take(QStringLiteral("editor-") + key, key, editor);
                continue;
            }
            QTabWidget* sub = subpages.first();
            for (int i = 0; i < sub->count(); ++i) {
                sub->setCurrentIndex(i);
                // A sub-page is named by its content ("display.x4" -> x4), else by its number.
                QString name = QString::number(i + 1);
                QWidget* content = sub->widget(i);
                if (auto* scroll = qobject_cast<QScrollArea*>(content); scroll && scroll->widget())
                    content = scroll->widget();
                QList<QWidget*> named{content};
                named += content->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
                for (const QWidget* w : named)
                    if (w->objectName().startsWith(key + QLatin1Char('.'))) {
                        name = w->objectName().mid(key.size() + 1);
                        break;
                    }
                shots.Take(QStringLiteral("editor-%1-%2").arg(key, name), key + QLatin1Char('.') + name, editor);
            }
        }
        return false;
    });
}

void MainWindowShot(Shots& shots, const QString& work)
{
    const QString ini = QDir(work).filePath(QStringLiteral("shots.ini"));
    QFile::remove(ini);
    {
        QSettings s(ini, QSettings::IniFormat);
        s.setValue(QStringLiteral("Common/EnglishVersion"), IsEnglish(WindowLanguage()) ? 1 : 0);
    }
    DeviceLink link;
    SettingsModel model(WindowLanguage());
    MainWindow::Options options;
    options.iniFile = ini;
    options.restorePointFolder = QDir(work).filePath(QStringLiteral("points"));
    MainWindow form(link, model, options);
    form.show(); // in the language of the ini file, the windows' own
    shots.Take(QStringLiteral("main-window"), QString(), form);
}

void Dialogs(Shots& shots, const QString& work)
{
    // A sample store of three writes to a USB adapter, not the user's own.
    const RestorePoints store(QDir(work).filePath(QStringLiteral("restore-points")).toStdString(), "/dev/serial/by-id/usb-FTDI_FT232R_A50285BI-if00-port0", WindowLanguage());
    if (store.List().empty()) {
        SettingsModel sample(WindowLanguage());
        LoadReferenceImage(sample, 0xC000);
        const auto start = std::chrono::sys_days(std::chrono::year_month_day(std::chrono::year(2026), std::chrono::month(3), std::chrono::day(14)));
        for (const auto offset : {std::chrono::hours(9), std::chrono::hours(30), std::chrono::hours(250)})
            store.Save(0xC000, sample.Image, start + offset);
    }
    RestorePointsDialog points(store.List(), ToQ(store.Folder()));
    shots.Take(QStringLiteral("restore-points"), QString(), points);

    // The question before a write: reference settings on the device, a few edits to write.
    SettingsModel device(WindowLanguage());
    LoadReferenceImage(device, 0xC000);
    EditSettings(device, WindowLanguage(), [](EditSession&) { return true; });
    SettingsModel next = device;
    EditSettings(next, WindowLanguage(), [](EditSession& session) {
        for (const auto& [key, value] : {std::pair{"corrections.speed", "4.5"}, {"corrections.petrol", "-2.0"}, {"sources.tank_volume", "60"},
                                         {"limits.speed", "110"}, {"limits.battery_low", "11.8"}})
            session.Commit(key, value, true);
        return true;
    });
    next.Record(9)[80] ^= 0x1F; // a palette colour, named by its scheme and number
    std::unique_ptr<QDialog> compare(MakeTableQuestionDialog(WriteChangesQuestion(CompareSettings(device, next, WindowLanguage())), nullptr));
    shots.Take(QStringLiteral("compare"), QString(), *compare);
    // Settings > Compare with a file: the same edits, the file holding the device's settings.
    std::unique_ptr<QDialog> compareFile(
        MakeTableQuestionDialog(FileChangesQuestion(CompareSettings(device, next, WindowLanguage()), QStringLiteral("unit.qvetp"), {}), nullptr));
    shots.Take(QStringLiteral("compare-file"), QString(), *compareFile);

    PortDialog port;
    shots.Take(QStringLiteral("port"), QString(), port);
    ProgressWindow progress(nullptr);
    progress.Phase(TransferPhase::Reading);
    progress.Progress(40);
    shots.Take(QStringLiteral("progress"), QString(), progress);
    JournalsDialog journals(device, NumberFormat{".", WindowLanguage()});
    for (int i = 0; i < journals.pages->count(); ++i) {
        journals.pages->setCurrentIndex(i);
        shots.Take(QStringLiteral("journals-%1").arg(i + 1), QString::number(i + 1), journals);
    }
    std::unique_ptr<QDialog> guide(MakeUserGuide(nullptr));
    shots.Take(QStringLiteral("guide"), QString(), *guide);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tripconf"));
    QFont font = QApplication::font();
    font.setPointSize(9);
    QApplication::setFont(font);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Saves a picture of every window, editor page and dialog of tripconf in Russian and English, and widgets.json beside them."));
    parser.addHelpOption();
    const QCommandLineOption outOption(QStringLiteral("out"), QStringLiteral("The folder for the pictures (made when missing)."),
                                       QStringLiteral("folder"), QStringLiteral("."));
    const QCommandLineOption onlyOption(QStringLiteral("only"),
                                        QStringLiteral("Only this picture (\"editor-display-x4-en.png\") or window (\"main-window\")."),
                                        QStringLiteral("name"));
    const QCommandLineOption languageOption(QStringLiteral("language"), QStringLiteral("ru, en or both (the default)."),
                                            QStringLiteral("lang"), QStringLiteral("both"));
    const QCommandLineOption screenOption(QStringLiteral("screen"),
        QStringLiteral("Fail (exit 3) when a window is larger than this screen (\"1024x600\", in the screen's pixels) or a text is cut."),
        QStringLiteral("WxH"));
    parser.addOption(screenOption);
    parser.addOption(outOption);
    parser.addOption(onlyOption);
    parser.addOption(languageOption);
    parser.process(app);
    const QString folder = parser.value(outOption);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "tripconf-shots: cannot make %s\n", qPrintable(folder));
        return 1;
    }
    const QString languages = parser.value(languageOption);
    if (languages != QStringLiteral("ru") && languages != QStringLiteral("en") && languages != QStringLiteral("both")) {
        std::fprintf(stderr, "tripconf-shots: --language takes ru, en or both\n");
        return 2;
    }

    // No box may wait for an answer: messages are printed, questions answered No.
    Prompter quiet;
    quiet.showError = [](const QString& t) { std::fprintf(stderr, "(error box) %s\n", qPrintable(t)); };
    quiet.showInfo = [](const QString& t) { std::fprintf(stderr, "(info box) %s\n", qPrintable(t)); };
    quiet.askYesNo = [](const QString&) { return Answer::No; };
    quiet.askTable = [](const TableQuestion&) { return Answer::No; };
    quiet.askFile = [](const FileQuestion&) -> std::optional<QString> { return std::nullopt; };
    SetPrompter(quiet);

    QTemporaryDir work;
    if (!work.isValid())
        return 1;
    QSize screen;
    if (parser.isSet(screenOption)) {
        const QStringList wh = parser.value(screenOption).split(QLatin1Char('x'));
        screen = wh.size() == 2 ? QSize(wh[0].toInt(), wh[1].toInt()) : QSize();
        if (!screen.isValid() || screen.isEmpty()) {
            std::fprintf(stderr, "tripconf-shots: --screen takes WIDTHxHEIGHT\n");
            return 2;
        }
    }
    Shots shots(folder, parser.value(onlyOption), screen);
    for (const Language language : {Language::Russian, Language::English}) {
        if (languages != QStringLiteral("both") && languages != QLatin1String(IsEnglish(language) ? "en" : "ru"))
            continue;
        SetWindowLanguage(language);
        ApplyQtLanguage(language);
        MainWindowShot(shots, work.path());
        EditorPages(shots);
        Dialogs(shots, work.path());
    }
    if (!shots.Finish())
        return 1;
    return screen.isValid() && !shots.Problems().isEmpty() ? 3 : 0;
}
