// Catalog commands: models, protocols.
#include "Command.h"

#include "catalogs/Catalogs.h"
#include "common/Error.h"
#include "common/Language.h"

#include <cstdio>
#include <iostream>

namespace tc::cli {
namespace {

const Registration kModels{{"models", "models", "list the device models: code, name, number of protocols",
    {},
    {},
    [](Args& args) {
        if (!args.Positional().empty())
            throw UsageError{"models takes no arguments"};
        for (const auto& m : ListedModels()) {
            char row[64];
            std::snprintf(row, sizeof row, "0x%04X  %-6.*s  %3d", m.code, static_cast<int>(m.name.size()), m.name.data(), m.protocolCount);
            std::cout << row << "\n";
        }
        return 0;
    }}};

const Registration kProtocols{{"protocols", "protocols CODE", "list the protocols of a device model: index, number, name",
    {},
    {{Complete::Model}},
    [](Args& args) {
        const auto rest = args.Positional();
        if (rest.size() != 1)
            throw UsageError{"expected one model code"};
        const auto code = static_cast<std::uint16_t>(ParseNumber(rest[0], 0xFFFF, "CODE"));
        if (!IsListedModel(code)) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "0x%04X", code);
            throw Error(Tr(std::string("Неизвестный код модели ") + hex, std::string("Unknown device model code ") + hex));
        }
        EvaluateModel(code, 0);
        int index = 0;
        for (const auto& p : Catalogs().Protocols) {
            char row[32];
            std::snprintf(row, sizeof row, "%3d  %3d  ", index++, p->ProtNumber);
            std::cout << row << p->ProtName << "\n";
        }
        return 0;
    }}};

} // namespace
} // namespace tc::cli
