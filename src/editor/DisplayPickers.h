#pragma once
// What the display page's pickers offer for a slot, and storing a pick.
// Captions come from the measured-parameter catalog as it was built (its
// language); the context only picks the language of "Absent".
#include "catalogs/MeasuredParameters.h"
#include "catalogs/Protocols.h"
#include "editor/DisplayLayouts.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tc {

struct PickerItem {
    int code = 0; // the byte stored for the item (an item number on the extra panel)
    std::string caption;
    friend bool operator==(const PickerItem&, const PickerItem&) = default;
};

// The bottom panel of the single display offers a fixed list, not the protocol's parameters.
std::span<const std::uint8_t> X1PanelCodes(const ModelFeatures& features);

// The items of the picker for `field` of a display of `layout`, in menu order:
// x4, x9, x6 the protocol's parameters; x1 the fixed list; graphs the
// protocol's graphable parameters, the lower graph led by "Absent" (code 0);
// dials the parameters of that dial side; the extra panel its item list.
// Codes the catalog does not hold are left out; no protocol offers no parameters.
std::vector<PickerItem> PickerItems(DisplayLayout layout, int field, const VehicleProtocol* protocol,
                                    const MeasParList& catalog, const ModelFeatures& features, bool english);

// The stored byte of a slot (the x1 panel's bytes are signed).
int SlotValue(std::span<const std::uint8_t> record9, DisplayLayout layout, int display, int field);
// Stores a picked code; a code beyond a byte (or a slot the layout does not
// have) throws tc::Error and stores nothing.
void SetSlotValue(std::span<std::uint8_t> record9, DisplayLayout layout, int display, int field, int code, bool english = false);

} // namespace tc
