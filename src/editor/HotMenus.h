#pragma once
// The hot menus of record 9: four lists of ten 16-bit trip-computer menu
// codes (0 = empty), edited as lists whose entries always sit at the front.
// Reading never writes; every edit stores its list compacted.
#include "catalogs/MenuItems.h"
#include "catalogs/ModelFeatures.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tc {

constexpr int kHotMenuLists = 4;
constexpr int kHotMenuRows = 10;
constexpr int kHotMenuOffset = 196; // record 9 offset of list 0, entry 0
constexpr int kEditedHotMenuLists = 3; // list 3 has no grid

using HotMenuList = std::array<std::uint16_t, kHotMenuRows>;

// The list of the parking sensors' menu. It, like the parking page, belongs
// only to models with parking sensors: the window, the session and the
// command line ask these two.
constexpr int kParkingHotMenu = 2;
inline bool HasParkingSensors(const ModelFeatures& features) { return !features.NoParktronic; }
inline bool HotMenuListOffered(int list, const ModelFeatures& features)
{
    return list != kParkingHotMenu || HasParkingSensors(features);
}

// Non-zero codes moved to the front in their order, zeros after them.
HotMenuList Compacted(const HotMenuList& list);

class HotMenus {
public:
    // Works on the caller's record 9; throws std::out_of_range when it is too short.
    explicit HotMenus(std::span<std::uint8_t> record9, bool english = false);

    // The list as stored and as shown (compacted); never writes.
    HotMenuList Stored(int list) const;
    HotMenuList Shown(int list) const { return Compacted(Stored(list)); }

    // Stores every list compacted (the editor does it once when it opens).
    void CompactAll();

    // The edits work on the shown rows and store the list compacted.
    // Insert: rows `row`..8 move one down, row 9 drops out, `code` goes to `row`.
    void Insert(int list, int row, std::uint16_t code);
    void Delete(int list, int row);
    void Clear(int list);
    // Moves the entry of row `from` to row `to`; the others keep their order.
    void Move(int list, int from, int to);

private:
    void Store(int list, const HotMenuList& entries);
    void CheckList(int list) const;
    void CheckRow(int row) const;

    std::span<std::uint8_t> record_;
    bool english_;
};

// The caption a grid row shows: the catalog caption of the code, empty for 0
// or a code the catalog does not hold.
std::string HotMenuCaption(const MenuItemList& catalog, std::uint16_t code);

// One entry of the insertion menu: a menu item (code non-zero) or a submenu.
struct MenuNode {
    std::string caption;
    std::uint16_t code = 0;
    std::vector<MenuNode> children;
    friend bool operator==(const MenuNode&, const MenuNode&) = default;
};
// The insertion menu of an edited list (0..2), built afresh from the catalog:
// entries the features rule out or the catalog does not hold are left out,
// and so is a submenu left empty. Submenu titles in the given language, item
// captions as the catalog holds them.
std::vector<MenuNode> InsertionMenu(int list, const MenuItemList& catalog, const ModelFeatures& features, bool english);

// One item of the extra-panel picker: the number stored for it and its text.
struct PanelChoice {
    int number = 0;
    std::string text;
    friend bool operator==(const PanelChoice&, const PanelChoice&) = default;
};
// The extra-panel items the model's features offer, numbered from 0 in the
// order the device counts them (the preview draws with the same numbers).
std::vector<PanelChoice> ExtraPanelChoices(const ModelFeatures& features, bool english);

} // namespace tc
