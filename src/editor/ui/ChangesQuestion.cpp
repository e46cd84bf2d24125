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
    QStringList records;
    for (const RecordChange& r : c.records)
        records << QTr("запись %1, байт: %2", "record %1, bytes: %2").arg(r.record).arg(r.bytes);
    if (!records.isEmpty())
        q.note = QTr("Вне параметров (таблицы, журналы) изменится: ", "Outside the controls (tables, journals) this changes: ")
               + records.join(QStringLiteral(", ")) + QStringLiteral(".");
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
    QStringList notes;
    QStringList records;
    for (const RecordChange& r : c.records)
        records << QTr("запись %1, байт: %2", "record %1, bytes: %2").arg(r.record).arg(r.bytes);
    if (!records.isEmpty())
        notes << QTr("Вне параметров (таблицы, журналы) различаются: ", "Outside the controls (tables, journals) these differ: ")
                     + records.join(QStringLiteral(", ")) + QStringLiteral(".");
    notes += warnings;
    q.note = notes.join(QLatin1Char('\n'));
    return q;
}

} // namespace tc::ui
