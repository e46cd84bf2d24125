// The tank file from the command line: save the tank calibration of a
// settings file, or load one into it, through the same core as the editor's
// buttons.
#include "Command.h"

#include "common/Language.h"
#include "editor/EditSession.h"
#include "common/Error.h"
#include "editor/ServiceFile.h"
#include "editor/TankFile.h"
#include "model/SettingsModel.h"

#include <iostream>

namespace tc::cli {
namespace {

const Registration kTankSave{{"tank-save", "tank-save FILE OUT",
    "save the tank calibration of a settings file (linear calibrations and tare table) as a tank file (.qveto, 245 bytes)",
    {},
    {{Complete::Settings}, {Complete::Tank}},
    [](Args& args) {
        const auto rest = args.Positional();
        if (rest.size() != 2)
            throw UsageError{"expected a settings FILE and the tank file OUT"};
        SettingsModel model;
        LoadDecodedSettings(model, rest[0]);
        tank::SaveTankFile(model, rest[1]);
        std::cout << "wrote " << rest[1] << "\n";
        return 0;
    }}};

const Registration kTankLoad{{"tank-load", "tank-load FILE IN -o OUT [--strict]",
    "load a tank file into the settings as the editor's button does and save them to OUT; a file longer than 245 bytes is "
    "refused, a shorter one fills what it covers with a warning (--strict: refused)",
    {{"-o", "OUT", "the settings file to write", Complete::Settings},
     {"--strict", "", "refuse a tank file shorter than 245 bytes"}},
    {{Complete::Settings}, {Complete::Tank}},
    [](Args& args) {
        const std::string out = args.Option("-o");
        const bool strict = args.Flag("--strict");
        const auto rest = args.Positional();
        if (out.empty() || rest.size() != 2)
            throw UsageError{"a settings FILE, the tank file IN and -o OUT are required"};
        SettingsModel model;
        LoadDecodedSettings(model, rest[0]);
        const auto bytes = tank::ReadTankFile(rest[1]); // read before anything changes
        if (bytes.size() < tank::kTankFileSize) {
            const std::string shortText = SideFileShortText(rest[1], bytes.size(), tank::kTankFileSize);
            if (strict)
                throw Error(shortText + Tr(" (--strict: ничего не загружено)", " (--strict: nothing has been loaded)"));
            std::cerr << "warning: " << shortText << "\n";
        }
        tank::TankLoad load;
        EditSettings(model, [&](EditSession& s) {
            s.Apply([&](SettingsModel& m) { load = tank::ApplyTankFile(m, bytes); });
            return true;
        });
        if (load.linearCountReset)
            std::cerr << "warning: " << Tr("в файле больше 7 точек линейной калибровки: сохранено 0",
                                           "the file's seven-point count is above 7: stored as 0") << "\n";
        if (load.tareCountReset)
            std::cerr << "warning: " << Tr("в файле больше 68 точек тарировки: сохранено 0", "the file's tare point count is above 68: stored as 0")
                      << "\n";
        SaveSettings(model, out);
        return 0;
    }}};

} // namespace
} // namespace tc::cli
