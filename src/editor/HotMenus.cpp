#include "editor/HotMenus.h"

#include "common/Bytes.h"
#include "common/Error.h"
#include "preview/Screens.h"

#include <algorithm>

namespace tc {

HotMenuList Compacted(const HotMenuList& list)
{
    HotMenuList out{};
    std::size_t n = 0;
    for (std::uint16_t code : list)
        if (code != 0)
            out[n++] = code;
    return out;
}

HotMenus::HotMenus(std::span<std::uint8_t> record9, bool english) : record_(record9), english_(english)
{
    CheckRange(record9.size(), kHotMenuOffset, 2 * kHotMenuLists * kHotMenuRows);
}

HotMenuList HotMenus::Stored(int list) const
{
    CheckList(list);
    HotMenuList out{};
    for (int i = 0; i < kHotMenuRows; ++i)
        out[static_cast<std::size_t>(i)] = GetU16(record_, static_cast<std::size_t>(kHotMenuOffset + 20 * list + 2 * i));
    return out;
}

void HotMenus::Store(int list, const HotMenuList& entries)
{
    const HotMenuList c = Compacted(entries);
    for (int i = 0; i < kHotMenuRows; ++i)
        PutU16(record_, static_cast<std::size_t>(kHotMenuOffset + 20 * list + 2 * i), c[static_cast<std::size_t>(i)]);
}

void HotMenus::CompactAll()
{
    for (int l = 0; l < kHotMenuLists; ++l)
        Store(l, Stored(l));
}

void HotMenus::CheckList(int list) const
{
    if (list < 0 || list >= kHotMenuLists)
        throw Error(english_ ? "There is no hot menu #" + std::to_string(list)
                             : "Нет горячего меню №" + std::to_string(list));
}

void HotMenus::CheckRow(int row) const
{
    if (row < 0 || row >= kHotMenuRows)
        throw Error(english_ ? "A hot menu has rows 0 to 9, not " + std::to_string(row)
                             : "В горячем меню строки с 0 по 9, а не " + std::to_string(row));
}

void HotMenus::Insert(int list, int row, std::uint16_t code)
{
    CheckRow(row);
    HotMenuList l = Shown(list);
    if (code == 0)
        return; // an empty entry would only be compacted away
    for (int i = kHotMenuRows - 1; i > row; --i)
        l[static_cast<std::size_t>(i)] = l[static_cast<std::size_t>(i - 1)];
    l[static_cast<std::size_t>(row)] = code;
    Store(list, l);
}

void HotMenus::Delete(int list, int row)
{
    CheckRow(row);
    HotMenuList l = Shown(list);
    l[static_cast<std::size_t>(row)] = 0;
    Store(list, l);
}

void HotMenus::Clear(int list)
{
    CheckList(list);
    Store(list, HotMenuList{});
}

void HotMenus::Move(int list, int from, int to)
{
    CheckRow(from);
    CheckRow(to);
    HotMenuList l = Shown(list);
    const auto f = l.begin() + from;
    const auto t = l.begin() + to;
    if (to < from)
        std::rotate(t, f, f + 1);
    else if (from < to)
        std::rotate(f, f + 1, t + 1);
    Store(list, l);
}

std::string HotMenuCaption(const MenuItemList& catalog, std::uint16_t code)
{
    if (code == 0)
        return {};
    const MenuItem* item = FindMenuItemByCode(catalog, code);
    return item ? item->Caption : std::string();
}

std::vector<PanelChoice> ExtraPanelChoices(const ModelFeatures& features, bool english)
{
    std::vector<PanelChoice> out;
    int n = 0;
    for (const PanelItem* item : PanelItems(features))
        out.push_back({n++, PanelItemName(*item, english)});
    return out;
}

} // namespace tc
