#include "editor/ColourSchemes.h"

#include "common/Bytes.h"
#include "common/Error.h"
#include "common/FindByKey.h"
#include "preview/PreviewCanvas.h"

#include <algorithm>
#include <cstdlib>
#include <array>
#include <stdexcept>

namespace tc {

Rgb5 NearestUnitColour(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    const auto nearest = [](int wanted, auto shown) {
        int best = 0;
        for (int level = 1; level <= kMaxColourLevel; ++level)
            if (std::abs(shown(level) - wanted) < std::abs(shown(best) - wanted))
                best = level;
        return static_cast<std::uint8_t>(best);
    };
    const auto shown = [](int level) { return ScreenColour(PackColour(Rgb5{static_cast<std::uint8_t>(level), static_cast<std::uint8_t>(level), static_cast<std::uint8_t>(level)})); };
    return Rgb5{nearest(red, [&](int l) { return int{shown(l).r}; }), nearest(green, [&](int l) { return int{shown(l).g}; }),
                nearest(blue, [&](int l) { return int{shown(l).b}; })};
}

namespace {

constexpr std::array<RoleDef, 24> kRoles = {{
    {RoleGroup::Digital, "digital.colour1", {"Цвет 1", "Color 1"}, 32},
    {RoleGroup::Digital, "digital.background1", {"Фон 1", "Background 1"}, 33},
    {RoleGroup::Digital, "digital.colour2", {"Цвет 2", "Color 2"}, 34},
    {RoleGroup::Digital, "digital.background2", {"Фон 2", "Background 2"}, 35},
    {RoleGroup::Digital, "digital.frame", {"Рамка", "Frame"}, 36},
    {RoleGroup::Digital, "digital.bottom_panel", {"Нижн.панель", "Bott.panel"}, 55},
    {RoleGroup::Menu, "menu.active", {"Цвет активного пункта", "Active item color"}, 37},
    {RoleGroup::Menu, "menu.active_background", {"Фон активного пункта", "Active item background"}, 38},
    {RoleGroup::Menu, "menu.hot_number", {"Цвет номера горячего пункта", "Hot item num.color"}, 39},
    {RoleGroup::Graph, "graph.axes", {"Оси / Временные метки", "Axes / timestamps"}, 40},
    {RoleGroup::Graph, "graph.background", {"Фон графиков", "Graphic backround"}, 41},
    {RoleGroup::Graph, "graph.graph1", {"Цвет графика 1", "Graphic 1 color"}, 42},
    {RoleGroup::Graph, "graph.graph2", {"Цвет графика 2", "Graphic 2 color"}, 43},
    {RoleGroup::Graph, "graph.titles_background", {"Фон подписей", "Titles backround"}, 44},
    {RoleGroup::Dial, "dial.scales_background", {"Фон под шкалами", "Scales backround"}, 45},
    {RoleGroup::Dial, "dial.titles", {"Подписи цвет", "Titles color"}, 46},
    {RoleGroup::Dial, "dial.left_dial", {"Левый циферблат", "Left dial"}, 47},
    {RoleGroup::Dial, "dial.right_dial", {"Правый циферблат", "Right dial"}, 48},
    {RoleGroup::Dial, "dial.left_scale", {"Левая шкала", "Left scale"}, 49},
    {RoleGroup::Dial, "dial.right_scale", {"Правая шкала", "Right scale"}, 50},
    {RoleGroup::Dial, "dial.left_pointer", {"Левая стрелка", "Left arrow"}, 51},
    {RoleGroup::Dial, "dial.right_pointer", {"Правая стрелка", "Right arrow"}, 52},
    {RoleGroup::Dial, "dial.titles_background", {"Подписи фон", "Titles backround"}, 53},
    {RoleGroup::Dial, "dial.high_consumption", {"Шкала при большом расходе", "Scale on high exp."}, 54},
}};

} // namespace

std::span<const RoleDef> ColourRoles() { return kRoles; }

const RoleDef* FindColourRole(std::string_view key)
{
    return FindByKey(kRoles, key);
}

Text RoleGroupCaption(RoleGroup group)
{
    switch (group) {
    case RoleGroup::Digital: return {"Цифровые дисплеи", "Digital displays"};
    case RoleGroup::Menu: return {"Меню", "Menu"};
    case RoleGroup::Graph: return {"Графики", "Graphics"};
    case RoleGroup::Dial: return {"Стрелочный дисплей", "Arrows"};
    }
    return {};
}

ColourSchemes::ColourSchemes(std::span<std::uint8_t> record9, bool english) : record_(record9), english_(english)
{
    CheckRange(record9.size(), kSchemeOffset[0], kSchemeOffset[1] + kColourSchemeSize - kSchemeOffset[0]);
}

void ColourSchemes::SelectScheme(int scheme)
{
    if (scheme != 0 && scheme != 1)
        throw Error(english_ ? "The color scheme is 0 (day) or 1 (night)" : "Цветовая схема — 0 (день) или 1 (ночь)");
    edited_ = scheme;
}

std::size_t ColourSchemes::Base() const
{
    return kSchemeOffset[edited_];
}

void ColourSchemes::CheckIndex(int index) const
{
    if (index < 0 || index >= kPaletteSize)
        throw Error(english_ ? "Invalid value \"" + std::to_string(index) + "\" for \"Color #\": enter a number from 0 to 15"
                             : "Недопустимое значение «" + std::to_string(index) + "» для «Цвет #»: введите число от 0 до 15");
}

std::uint16_t ColourSchemes::Packed(int index) const
{
    CheckIndex(index);
    return GetU16(record_, Base() + 2 * static_cast<std::size_t>(index));
}

Rgb5 ColourSchemes::Colour(int index) const { return UnpackColour(Packed(index)); }

void ColourSchemes::SetColour(int index, int r, int g, int b)
{
    CheckIndex(index);
    for (int level : {r, g, b})
        if (level < 0 || level > kMaxColourLevel)
            throw Error(english_ ? "Invalid value \"" + std::to_string(level) + "\" for a color level: enter a number from 0 to 31"
                                 : "Недопустимое значение «" + std::to_string(level) + "» для уровня цвета: введите число от 0 до 31");
    PutU16(record_, Base() + 2 * static_cast<std::size_t>(index), PackColour(Rgb5{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b)}));
}

