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
    [](Args& args) { return SaveSideFile(args, "expected a settings FILE and the tank file OUT", tank::SaveTankFile); }}};

const Registration kTankLoad{{"tank-load", "tank-load FILE IN -o OUT [--strict]",
    "load a tank file into the settings as the editor's button does and save them to OUT; a file longer than 245 bytes is "
    "refused, a shorter one fills what it covers with a warning (--strict: refused)",
    SideFileLoadOptions("tank file", tank::kTankFileSize),
    {{Complete::Settings}, {Complete::Tank}},
    [](Args& args) {
        return LoadSideFile(args, "a settings FILE, the tank file IN and -o OUT are required", tank::kTankFileSize, tank::ReadTankFile,
                            [&](SettingsModel& m, const std::vector<std::uint8_t>& bytes) {
                                const tank::TankLoad load = tank::ApplyTankFile(m, bytes);
                                if (load.linearCountReset)
                                    std::cerr << "warning: " << Tr(args.language, "в файле больше 7 точек линейной калибровки: сохранено 0",
                                                                   "the file's seven-point count is above 7: stored as 0") << "\n";
                                if (load.tareCountReset)
                                    std::cerr << "warning: " << Tr(args.language, "в файле больше 68 точек тарировки: сохранено 0",
                                                                   "the file's tare point count is above 68: stored as 0") << "\n";
                            });
    }}};

} // namespace
} // namespace tc::cli
