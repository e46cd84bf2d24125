// Catalog commands: models, protocols.
#include "Command.h"

#include "catalogs/Catalogs.h"
#include "common/Error.h"
#include "common/Language.h"

#include "Json.h"

#include <cstdio>
#include <iostream>

namespace tc::cli {
namespace {

const Registration kModels{{"models", "models [--json]", "list the device models: code, name, number of protocols",
    {JsonOption()},
    {},
    [](Args& args) {
        if (!args.Positional().empty())
            throw UsageError{"models takes no arguments"};
        if (args.Flag("--json")) {
            Json models = Json::array();
            for (const auto& m : ListedModels())
                models.push_back({{"code", m.code}, {"code_hex", Hex4(m.code)}, {"name", std::string(m.name)}, {"protocols", m.protocolCount}});
            PrintJson({{"models", models}});
            return 0;
        }
        for (const auto& m : ListedModels()) {
            char row[64];
            std::snprintf(row, sizeof row, "0x%04X  %-6.*s  %3d", m.code, static_cast<int>(m.name.size()), m.name.data(), m.protocolCount);
            std::cout << row << "\n";
        }
        return 0;
    }}};

const Registration kProtocols{{"protocols", "protocols CODE [--json]", "list the protocols of a device model: index, number, name",
    {JsonOption()},
    {{Complete::Model}},
    [](Args& args) {
        const auto& rest = args.Positional(1, "expected one model code");
        const auto code = static_cast<std::uint16_t>(ParseNumber(rest[0], 0xFFFF, "CODE"));
        if (!IsListedModel(code)) {
            const std::string hex = Hex4(code);
            throw Error(Tr(args.language, std::string("Неизвестный код модели ") + hex, std::string("Unknown device model code ") + hex));
        }
        const Catalog catalog = EvaluateModel(code, args.language);
        if (args.Flag("--json")) {
            Json protocols = Json::array();
            int n = 0;
            for (const auto& p : catalog.Protocols)
                protocols.push_back({{"index", n++}, {"number", static_cast<int>(p->ProtNumber)}, {"name", std::string(p->ProtName)}});
            PrintJson({{"model_code", code}, {"model_code_hex", Hex4(code)}, {"protocols", protocols}});
            return 0;
        }
        int index = 0;
        for (const auto& p : catalog.Protocols) {
            char row[32];
            std::snprintf(row, sizeof row, "%3d  %3d  ", index++, p->ProtNumber);
            std::cout << row << p->ProtName << "\n";
        }
        return 0;
    }}};

} // namespace
} // namespace tc::cli
