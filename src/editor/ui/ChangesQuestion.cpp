#include "editor/ui/ChangesQuestion.h"

#include "common/Language.h"
#include "ui/Text.h"

namespace tc::ui {

namespace {

// The table's headers with the names of the two value columns, one row per
// changed control or structured item (`swapped`: after before before), and
// the bytes no setting owns, empty when none.
QString FillChanges(TableQuestion& q, const SettingsComparison& c, const QString& first, const QString& second, bool swapped)
{
    q.headers = QStringList{QTr("Страница", "Page"), QTr("Параметр", "Setting"), first, second, QTr("Ед.", "Unit"), QString()};
    const Language language = WindowLanguage();
    const auto orDash = [](const std::string& text) { return text.empty() ? QStringLiteral("—") : ToQ(text); };
    const auto row = [&](Page page, const std::string& name, const std::string& before, const std::string& after, const QString& unit,
                         bool hidden) {
        q.rows.push_back(QStringList{ToQ(PageOf(page).caption.Pick(language)), ToQ(name), orDash(swapped ? after : before),
                                     orDash(swapped ? before : after), unit, hidden ? QTr("скрыт", "hidden") : QString()});
    };
    for (const SettingChange& s : c.settings)
        row(s.field->page, s.caption, s.before, s.after, ToQ(s.unit), s.hidden);
    for (const ItemChange& i : c.items)
        row(i.item->page, i.name, i.before, i.after, QString(), i.hidden);
    QStringList records;
    for (const RecordChange& r : c.records)
        records << ToQ(UnnamedBytesText(r, IsEnglish(language)));
    if (records.isEmpty())
        return {};
    return QTr("Байты, которые не принадлежат ни одному параметру: ", "Bytes that no setting owns: ") + records.join(QStringLiteral("; "))
           + QStringLiteral(".");
}

} // namespace

TableQuestion WriteChangesQuestion(const SettingsComparison& c)
{
    TableQuestion q;
    q.intro = QTr("В МК будет изменено:", "Writing changes this in the device:");
    if (c.modelDiffers)
        q.intro += QStringLiteral(" ") + QTr("Модель МК другая.", "The device model differs.");
    q.note = FillChanges(q, c, QTr("Сейчас в МК", "Now in the device"), QTr("Будет записано", "To be written"), false);
    q.question = QTr("Записать настройки в МК?", "Write the settings to the device?");
    return q;
}

TableQuestion FileChangesQuestion(const SettingsComparison& c, const QString& fileName, const QStringList& warnings)
{
    TableQuestion q;
    q.intro = QTr("Настройки в программе и в файле \"%1\" различаются:", "The settings in the program and in the file \"%1\" differ:").arg(fileName);
    if (c.modelDiffers)
        q.intro += QStringLiteral(" ") + QTr("Модель МК другая.", "The device model differs.");
    QStringList notes;
    const QString records = FillChanges(q, c, QTr("В программе", "In the program"), QTr("В файле", "In the file"), true);
    if (!records.isEmpty())
        notes << records;
    notes += warnings;
    q.note = notes.join(QLatin1Char('\n'));
    return q;
}

} // namespace tc::ui
