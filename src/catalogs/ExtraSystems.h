#pragma once
// The extra systems: the vehicle's further diagnosable blocks (ABS, airbags,
// gearboxes, climate units ...) whose data the trip computer can poll, each
// with its block code (8..184) and its name, in the order the editor lists
// them. The names are the same in both languages.
#include <span>
#include <string_view>

namespace tc {

struct ExtraSystem {
    int code = 0;
    std::string_view name;
};

// In list order; every code once (two blocks share a name).
std::span<const ExtraSystem> ExtraSystemCatalog();
// nullptr for a code the catalog does not have.
const ExtraSystem* FindExtraSystem(int code);

} // namespace tc
