#include "editor/ui/ChangesQuestion.h"

#include "common/Language.h"
#include "ui/Text.h"

namespace tc::ui {

TableQuestion WriteChangesQuestion(const SettingsComparison& c)
{
    TableQuestion q;
    q.intro = QTr("В МК будет изменено:", "Writing changes this in the device:");
    if (c.modelDiffers)
        q.intro += QStringLiteral(" ") + QTr("Модель МК другая.", "The device model differs.");
    q.headers = QStringList{QTr("Страница", "Page"), QTr("Параметр", "Setting"), QTr("Сейчас в МК", "Now in the device"), QTr("Будет записано", "To be written"),
                            QTr("Ед.", "Unit"), QString()};
    const auto orDash = [](const std::string& text) { return text.empty() ? QStringLiteral("—") : ToQ(text); };
    for (const SettingChange& s : c.settings)
        q.rows.push_back(QStringList{ToQ(PageOf(s.field->page).caption.Pick(EnglishVersion)), ToQ(s.caption), orDash(s.before), orDash(s.after), ToQ(s.unit),
                                     s.hidden ? QTr("скрыт", "hidden") : QString()});
    for (const ItemChange& i : c.items)
        q.rows.push_back(QStringList{ToQ(PageOf(i.item->page).caption.Pick(EnglishVersion)), ToQ(i.name), orDash(i.before), orDash(i.after), QString(),
                                     i.hidden ? QTr("скрыт", "hidden") : QString()});
    QStringList records;
    for (const RecordChange& r : c.records)
        records << ToQ(UnnamedBytesText(r, EnglishVersion));
    if (!records.isEmpty())
        q.note = QTr("Байты, которые не принадлежат ни одному параметру: ", "Bytes that no setting owns: ") + records.join(QStringLiteral("; "))
               + QStringLiteral(".");
    q.question = QTr("Записать настройки в МК?", "Write the settings to the device?");
    return q;
}

TableQuestion FileChangesQuestion(const SettingsComparison& c, const QString& fileName, const QStringList& warnings)
{
    TableQuestion q;
    q.intro = QTr("Настройки в программе и в файле \"%1\" различаются:", "The settings in the program and in the file \"%1\" differ:").arg(fileName);
    if (c.modelDiffers)
        q.intro += QStringLiteral(" ") + QTr("Модель МК другая.", "The device model differs.");
    q.headers = QStringList{QTr("Страница", "Page"), QTr("Параметр", "Setting"), QTr("В программе", "In the program"), QTr("В файле", "In the file"),
                            QTr("Ед.", "Unit"), QString()};
    const auto orDash = [](const std::string& text) { return text.empty() ? QStringLiteral("—") : ToQ(text); };
    for (const SettingChange& s : c.settings)
        q.rows.push_back(QStringList{ToQ(PageOf(s.field->page).caption.Pick(EnglishVersion)), ToQ(s.caption), orDash(s.after), orDash(s.before),
                                     ToQ(s.unit), s.hidden ? QTr("скрыт", "hidden") : QString()});
    for (const ItemChange& i : c.items)
        q.rows.push_back(QStringList{ToQ(PageOf(i.item->page).caption.Pick(EnglishVersion)), ToQ(i.name), orDash(i.after), orDash(i.before), QString(),
                                     i.hidden ? QTr("скрыт", "hidden") : QString()});
    QStringList notes;
    QStringList records;
    for (const RecordChange& r : c.records)
        records << ToQ(UnnamedBytesText(r, EnglishVersion));
    if (!records.isEmpty())
        notes << QTr("Байты, которые не принадлежат ни одному параметру: ", "Bytes that no setting owns: ") + records.join(QStringLiteral("; "))
                     + QStringLiteral(".");
    notes += warnings;
    q.note = notes.join(QLatin1Char('\n'));
    return q;
}

} // namespace tc::ui
