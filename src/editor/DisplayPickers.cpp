#include "editor/DisplayPickers.h"

#include "common/Bytes.h"
#include "common/Error.h"
#include "editor/HotMenus.h"

#include <array>

namespace tc {

namespace {
constexpr std::array<std::uint8_t, 10> kX1Codes = {7, 10, 8, 17, 55, 56, 57, 58, 59, 38};
constexpr std::array<std::uint8_t, 11> kX1TrimCodes = {7, 10, 8, 17, 62, 55, 56, 57, 58, 59, 38};
} // namespace

std::span<const std::uint8_t> X1PanelCodes(const ModelFeatures& features)
{
    if (features.HasTrim)
        return kX1TrimCodes;
    return kX1Codes;
}

std::vector<PickerItem> PickerItems(DisplayLayout layout, int field, const VehicleProtocol* protocol,
                                    const MeasParList& catalog, const ModelFeatures& features, bool english)
{
    std::vector<PickerItem> items;
    const auto add = [&](std::uint8_t code) {
        if (const MeasuredParameter* p = FindMeasPar(catalog, code))
            items.push_back({code, p->Caption});
    };
    const auto addProtocol = [&](auto&& offered) {
        if (!protocol)
            return;
        for (std::uint8_t code : protocol->Params())
            if (const MeasuredParameter* p = FindMeasPar(catalog, code); p && offered(*p))
                items.push_back({code, p->Caption});
    };
    switch (layout) {
    case DisplayLayout::X4:
    case DisplayLayout::X9:
    case DisplayLayout::X6:
        addProtocol([](const MeasuredParameter&) { return true; });
        break;
    case DisplayLayout::X1:
        for (std::uint8_t code : X1PanelCodes(features))
            add(code);
        break;
    case DisplayLayout::Graph:
        if (field == 1)
            items.push_back({0, english ? "Absent" : "Отсутствует"});
        addProtocol([](const MeasuredParameter& p) { return p.Graphable != 0; });
        break;
    case DisplayLayout::Dial: {
        const int side = field == 0 ? 1 : 2;
        addProtocol([side](const MeasuredParameter& p) { return p.DialSide == side; });
        break;
    }
    case DisplayLayout::Panel:
        for (const PanelChoice& c : ExtraPanelChoices(features, english))
            items.push_back({c.number, c.text});
        break;
    }
    return items;
}

int SlotValue(std::span<const std::uint8_t> record9, DisplayLayout layout, int display, int field)
{
    const std::uint8_t b = GetU8(record9, static_cast<std::size_t>(SlotOffset(layout, display, field)));
    return layout == DisplayLayout::X1 ? static_cast<std::int8_t>(b) : b;
}

void SetSlotValue(std::span<std::uint8_t> record9, DisplayLayout layout, int display, int field, int code, bool english)
{
    const int offset = SlotOffset(layout, display, field, english);
    if (code < 0 || code > 255)
        throw Error(english ? "Invalid value \"" + std::to_string(code) + "\": enter a number from 0 to 255"
                            : "Недопустимое значение «" + std::to_string(code) + "»: введите число от 0 до 255");
    PutU8(record9, static_cast<std::size_t>(offset), static_cast<std::uint8_t>(code));
}

} // namespace tc
