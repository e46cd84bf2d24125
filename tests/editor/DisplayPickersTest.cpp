// The display pickers walked against the catalogs: each picker offers the
// protocol's parameters it should, in protocol order, "Absent" only for the
// lower graph; a pick stores one byte in its slot and a code beyond a byte is
// refused without a write.
#include "common/Error.h"
#include "editor/DisplayPickers.h"
#include "model/SettingsModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tc {
namespace {

constexpr std::size_t kRecord9Size = kRecordSizes[8];

std::vector<int> Codes(const std::vector<PickerItem>& items)
{
    std::vector<int> out;
    for (const PickerItem& i : items)
        out.push_back(i.code);
    return out;
}

TEST(DisplayPickers, EachPickerOffersItsParametersInProtocolOrder)
{
    const ModelFeatures features{};
    const MeasParList catalog = MakeMeasParList(features, Language::Russian);
    std::size_t graphs = 0, lefts = 0, rights = 0;
    for (std::uint8_t number : ProtocolNumbers()) {
        BlockPresence blocks{};
        const auto protocol = MakeProtocol(number, features, blocks, Language::Russian);
        ASSERT_TRUE(protocol);
        SCOPED_TRACE(protocol->ProtName);
        std::vector<int> all, graphable, left, right;
        for (std::uint8_t code : protocol->Params())
            if (const MeasuredParameter* p = FindMeasPar(catalog, code)) {
                all.push_back(code);
                if (p->Graphable)
                    graphable.push_back(code);
                if (p->DialSide == 1)
                    left.push_back(code);
                if (p->DialSide == 2)
                    right.push_back(code);
            }
        graphs += graphable.size();
        lefts += left.size();
        rights += right.size();
        std::vector<int> lower = {0};
        lower.insert(lower.end(), graphable.begin(), graphable.end());
        for (DisplayLayout l : {DisplayLayout::X4, DisplayLayout::X9, DisplayLayout::X6})
            for (int f = 0; f < LayoutOf(l).fields; ++f)
                ASSERT_EQ(Codes(PickerItems(l, f, &*protocol, catalog, features, false)), all);
        EXPECT_EQ(Codes(PickerItems(DisplayLayout::Graph, 0, &*protocol, catalog, features, false)), graphable);
        EXPECT_EQ(Codes(PickerItems(DisplayLayout::Graph, 1, &*protocol, catalog, features, false)), lower);
        EXPECT_EQ(Codes(PickerItems(DisplayLayout::Dial, 0, &*protocol, catalog, features, false)), left);
        EXPECT_EQ(Codes(PickerItems(DisplayLayout::Dial, 1, &*protocol, catalog, features, false)), right);
        for (const PickerItem& item : PickerItems(DisplayLayout::X4, 0, &*protocol, catalog, features, false))
            ASSERT_EQ(item.caption, FindMeasPar(catalog, static_cast<std::uint8_t>(item.code))->Caption);
    }
    EXPECT_GT(graphs, 0u);
    EXPECT_GT(lefts, 0u);
    EXPECT_GT(rights, 0u);
    // Without a protocol only the fixed lists remain; the lower graph keeps "Absent".
    EXPECT_TRUE(PickerItems(DisplayLayout::X4, 0, nullptr, catalog, features, false).empty());
    EXPECT_EQ(PickerItems(DisplayLayout::Graph, 1, nullptr, catalog, features, true), (std::vector<PickerItem>{{0, "Absent"}}));
    EXPECT_EQ(PickerItems(DisplayLayout::Graph, 1, nullptr, catalog, features, false), (std::vector<PickerItem>{{0, "Отсутствует"}}));
    EXPECT_EQ(PickerItems(DisplayLayout::Panel, 2, nullptr, catalog, features, true).size(), 12u);
}

TEST(DisplayPickers, TheX1PanelOffersItsFixedList)
{
    for (bool trim : {false, true}) {
        ModelFeatures features{};
        features.HasTrim = trim;
        const MeasParList catalog = MakeMeasParList(features, Language::Russian);
        const std::vector<int> expected = trim ? std::vector<int>{7, 10, 8, 17, 62, 55, 56, 57, 58, 59, 38}
                                               : std::vector<int>{7, 10, 8, 17, 55, 56, 57, 58, 59, 38};
        std::vector<int> held;
        for (int code : expected)
            if (FindMeasPar(catalog, static_cast<std::uint8_t>(code)))
                held.push_back(code);
        EXPECT_EQ(Codes(PickerItems(DisplayLayout::X1, 3, nullptr, catalog, features, false)), held) << trim;
    }
}

TEST(DisplayPickers, APickStoresOneByteInItsSlot)
{
    std::vector<std::uint8_t> rec(kRecord9Size, 0xAA);
    const auto before = rec;
    SetSlotValue(rec, DisplayLayout::X4, 2, 2, 17);
    EXPECT_EQ(rec[22], 17);
    EXPECT_EQ(SlotValue(rec, DisplayLayout::X4, 2, 2), 17);
    for (std::size_t i = 0; i < rec.size(); ++i)
        if (i != 22) {
            ASSERT_EQ(rec[i], before[i]) << i;
        }
    SetSlotValue(rec, DisplayLayout::X1, 0, 3, 255);
    EXPECT_EQ(SlotValue(rec, DisplayLayout::X1, 0, 3), -1); // the x1 panel's bytes are signed
    const auto edited = rec;
    EXPECT_THROW(SetSlotValue(rec, DisplayLayout::X4, 2, 2, 256), Error);
    EXPECT_THROW(SetSlotValue(rec, DisplayLayout::X4, 2, 2, -1), Error);
    EXPECT_THROW(SetSlotValue(rec, DisplayLayout::X4, 6, 0, 1), Error);
    EXPECT_THROW(SetSlotValue(rec, DisplayLayout::Graph, 0, 2, 1), Error);
    EXPECT_EQ(rec, edited);
}

} // namespace
} // namespace tc
