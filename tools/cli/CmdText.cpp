// Settings compared and as text: diff, export, import.
#include "Command.h"

#include "common/AtomicFile.h"
#include "common/Error.h"
#include "common/Language.h"
#include "editor/SettingsCompare.h"
#include "editor/SettingsText.h"
#include "model/SettingsModel.h"

#include "Json.h"

#include <cstdio>
#include <iostream>

namespace tc::cli {
namespace {

const Registration kDiff{{"diff", "diff A B [--json]",
    "list the settings that differ between two settings files: key, name, value in A, value in B, unit, "
    "hidden; the structured tables' items (display slots, colours, hot-menu rows, tare points, voice modes, "
    "extra systems) by key and name; then the runs of bytes that no setting owns which differ, by record and "
    "offset. Exit 0 when equal, 1 when they differ, 2 on trouble (as diff does)",
    {JsonOption()},
    {{Complete::Settings}, {Complete::Settings}},
    [](Args& args) {
        const auto& rest = args.Positional(2, "expected two settings files");
        const bool json = args.Flag("--json");
        SettingsComparison c;
        Json doc;
        bool bytesDiffer = false;
        std::size_t lengthA = 0, lengthB = 0;
        try {
            SettingsModel a, b;
            LoadDecodedSettings(a, rest[0], args.language);
            LoadDecodedSettings(b, rest[1], args.language);
            c = CompareSettings(a, b, args.language);
            bytesDiffer = a.Image != b.Image;
            lengthA = a.Image.size();
            lengthB = b.Image.size();
            // Files whose bytes differ where no setting and no record lies
            // (or whose lengths differ) are not called equal.
            doc["same"] = c.Same() && !bytesDiffer;
            doc["model"] = c.modelDiffers ? Json{{"a", Hex4(a.DeviceModelCode)}, {"b", Hex4(b.DeviceModelCode)}} : Json(nullptr);
            if (c.modelDiffers && !json)
                std::cout << "model\t\t" << std::hex << std::uppercase << "0x" << a.DeviceModelCode << "\t0x" << b.DeviceModelCode
                          << std::dec << "\t\t\n";
        } catch (const Error& e) {
            std::cerr << "tripconf-cli diff: " << e.what() << "\n";
            return 2;
        }
        if (json) {
            Json settings = Json::array(), items = Json::array(), records = Json::array();
            for (const SettingChange& s : c.settings)
                settings.push_back({{"key", s.field->key}, {"caption", s.caption}, {"name", s.name}, {"a", s.before}, {"b", s.after}, {"unit", s.unit},
                                    {"hidden", s.hidden}});
            for (const ItemChange& i : c.items)
                items.push_back({{"key", i.item->key}, {"name", i.name}, {"a", i.before}, {"b", i.after}, {"hidden", i.hidden}});
            for (const RecordChange& r : c.records)
                records.push_back({{"record", r.record}, {"offset", r.offset}, {"bytes", r.bytes}});
            doc["settings"] = settings;
            doc["items"] = items;
            doc["records"] = records;
            doc["image"] = bytesDiffer ? Json{{"a", lengthA}, {"b", lengthB}} : Json(nullptr);
            PrintJson(doc);
            return c.Same() && !bytesDiffer ? 0 : 1;
        }
        for (const SettingChange& s : c.settings)
            std::cout << s.field->key << '\t' << s.name << '\t' << s.before << '\t' << s.after << '\t' << s.unit << '\t'
                      << (s.hidden ? "hidden" : "") << '\n';
        for (const ItemChange& i : c.items)
            std::cout << i.item->key << '\t' << i.name << '\t' << i.before << '\t' << i.after << "\t\t" << (i.hidden ? "hidden" : "") << '\n';
        for (const RecordChange& r : c.records)
            std::cout << "unnamed\t" << UnnamedBytesText(r, IsEnglish(args.language)) << "\t\t\t\t\n";
        if (c.Same() && bytesDiffer)
            std::cout << "image\t\t" << lengthA << " bytes\t" << lengthB << " bytes\t\t"
                      << Tr(args.language, "образы различаются вне записей", "the images differ outside the records") << "\n";
        return c.Same() && !bytesDiffer ? 0 : 1;
    }}};

const Registration kExport{{"export", "export FILE -o OUT.json",
    "write the settings as text: every control's shown value by key, and every record's bytes (import takes it back)",
    {{"-o", "OUT.json", "the settings text to write", Complete::Json}},
    {{Complete::Settings}},
    [](Args& args) {
        const std::string out = args.Option("-o");
        const auto& rest = args.Positional(1, "a settings FILE and -o OUT.json are required", {"-o"});
        SettingsModel model = DecodedSettings(rest[0], args.language);
        const std::string text = ExportSettingsText(model, args.language);
        WriteFileAtomically(out, std::vector<std::uint8_t>(text.begin(), text.end()), args.language);
        std::cout << "wrote " << out << "\n";
        return 0;
    }}};

const Registration kImport{{"import", "import BASE IN.json -o OUT",
    "apply a settings text (as export writes it, perhaps edited) to the settings in BASE through the editor, then save OUT; "
    "an unknown key or a refused value names its line and nothing is written",
    {{"-o", "OUT", "the settings file to write", Complete::Settings}},
    {{Complete::Settings}, {Complete::Json}},
    [](Args& args) {
        const std::string out = args.Option("-o");
        const auto& rest = args.Positional(2, "a settings file BASE, a text IN.json and -o OUT are required", {"-o"});
        SettingsModel model = DecodedSettings(rest[0], args.language);
        const auto bytes = ReadWholeFile(rest[1], kMaxSettingsTextSize, args.language);
        ImportSettingsText(model, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), args.language);
        SaveSettings(model, out, args.language);
        return 0;
    }}};

} // namespace
} // namespace tc::cli