int ColourSchemes::Role(const RoleDef& role) const
{
    return GetU8(record_, Base() + static_cast<std::size_t>(role.offset));
}

std::optional<Rgb5> ColourSchemes::RoleColour(const RoleDef& role) const
{
    const int index = Role(role);
    if (index >= kPaletteSize)
        return std::nullopt;
    return Colour(index);
}

void ColourSchemes::SetRole(const RoleDef& role, int index)
{
    if (index < 0 || index >= kRoleLimit) {
        const Text caption = role.caption;
        throw Error(english_ ? "Invalid value \"" + std::to_string(index) + "\" for \"" + std::string(caption.en) + "\": enter a number from 0 to 15"
                             : "Недопустимое значение «" + std::to_string(index) + "» для «" + std::string(caption.ru) + "»: введите число от 0 до 15");
    }
    PutU8(record_, Base() + static_cast<std::size_t>(role.offset), static_cast<std::uint8_t>(index));
}

bool ColourSchemes::InitializeAll(std::span<const std::uint8_t> dayDefaults, std::span<const std::uint8_t> nightDefaults,
                                  const std::function<bool(const std::string&)>& ask)
{
    if (dayDefaults.size() != kColourSchemeSize || nightDefaults.size() != kColourSchemeSize)
        throw std::invalid_argument("colour scheme defaults of the wrong size");
    const std::string question = english_ ? "Initialize all the color scheme settings to their original state? "
                                          : "Привести все настройки цветовых схем в исходное состояние?";
    if (!ask || !ask(question))
        return false;
    std::copy(dayDefaults.begin(), dayDefaults.end(), record_.begin() + static_cast<std::ptrdiff_t>(kSchemeOffset[0]));
    std::copy(nightDefaults.begin(), nightDefaults.end(), record_.begin() + static_cast<std::ptrdiff_t>(kSchemeOffset[1]));
    edited_ = 0;
    return true;
}

} // namespace tc
