// restore-points: the device settings that writes found and kept before
// sending anything. Each is an ordinary settings file; `write` puts one back.
#include "Command.h"

#include "catalogs/Catalogs.h"
#include "common/Language.h"
#include "link/Transfers.h"
#include "model/RestorePoints.h"

#include "Json.h"

#include <cstdio>
#include <iostream>

namespace tc::cli {
namespace {

std::string ModelText(std::uint16_t code)
{
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%04X", code);
    for (const auto& m : ListedModels())
        if (m.code == code)
            return std::string(hex) + " " + std::string(m.name);
    return hex;
}

const Registration kRestorePoints{{"restore-points", "restore-points [--json]",
    "list the restore points, oldest first: time, model, file, unit, and a mark on a point taken of a unit that held a mix "
    "(write one back with: write --port DEV FILE)",
    {JsonOption()},
    {},
    [](Args& args) {
        if (!args.Positional().empty())
            throw UsageError{"restore-points takes no arguments"};
        const RestorePoints store(RestorePoints::DefaultFolder(), {}, args.language);
        const auto points = store.List();
        if (args.Flag("--json")) {
            Json list = Json::array();
            for (const auto& p : points) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "0x%04X", p.modelCode);
                list.push_back({{"time", p.time}, {"model_code", p.modelCode}, {"model_code_hex", hex}, {"model", ModelText(p.modelCode)},
                                {"path", p.path}, {"unit", p.unit}, {"mixed", p.mixed}, {"last_whole", p.lastWhole}});
            }
            PrintJson({{"folder", store.Folder()}, {"points", list}});
            return 0;
        }
        if (points.empty()) {
            std::cout << Tr(args.language, "Точек восстановления нет в ", "No restore points in ") << store.Folder() << "\n";
            return 0;
        }
        for (const auto& p : points) {
            char model[32];
            std::snprintf(model, sizeof model, "%-13s", ModelText(p.modelCode).c_str());
            std::cout << p.time << "  " << model << "  " << p.path;
            if (!p.unit.empty())
                std::cout << "  " << p.unit;
            if (p.mixed)
                std::cout << "  [" << MixedPointText(args.language) << (p.lastWhole.empty() ? std::string() : "; " + p.lastWhole) << "]";
            std::cout << "\n";
        }
        return 0;
    }}};

} // namespace
} // namespace tc::cli
