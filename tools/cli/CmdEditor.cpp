// The settings editor from the command line: list the controls, show one,
// set values as the dialog would (one edit session per call, then OK), and
// read or patch raw bytes of the decoded records.
#include "Command.h"

#include "common/AtomicFile.h"
#include "common/Error.h"
#include "common/Hex.h"
#include "common/Language.h"
#include "editor/EditSession.h"
#include "editor/StructuredKeys.h"
#include "model/SettingsModel.h"

#include "Json.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <set>

namespace tc::cli {
namespace {

const char* KindName(ControlKind kind)
{
    static constexpr const char* kNames[] = {"number", "choice", "radio", "check", "time", "text"};
    return NameOf(kind, kNames);
}

const char* MarkName(ValueMark mark)
{
    static constexpr const char* kNames[] = {"-", "out-of-range", "unshowable"};
    return NameOf(mark, kNames);
}

std::string BitColumn(const Field& f)
{
    if (f.codec != Codec::Bits)
        return "-";
    if (f.bitCount == 1)
        return std::to_string(f.bit);
    return std::to_string(f.bit) + "-" + std::to_string(f.bit + f.bitCount - 1);
}

// One control as the fields table shows it, with the raw numbers beside.
Json FieldJson(const Field& f, const ShownControl& c)
{
    Json row{{"key", f.key}, {"page", PageOf(f.page).key}, {"record", f.record}, {"offset", f.offset}};
    row["bit"] = f.codec == Codec::Bits ? Json(BitColumn(f)) : Json(nullptr);
    row["kind"] = KindName(f.kind);
    row["shown"] = c.text;
    row["visible"] = c.visible;
    row["enabled"] = c.enabled;
    row["mark"] = c.mark == ValueMark::None ? Json(nullptr) : Json(MarkName(c.mark));
    row["caption"] = c.caption;
    switch (c.kind) {
    case ControlKind::Number:
        row["min"] = c.min;
        row["max"] = c.max;
        row["decimals"] = c.decimals;
        break;
    case ControlKind::Choice:
    case ControlKind::Radio:
        row["selected"] = c.selected >= 0 ? Json(c.selected) : Json(nullptr);
        break;
    case ControlKind::Check:
        row["checked"] = c.checked;
        break;
    case ControlKind::Time:
    case ControlKind::Text:
        break;
    }
    return row;
}

const Registration kFields{{"fields", "fields FILE [--all] [--json]",
    "list the settings editor's controls: key, page, record, offset, bit, kind, shown value, visible, enabled, mark, caption (--all: hidden ones too)",
    {{"--all", "", "hidden controls too"}, JsonOption()},
    {{Complete::Settings}},
    [](Args& args) {
        const bool all = args.Flag("--all");
        const bool json = args.Flag("--json");
        const auto& rest = args.Positional(1, "expected one settings FILE");
        SettingsModel model = DecodedSettings(rest[0], args.language);
        EditSettings(model, args.language, [&](EditSession& s) {
            if (json) {
                Json list = Json::array();
                const auto fields = s.Fields();
                for (std::size_t i = 0; i < fields.size(); ++i)
                    if (const ShownControl c = s.Shown(i); all || c.visible)
                        list.push_back(FieldJson(fields[i], c));
                PrintJson({{"fields", list}});
                return false;
            }
            std::cout << "key\tpage\trecord\toffset\tbit\tkind\tshown\tvisible\tenabled\tmark\tcaption\n";
            const auto fields = s.Fields();
            for (std::size_t i = 0; i < fields.size(); ++i) {
                const Field& f = fields[i];
                const ShownControl c = s.Shown(i);
                if (!all && !c.visible)
                    continue;
                std::cout << f.key << '\t' << PageOf(f.page).key << '\t' << f.record << '\t' << f.offset << '\t' << BitColumn(f) << '\t'
                          << KindName(f.kind) << '\t' << c.text << '\t' << (c.visible ? "yes" : "no") << '\t' << (c.enabled ? "yes" : "no")
                          << '\t' << MarkName(c.mark) << '\t' << c.caption << '\n';
            }
            return false; // looking changes nothing
        });
        return 0;
    }}};

const Registration kGet{{"get", "get FILE KEY [--json]", "print what one control of the settings editor shows",
    {JsonOption()},
    {{Complete::Settings}, {Complete::Key}},
    [](Args& args) {
        const auto& rest = args.Positional(2, "expected a settings FILE and a KEY");
        SettingsModel model = DecodedSettings(rest[0], args.language);
        const bool json = args.Flag("--json");
        EditSettings(model, args.language, [&](EditSession& s) {
            const ShownControl c = s.Shown(rest[1]);
            if (json)
                PrintJson(FieldJson(*c.field, c));
            else
                std::cout << c.text << "\n";
            return false;
        });
        return 0;
    }}};

const Registration kKeys{{"keys", "keys",
    "list the structured values that set takes besides the controls (palettes, display slots, hot menus, ...): KEY pattern and VALUE",
    {},
    {},
    [](Args& args) {
        if (!args.Positional().empty())
            throw UsageError{"keys takes no arguments"};
        for (const StructuredKey& k : StructuredKeys())
            std::cout << k.pattern << '\t' << k.value << '\n';
        return 0;
    }}};

const Registration kSet{{"set", "set FILE -o OUT [--force] KEY=VALUE...",
    "set controls as the editor would, in order, then OK (VALUE as shown: 5.0, an item's text or #index, on/off); "
    "without values only the editor's opening writes; --force also sets hidden or disabled controls; "
    "structured values (palettes, display slots, hot menus, ...) as `keys` lists them",
    {{"-o", "OUT", "the settings file to write", Complete::Settings}, {"--force", "", "also set hidden or disabled controls"}},
    {{Complete::Settings}, {Complete::KeyValue, "", true}},
    [](Args& args) {
        const std::string out = args.Option("-o");
        const bool force = args.Flag("--force");
        auto rest = args.Positional();
        if (out.empty() || rest.empty())
            throw UsageError{"a settings FILE and -o OUT are required"};
        std::vector<std::pair<std::string, std::string>> values;
        for (std::size_t i = 1; i < rest.size(); ++i) {
            const auto eq = rest[i].find('=');
            if (eq == std::string::npos || eq == 0)
                throw UsageError{"expected KEY=VALUE, got \"" + rest[i] + "\""};
            // An empty value would store nothing and still succeed: refused.
            if (eq + 1 == rest[i].size())
                throw Error(Tr(args.language, "Аргумент " + std::to_string(i + 1) + " «" + rest[i] + "»: нет значения. Ничего не изменено.",
                               "Argument " + std::to_string(i + 1) + " \"" + rest[i] + "\": no value is given. Nothing has been changed."));
            values.emplace_back(rest[i].substr(0, eq), rest[i].substr(eq + 1));
        }
        SettingsModel model = DecodedSettings(rest[0], args.language);
        EditSettings(model, args.language, [&](EditSession& s) {
            for (const auto& [key, value] : values) {
                if (!FindField(key)) {
                    bool taken = false;
                    try {
                        taken = ApplyStructuredKey(s, key, value, force);
                    } catch (const Error& e) {
                        const auto pages = s.Pages();
                        const std::string pageKey = key.substr(0, key.find('.'));
                        const bool hiddenPage = std::any_of(pages.begin(), pages.end(), [&](const ShownPage& p) {
                            return !p.visible && pageKey == p.page->key;
                        });
                        if (!force && hiddenPage)
                            throw Error(std::string(e.what()) + " (--force sets it anyway)");
                        throw;
                    }
                    if (!taken)
                        throw Error("no setting \"" + key + "\" (tripconf-cli fields lists them, tripconf-cli keys the structured ones)");
                    continue;
                }
                const ShownControl shown = s.Shown(key);
                try {
                    s.Commit(key, value, force);
                } catch (const Error& e) {
                    if (!force && (!shown.visible || !shown.enabled))
                        throw Error(std::string(e.what()) + " (--force sets it anyway)");
                    throw;
                }
            }
            return true; // OK: records 1..10 go into the image
        });
        SaveSettings(model, out, args.language);
        return 0;
    }}};

// "6:60:4" or "6:60" into numbers; record 1..11, the range inside the record.
struct ByteRange {
    int record = 0;
    std::size_t offset = 0;
    std::size_t length = 0;
};

ByteRange ParseRange(const std::string& text, bool withLength)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const auto colon = text.find(':', start);
        parts.push_back(text.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    if (parts.size() != (withLength ? 3u : 2u))
        throw UsageError{std::string("expected ") + (withLength ? "RECORD:OFFSET:LENGTH" : "RECORD:OFFSET") + ", got \"" + text + "\""};
    ByteRange r;
    r.record = static_cast<int>(ParseNumber(parts[0], kRecordCount, "RECORD"));
    if (r.record < 1)
        throw UsageError{"RECORD must be 1 to 11"};
    const std::size_t size = kRecordSizes[static_cast<std::size_t>(r.record - 1)];
    r.offset = ParseNumber(parts[1], static_cast<unsigned>(size - 1), "OFFSET in record " + parts[0]);
    if (withLength)
        r.length = ParseNumber(parts[2], static_cast<unsigned>(size - r.offset), "LENGTH at that offset");
    return r;
}

std::vector<std::uint8_t> ParseHex(const std::string& text)
{
    auto bytes = ParseHexText(text);
    if (text.empty() || !bytes)
        throw UsageError{"HEX must be pairs of hexadecimal digits, got \"" + text + "\""};
    return *bytes;
}

const Registration kPeek{{"peek", "peek FILE RECORD:OFFSET:LENGTH...", "print bytes of the decoded records in hex, one range a line",
    {},
    {{Complete::Settings}, {Complete::None, "", true}},
    [](Args& args) {
        const auto rest = args.Positional();
        if (rest.size() < 2)
            throw UsageError{"expected a settings FILE and RECORD:OFFSET:LENGTH"};
        std::vector<ByteRange> ranges;
        for (std::size_t i = 1; i < rest.size(); ++i)
            ranges.push_back(ParseRange(rest[i], true));
        SettingsModel model = DecodedSettings(rest[0], args.language);
        for (const auto& r : ranges)
            std::cout << HexText(model.Record(r.record).subspan(r.offset, r.length)) << "\n";
        return 0;
    }}};

const Registration kPoke{{"poke", "poke FILE -o OUT RECORD:OFFSET=HEX...",
    "write bytes into the decoded records (HEX as pairs of digits) and save the settings to OUT",
    {{"-o", "OUT", "the settings file to write", Complete::Settings}},
    {{Complete::Settings}, {Complete::None, "", true}},
    [](Args& args) {
        const std::string out = args.Option("-o");
        const auto rest = args.Positional();
        if (out.empty() || rest.size() < 2)
            throw UsageError{"a settings FILE, -o OUT and RECORD:OFFSET=HEX are required"};
        std::vector<std::pair<ByteRange, std::vector<std::uint8_t>>> patches;
        for (std::size_t i = 1; i < rest.size(); ++i) {
            const auto eq = rest[i].find('=');
            if (eq == std::string::npos)
                throw UsageError{"expected RECORD:OFFSET=HEX, got \"" + rest[i] + "\""};
            ByteRange r = ParseRange(rest[i].substr(0, eq), false);
            auto bytes = ParseHex(rest[i].substr(eq + 1));
            r.length = bytes.size();
            if (r.offset + r.length > kRecordSizes[static_cast<std::size_t>(r.record - 1)])
                throw UsageError{"\"" + rest[i] + "\" runs past the end of record " + std::to_string(r.record)};
            patches.emplace_back(r, std::move(bytes));
        }
        SettingsModel model = DecodedSettings(rest[0], args.language);
        std::set<int> touched;
        for (const auto& [r, bytes] : patches) {
            // Only bytes the file's section holds can be saved; the rest of a record is never encoded.
            std::size_t offset = 0, payload = 0;
            if (!SectionPlacement(model.Dir().Entry(r.record), offset, payload) || r.offset + r.length > payload)
                throw Error(Tr(args.language, "Раздел " + std::to_string(r.record) + " файла не содержит байтов " + std::to_string(r.offset) + ".." +
                                   std::to_string(r.offset + r.length - 1),
                               "Section " + std::to_string(r.record) + " of the file does not hold bytes " + std::to_string(r.offset) + ".." +
                                   std::to_string(r.offset + r.length - 1)));
            std::copy(bytes.begin(), bytes.end(), model.Record(r.record).begin() + static_cast<std::ptrdiff_t>(r.offset));
            touched.insert(r.record);
        }
        for (int k : touched)
            model.EncodeSection(k);
        SaveSettings(model, out, args.language);
        return 0;
    }}};

} // namespace
} // namespace tc::cli
