#include "editor/DisplayPage.h"

#include "editor/DisplayPickers.h"
#include "editor/EditSession.h"
#include "model/DisplayRecord.h"

#include <array>

namespace tc {

namespace {

constexpr Text kAnyPart = {"Для изменения отображаемого параметра щелкните ПРАВОЙ кнопкой мыши в нужной части соответствующего дисплея.", "To change the displayed parameter, RIGHT-click on the appropriate part of the corresponding display."};
constexpr Text kGraphPart = {"Для изменения отображаемого параметра щелкните ПРАВОЙ кнопкой мыши в ВЕРХНЕЙ или НИЖНЕЙ графической части  соответствующего дисплея.", "To change the displayed parameter, RIGHT-click on the appropriate part of the corresponding display."};
constexpr Text kDialPart = {"Для изменения отображаемого параметра щелкните ПРАВОЙ кнопкой мыши в ПРАВОЙ или ЛЕВОЙ ПОЛОВИНЕ соответствующего дисплея.", "To change the displayed parameter, RIGHT-click on the appropriate part of the corresponding display."};
constexpr Text kSixDisplays[] = {{"Дисплеи 1 .. 3", "Displays 1..3"}, {"Дисплеи 4 .. 6", "Displays 4..6"}};
constexpr Text kEightDisplays[] = {{"Дисплеи 1 .. 3", "Displays 1..3"}, {"Дисплеи 4 .. 6", "Displays 4..6"}, {"Дисплеи 7, 8", "Displays 7, 8"}};

constexpr DisplaySubpage kSubpages[] = {
    {"display.colours", {"Цветовые схемы", "Color schemes"}, "display.palette"},
    {"display.x1", {"Дисплеи х1", "Displays x 1"}, "display.slot.x1", {}, kAnyPart},
    {"display.x4", {"Дисплеи х4", "Displays x 4"}, "display.slot.x4", kSixDisplays, kAnyPart},
    {"display.x9", {"Дисплеи х9", "Displays x 9"}, "display.slot.x9", {}, kAnyPart},
    {"display.x6", {"Дисплей х6", "Displays x "}, "display.slot.x6", {}, kAnyPart},
    {"display.graph", {"Граф. дисплеи", "Graph displays"}, "display.slot.graph", kEightDisplays, kGraphPart, true},
    {"display.dial", {"Стрел. дисплеи", "Pointer displays"}, "display.slot.dial", kEightDisplays, kDialPart},
    {"display.menus", {"Горячие меню", "Hot menu"}, "display.menu", {},
     {"Правая кнопка мыши или клавиши Insert, Delete, Alt+стрелки: вставить, удалить, переместить пункт", "Right mouse button, or the keys Insert, Delete, Alt+arrows: insert, delete, move an item"}},
    {"display.panel", {"Доп.панель", "Extra panel"}, "display.slot.panel", {}, kAnyPart},
    {"display.misc", {"Разное", "Divers"}, "display.misc"},
};

void SingleValue(PreviewCanvas& p, const PreviewInputs& in)
{
    if (in.features.X1PanelModel)
        DrawSingleValueWithFields(p, in, 12, {55, 56, 10, 7});
    else
        DrawSingleValue(p, in, 12);
}

constexpr ColourSample kSamples[] = {
    {RoleGroup::Digital, {"x1", "x1"}, SingleValue},
    {RoleGroup::Digital, {"x1", "x1"}, [](PreviewCanvas& p, const PreviewInputs& in) { DrawList(p, in, kListSampleCodes); }},
    {RoleGroup::Digital, {"x4, x9", "x4, x9"}, [](PreviewCanvas& p, const PreviewInputs& in) { DrawFourTiles(p, in, {12, 13, 16, 17}); }},
    {RoleGroup::Digital, {"x4, x9", "x4, x9"},
     [](PreviewCanvas& p, const PreviewInputs& in) { DrawNineTiles(p, in, {12, 13, 16, 17, 1, 4, 11, 10, 7}); }},
    {RoleGroup::Digital, {"x6", "x6"}, [](PreviewCanvas& p, const PreviewInputs& in) { DrawBigWithFive(p, in, {12, 13, 16, 17, 11, 10}); }},
    {RoleGroup::Menu, {"Меню", "Menu"}, DrawMenu},
    {RoleGroup::Graph, {"Графики", "Graphics"}, [](PreviewCanvas& p, const PreviewInputs& in) { DrawGraphs(p, in, 14, 13); }},
    {RoleGroup::Dial, {"Стрелки", "Arrows"}, [](PreviewCanvas& p, const PreviewInputs& in) { DrawDials(p, in, 13, 12); }},
    {RoleGroup::Dial, {"Стрелки", "Arrows"}, [](PreviewCanvas& p, const PreviewInputs& in) { DrawDials(p, in, 14, 12); }},
};

constexpr ShowBox kShowBoxes[] = {
    {"display.show.x1", {"x1", "x1"}, 4},
    {"display.show.x4", {"x4", "x4"}},
    {"display.show.x9", {"x9", "x9"}},
    {"display.show.x6", {"x6", "x6"}},
    {"display.show.averages", {"Средние", "Average"}},
    {"display.show.dials", {"Стрелки", "Arrows"}},
    {"display.show.graphs", {"Графики", "Graphics"}},
};

} // namespace

std::span<const DisplaySubpage> DisplaySubpages()
{
    return kSubpages;
}

const ItemArea* FindItemArea(std::string_view key)
{
    for (const ItemArea& a : ItemAreas())
        if (a.key == key)
            return &a;
    return nullptr;
}

std::span<const ColourSample> ColourSamples()
{
    return kSamples;
}

std::span<const ShowBox> ShowBoxes()
{
    return kShowBoxes;
}

PreviewInputs DisplayPreviewInputs(const EditSession& session, std::uint32_t randomSeed)
{
    const EditorContext& ctx = session.Context();
    PreviewInputs in;
    in.record9 = session.Model().Record(kDisplayRecord);
    in.scheme = session.EditedScheme();
    in.pars = ctx.params;
    in.features = ctx.features;
    if (ctx.protocol)
        in.protocolCodes = ctx.protocol->Params();
    in.randomSeed = randomSeed;
    in.language = ctx.language;
    return in;
}

void DrawDisplayPreview(PreviewCanvas& p, const PreviewInputs& in, DisplayLayout layout, int display)
{
    switch (layout) {
    case DisplayLayout::X1: { // the single display with its bottom panel, whatever the model draws by default
        std::array<int, 4> fields{};
        for (int f = 0; f < 4; ++f)
            fields[static_cast<std::size_t>(f)] = SlotValue(in.record9, DisplayLayout::X1, 0, f);
        DrawSingleValueWithFields(p, in, 12, fields);
        return;
    }
    case DisplayLayout::X4: DrawPreviewScreen(p, in, PreviewScreen::X4, display + 1); return;
    case DisplayLayout::X9: DrawPreviewScreen(p, in, PreviewScreen::X9, display + 1); return;
    case DisplayLayout::X6: DrawPreviewScreen(p, in, PreviewScreen::X6, display + 1); return;
    case DisplayLayout::Graph: DrawPreviewScreen(p, in, PreviewScreen::Graphs, display + 1); return;
    case DisplayLayout::Dial: DrawPreviewScreen(p, in, PreviewScreen::Dials, display + 1); return;
    case DisplayLayout::Panel: DrawPreviewScreen(p, in, PreviewScreen::Panel, 1); return;
    }
}

} // namespace tc
