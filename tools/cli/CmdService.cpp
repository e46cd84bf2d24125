// The maintenance file and the extra systems from the command line:
// service-save, service-load and systems.
#include "Command.h"

#include "common/Error.h"
#include "common/Language.h"

#include "editor/EditSession.h"
#include "editor/ExtraSystems.h"
#include "editor/ServiceFile.h"
#include "model/SettingsModel.h"

#include "Json.h"

#include <iostream>

namespace tc::cli {

int SaveSideFile(Args& args, const std::string& expected, void (*save)(const SettingsModel&, const std::string&, Language))
{
    const auto& rest = args.Positional(2, expected);
    save(DecodedSettings(rest[0], args.language), rest[1], args.language);
    std::cout << "wrote " << rest[1] << "\n";
    return 0;
}

int LoadSideFile(Args& args, const std::string& expected, std::size_t size,
                 const std::function<std::vector<std::uint8_t>(const std::string&, Language)>& read,
                 const std::function<void(SettingsModel&, const std::vector<std::uint8_t>&)>& apply)
{
    const std::string out = args.Option("-o");
    const bool strict = args.Flag("--strict");
    const auto& rest = args.Positional(2, expected, {"-o"});
    SettingsModel model = DecodedSettings(rest[0], args.language);
    const auto bytes = read(rest[1], args.language);
    if (bytes.size() < size) {
        const std::string shortText = SideFileShortText(rest[1], bytes.size(), size, args.language);
        if (strict)
            throw Error(shortText + Tr(args.language, " (--strict: ничего не загружено)", " (--strict: nothing has been loaded)"));
        std::cerr << "warning: " << shortText << "\n";
    }
    EditSettings(model, args.language, [&](EditSession& s) {
        s.Apply([&](SettingsModel& m) { apply(m, bytes); });
        return true;
    });
    SaveSettings(model, out, args.language);
    return 0;
}

namespace {

const Registration kServiceSave{{"service-save", "service-save FILE OUT",
    "write the maintenance settings of a settings FILE to a maintenance file OUT (.qvett, 117 bytes)",
    {},
    {{Complete::Settings}, {Complete::Service}},
    [](Args& args) { return SaveSideFile(args, "expected a settings FILE and the maintenance file OUT", SaveServiceFile); }}};

const Registration kServiceLoad{{"service-load", "service-load FILE IN -o OUT [--strict]",
    "read a maintenance file IN into the settings FILE as the editor's load button does, then OK, and save the settings to OUT; "
    "a file longer than 117 bytes is refused, a shorter one fills what it covers with a warning (--strict: refused)",
    SideFileLoadOptions("maintenance file", kServiceFileSize),
    {{Complete::Settings}, {Complete::Service}},
    [](Args& args) {
        return LoadSideFile(args, "a settings FILE, the maintenance file IN and -o OUT are required", kServiceFileSize, ReadServiceFile,
                            [](SettingsModel& m, const std::vector<std::uint8_t>& bytes) { ApplyServiceFile(m, bytes); });
    }}};

const Registration kSystems{{"systems", "systems FILE [--json]",
    "list the extra systems the settings FILE's device model offers: code, selected (yes/no), name; then the two show choices",
    {JsonOption()},
    {{Complete::Settings}},
    [](Args& args) {
        const auto& rest = args.Positional(1, "expected one settings FILE");
        const bool json = args.Flag("--json");
        SettingsModel model = DecodedSettings(rest[0], args.language);
        EditSettings(model, args.language, [&](EditSession& s) {
            const auto r5 = s.Model().Record(5);
            if (json) {
                Json list = Json::array();
                for (const ExtraSystem* sys : OfferedSystems(s.Context()))
                    list.push_back({{"code", sys->code}, {"selected", SystemSelected(r5, sys->code)}, {"name", std::string(sys->name)}});
                PrintJson({{"systems", list}, {"show", SystemsShowChoice(r5) ? "protocol" : "all"}, {"list", SystemsListChoice(r5) ? "types" : "list"}});
                return false;
            }
            std::cout << "code\tselected\tname\n";
            for (const ExtraSystem* sys : OfferedSystems(s.Context()))
                std::cout << sys->code << '\t' << (SystemSelected(r5, sys->code) ? "yes" : "no") << '\t' << sys->name << '\n';
            std::cout << "show\t" << (SystemsShowChoice(r5) ? "protocol" : "all") << "\nlist\t"
                      << (SystemsListChoice(r5) ? "types" : "list") << '\n';
            return false;
        });
        return 0;
    }}};

} // namespace
} // namespace tc::cli
