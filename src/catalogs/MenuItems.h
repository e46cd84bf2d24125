#pragma once
// Trip-computer menu catalog: every item a hot-menu slot can name, with the
// 16-bit code the device stores. Which items exist, and so their codes,
// depends on the device model's features and blocks.
#include "catalogs/ModelFeatures.h"
#include "common/Language.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tc {

class MenuItem {
public:
    MenuItem(std::string name, std::string caption, std::uint16_t code)
        : Caption(std::move(caption)), Name(std::move(name)), Code(code) {}

    std::string Caption; // in the language selected when the catalog was built
    std::string Name;    // identifier, unique, compared case-sensitively
    std::uint16_t Code = 0;
};

using MenuItemList = std::vector<std::unique_ptr<MenuItem>>;

// Builds the catalog for the given features and block-presence flags, with
// captions in the current language.
MenuItemList MakeMenuItemList(const ModelFeatures& features, const BlockPresence& blocks, Language language);

const MenuItem* FindMenuItemByName(const MenuItemList& list, std::string_view name);
const MenuItem* FindMenuItemByCode(const MenuItemList& list, std::uint16_t code);

} // namespace tc
