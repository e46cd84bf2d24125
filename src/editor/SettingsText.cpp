#include "editor/SettingsText.h"

#include "common/Error.h"
#include "common/Hex.h"
#include "common/Language.h"
#include "editor/EditSession.h"
#include "model/SettingsModel.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>

namespace tc {

namespace {

using Json = nlohmann::ordered_json;

// The line of the first place the text names `key` as a member, for messages.
int LineOf(std::string_view text, std::string_view key)
{
    const std::string quoted = "\"" + std::string(key) + "\"";
    const auto at = text.find(quoted);
    if (at == std::string_view::npos)
        return 0;
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
}

[[noreturn]] void Refuse(std::string_view text, std::string_view key, const std::string& ru, const std::string& en)
{
    const int line = LineOf(text, key);
    const std::string where = line > 0 ? Tr("Строка ", "Line ") + std::to_string(line) + ": " : std::string();
    std::string what = where + Tr(ru, en);
    if (!what.empty() && what.back() != '.')
        what += '.';
    throw Error(what + Tr(" Ничего не изменено.", " Nothing has been changed."));
}

std::string ModelText(std::uint16_t code)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%04X", code);
    return buf;
}

} // namespace

std::string ExportSettingsText(const SettingsModel& model)
{
    Json doc;
    doc["format"] = kSettingsTextFormat;
    doc["version"] = kSettingsTextVersion;
    doc["model"] = ModelText(model.DeviceModelCode);
    doc["formatVersion"] = model.FormatVersion();
    Json controls = Json::object();
    SettingsModel copy = model;
    EditSettings(copy, [&](EditSession& s) {
        for (std::size_t i = 0; i < s.Fields().size(); ++i)
            controls[std::string(s.Fields()[i].key)] = s.Shown(i).text;
        return false;
    });
    doc["controls"] = std::move(controls);
    Json records = Json::object();
    for (int r = 1; r <= kRecordCount; ++r)
        records[std::to_string(r)] = HexText(model.Record(r));
    doc["records"] = std::move(records);
    return doc.dump(2) + "\n";
}

void ImportSettingsText(SettingsModel& model, std::string_view text)
{
    Json doc;
    try {
        doc = Json::parse(text.begin(), text.end());
    } catch (const Json::parse_error& e) {
        throw Error(Tr("Это не текст настроек (JSON): ", "This is not a settings text (JSON): ") + e.what()
                    + Tr(" Ничего не изменено.", " Nothing has been changed."));
    }
    if (!doc.is_object() || doc.value("format", std::string()) != kSettingsTextFormat)
        Refuse(text, "format", "это не текст настроек tripconf (нет \"format\": \"tripconf-settings\").",
               "this is not a tripconf settings text (no \"format\": \"tripconf-settings\").");
    if (!doc.contains("version") || !doc["version"].is_number_integer() || doc["version"].get<int>() != kSettingsTextVersion)
        Refuse(text, "version", "версия текста не 1.", "the text's version is not 1.");
    if (doc.contains("model") && doc["model"] != ModelText(model.DeviceModelCode))
        Refuse(text, "model",
               "текст для модели " + doc["model"].dump() + ", а настройки для " + ModelText(model.DeviceModelCode) + ".",
               "the text is for model " + doc["model"].dump() + ", the settings are for " + ModelText(model.DeviceModelCode) + ".");

    SettingsModel work = model;
    if (doc.contains("records")) {
        const Json& records = doc["records"];
        if (!records.is_object())
            Refuse(text, "records", "\"records\" должен быть объектом.", "\"records\" must be an object.");
        for (const auto& [name, value] : records.items()) {
            int r = 0;
            try {
                r = std::stoi(name);
            } catch (...) {
                r = 0;
            }
            if (r < 1 || r > kRecordCount || std::to_string(r) != name)
                Refuse(text, name, "нет записи «" + name + "».", "no record \"" + name + "\".");
            const auto bytes = work.Record(r);
            const std::string hex = value.is_string() ? value.get<std::string>() : std::string();
            if (hex.size() != bytes.size() * 2)
                Refuse(text, name, "запись " + name + " — строка из " + std::to_string(bytes.size() * 2) + " шестнадцатеричных цифр.",
                       "record " + name + " is a string of " + std::to_string(bytes.size() * 2) + " hex digits.");
            const auto parsed = ParseHexText(hex);
            if (!parsed)
                Refuse(text, name, "в записи " + name + " не шестнадцатеричная цифра.", "record " + name + " holds a character that is not a hex digit.");
            std::copy(parsed->begin(), parsed->end(), bytes.begin());
        }
        for (int r = 1; r <= kRecordCount; ++r)
            work.EncodeSection(r);
    }

    Json controls = doc.contains("controls") ? doc["controls"] : Json::object();
    if (!controls.is_object())
        Refuse(text, "controls", "\"controls\" должен быть объектом.", "\"controls\" must be an object.");
    for (const auto& [key, value] : controls.items()) {
        if (!FindField(key))
            Refuse(text, key, "нет параметра «" + key + "».", "no setting \"" + key + "\".");
        if (!value.is_string())
            Refuse(text, key, "значение «" + key + "» должно быть строкой.", "the value of \"" + key + "\" must be a string.");
    }
    EditSettings(work, [&](EditSession& s) {
        for (const Field& f : s.Fields()) { // the editor's order: a protocol before its options
            const std::string key(f.key);
            if (!controls.contains(key))
                continue;
            try {
                s.Commit(key, controls[key].get<std::string>(), /*force=*/true);
            } catch (const Error& e) {
                Refuse(text, key, e.what(), e.what());
            }
        }
        return true;
    });
    model = std::move(work);
}

} // namespace tc
