#include "editor/SettingsText.h"

#include "catalogs/Catalogs.h"
#include "common/Error.h"
#include "common/Hex.h"
#include "common/Language.h"
#include "editor/EditSession.h"
#include "editor/ParameterNames.h"
#include "model/SettingsModel.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <set>
#include <vector>

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

[[noreturn]] void Refuse(Language language, std::string_view text, std::string_view key, const std::string& ru, const std::string& en)
{
    const int line = LineOf(text, key);
    const std::string where = line > 0 ? Tr(language, "Строка ", "Line ") + std::to_string(line) + ": " : std::string();
    std::string what = where + Tr(language, ru, en);
    if (!what.empty() && what.back() != '.')
        what += '.';
    throw Error(what + Tr(language, " Ничего не изменено.", " Nothing has been changed."));
}

std::string ModelText(std::uint16_t code)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%04X", code);
    return buf;
}

} // namespace

std::string ExportSettingsText(const SettingsModel& model, Language language)
{
    Json doc;
    doc["format"] = kSettingsTextFormat;
    doc["version"] = kSettingsTextVersion;
    doc["model"] = ModelText(model.DeviceModelCode);
    doc["formatVersion"] = model.FormatVersion();
    Json controls = Json::object();
    SettingsModel copy = model;
    EditSettings(copy, language, [&](EditSession& s) {
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

namespace {

int LineAt(std::string_view text, std::size_t position)
{
    const std::size_t end = std::min(position, text.size());
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
}

// A key or value as a message shows it: a NUL or another control character
// would cut or garble the message, so it is shown escaped.
std::string Printable(std::string_view s)
{
    std::string out;
    for (const char c : s) {
        if (static_cast<unsigned char>(c) < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
            out += buf;
        } else {
            out += c;
        }
    }
    return out;
}

// The document parser, with what the JSON library leaves out: a key given
// twice in one object is refused (not "the last wins"), and every refusal
// (a number outside the double range too) names its line.
class StrictParser : public nlohmann::detail::json_sax_dom_parser<Json> {
public:
    StrictParser(Json& doc, std::string_view text, Language language) : json_sax_dom_parser(doc, false), text_(text), language_(language) {}

    bool start_object(std::size_t n)
    {
        keys_.emplace_back();
        return json_sax_dom_parser::start_object(n);
    }
    bool end_object()
    {
        keys_.pop_back();
        return json_sax_dom_parser::end_object();
    }
    bool key(Json::string_t& k)
    {
        if (!keys_.empty() && !keys_.back().insert(k).second) {
            duplicate_ = k;
            return false;
        }
        return json_sax_dom_parser::key(k);
    }
    template <class Exception>
    bool parse_error(std::size_t position, const std::string& /*token*/, const Exception& e)
    {
        if (!failed_) {
            failed_ = true;
            line_ = LineAt(text_, position);
            what_ = e.what();
        }
        return false;
    }

    // Throws the refusal when the parse failed.
    void Check() const
    {
        if (duplicate_) {
            // The key's second place in the text is where it came again.
            const std::string quoted = "\"" + *duplicate_ + "\"";
            std::size_t at = text_.find(quoted);
            if (at != std::string_view::npos)
                at = text_.find(quoted, at + 1);
            const std::string where = at != std::string_view::npos ? Tr(language_, "Строка ", "Line ") + std::to_string(LineAt(text_, at)) + ": " : std::string();
            throw Error(where
                        + Tr(language_, "ключ «" + Printable(*duplicate_) + "» встречается дважды в одном объекте.",
                             "the key \"" + Printable(*duplicate_) + "\" appears twice in one object.")
                        + Tr(language_, " Ничего не изменено.", " Nothing has been changed."));
        }
        if (failed_)
            throw Error(Tr(language_, "Строка ", "Line ") + std::to_string(line_) + ": "
                        + Tr(language_, "это не текст настроек (JSON): ", "this is not a settings text (JSON): ") + Printable(what_)
                        + Tr(language_, " Ничего не изменено.", " Nothing has been changed."));
    }

private:
    std::string_view text_;
    Language language_;
    std::vector<std::set<std::string>> keys_;
    std::optional<std::string> duplicate_;
    bool failed_ = false;
    int line_ = 0;
    std::string what_;
};

// An unsigned integer member equal to `expected` (a huge number, a float or
// a negative one never is).
bool IsUnsigned(const Json& doc, const char* name, std::uint64_t max)
{
    const auto it = doc.find(name);
    return it != doc.end() && it->is_number_unsigned() && it->get<std::uint64_t>() <= max;
}

// The item of a choice given by its text in the other language, as "#index"
// (a text exported in one language is taken in the other); empty when none.
std::string ItemInOtherLanguage(const EditSession& s, const std::string& key, const std::string& text)
{
    const ShownControl here = s.Shown(key);
    if (here.kind != ControlKind::Choice && here.kind != ControlKind::Radio)
        return {};
    const auto indexOf = [](const ShownControl& shown, const std::string& item) -> std::string {
        for (std::size_t i = 0; i < shown.items.size(); ++i)
            if (shown.items[i].text == item)
                return "#" + std::to_string(i);
        return {};
    };
    // A protocol option's value, from the catalogs' own translations.
    if (const std::string translated = OptionTextInOtherLanguage(text); !translated.empty())
        if (auto item = indexOf(here, translated); !item.empty())
            return item;
    // The editor's own items: a copy of the session in the other language.
    // Opening it relabels the shared parameter list; it is put back after.
    const EditorContext& ctx = s.Context();
    EditorContext other = ctx;
    other.language = IsEnglish(ctx.language) ? Language::Russian : Language::English;
    SettingsModel probe = s.Model();
    struct Restore {
        const EditorContext& ctx;
        const SettingsModel& model;
        ~Restore()
        {
            if (ctx.params)
                RelabelParameters(*ctx.params, ctx.features, static_cast<std::int8_t>(model.Record(5)[7]), IsEnglish(ctx.language));
        }
    } restore{ctx, s.Model()};
    EditSession session(probe, other);
    return indexOf(session.Shown(key), text);
}

} // namespace

void ImportSettingsText(SettingsModel& model, std::string_view text, Language language)
{
    const auto Refuse = [&](std::string_view key, const std::string& ru, const std::string& en) {
        ::tc::Refuse(language, text, key, ru, en);
    };
    Json doc;
    StrictParser parser(doc, text, language);
    const bool wellFormed = Json::sax_parse(text.begin(), text.end(), &parser);
    parser.Check();
    if (!wellFormed || doc.is_discarded())
        throw Error(Tr(language, "Это не текст настроек (JSON).", "This is not a settings text (JSON).")
                    + Tr(language, " Ничего не изменено.", " Nothing has been changed."));
    if (!doc.is_object() || !doc.contains("format") || !doc["format"].is_string() || doc["format"].get<std::string>() != kSettingsTextFormat)
        Refuse("format", "это не текст настроек tripconf (нет \"format\": \"tripconf-settings\").",
               "this is not a tripconf settings text (no \"format\": \"tripconf-settings\").");
    if (!IsUnsigned(doc, "version", 1000) || doc["version"].get<std::uint64_t>() != static_cast<std::uint64_t>(kSettingsTextVersion))
        Refuse("version", "версия текста не 1.", "the text's version is not 1.");
    if (doc.contains("formatVersion") && !IsUnsigned(doc, "formatVersion", 255))
        Refuse("formatVersion", "\"formatVersion\" — целое число от 0 до 255.", "\"formatVersion\" is a whole number from 0 to 255.");
    if (doc.contains("model") && doc["model"] != ModelText(model.DeviceModelCode))
        Refuse("model",
               "текст для модели " + Printable(doc["model"].dump()) + ", а настройки для " + ModelText(model.DeviceModelCode) + ".",
               "the text is for model " + Printable(doc["model"].dump()) + ", the settings are for " + ModelText(model.DeviceModelCode) + ".");

    SettingsModel work = model;
    if (doc.contains("records")) {
        const Json& records = doc["records"];
        if (!records.is_object())
            Refuse("records", "\"records\" должен быть объектом.", "\"records\" must be an object.");
        for (const auto& [name, value] : records.items()) {
            int r = 0;
            try {
                r = std::stoi(name);
            } catch (...) {
                r = 0;
            }
            if (r < 1 || r > kRecordCount || std::to_string(r) != name)
                Refuse(name, "нет записи «" + name + "».", "no record \"" + name + "\".");
            const auto bytes = work.Record(r);
            const std::string hex = value.is_string() ? value.get<std::string>() : std::string();
            if (hex.size() != bytes.size() * 2)
                Refuse(name, "запись " + name + " — строка из " + std::to_string(bytes.size() * 2) + " шестнадцатеричных цифр.",
                       "record " + name + " is a string of " + std::to_string(bytes.size() * 2) + " hex digits.");
            const auto parsed = ParseHexText(hex);
            if (!parsed)
                Refuse(name, "в записи " + name + " не шестнадцатеричная цифра.", "record " + name + " holds a character that is not a hex digit.");
            std::copy(parsed->begin(), parsed->end(), bytes.begin());
        }
        for (int r = 1; r <= kRecordCount; ++r)
            work.EncodeSection(r);
    }

    Json controls = doc.contains("controls") ? doc["controls"] : Json::object();
    if (!controls.is_object())
        Refuse("controls", "\"controls\" должен быть объектом.", "\"controls\" must be an object.");
    for (const auto& [key, value] : controls.items()) {
        if (!FindField(key))
            Refuse(key, "нет параметра «" + Printable(key) + "».", "no setting \"" + Printable(key) + "\".");
        if (!value.is_string())
            Refuse(key, "значение «" + key + "» должно быть строкой.", "the value of \"" + key + "\" must be a string.");
        if (value.get<std::string>().find('\0') != std::string::npos)
            Refuse(key, "значение «" + key + "» содержит символ NUL.", "the value of \"" + key + "\" holds a NUL character.");
    }
    EditSettings(work, language, [&](EditSession& s) {
        for (const Field& f : s.Fields()) { // the editor's order: a protocol before its options
            const std::string key(f.key);
            if (!controls.contains(key))
                continue;
            const std::string value = controls[key].get<std::string>();
            try {
                s.Commit(key, value, /*force=*/true);
            } catch (const Error& e) {
                // An item named in the other language is the same item.
                const std::string item = ItemInOtherLanguage(s, key, value);
                if (item.empty())
                    Refuse(key, e.what(), e.what());
                try {
                    s.Commit(key, item, /*force=*/true);
                } catch (const Error& again) {
                    Refuse(key, again.what(), again.what());
                }
            }
        }
        return true;
    });
    model = std::move(work);
}

} // namespace tc
