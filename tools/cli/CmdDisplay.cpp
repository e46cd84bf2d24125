// What the display page offers to pick, so that `set` values can be typed:
// the items a hot-menu list can take, and the parameters of a display slot.
#include "Command.h"

#include "common/Error.h"
#include "editor/DisplayPickers.h"
#include "editor/EditSession.h"
#include "editor/HotMenus.h"
#include "model/SettingsFile.h"

#include <iostream>

namespace tc::cli {
namespace {

void PrintTree(const std::vector<MenuNode>& nodes, const std::string& path)
{
    for (const MenuNode& n : nodes) {
        if (n.code == 0)
            PrintTree(n.children, path + n.caption + " / ");
        else
            std::cout << n.code << '\t' << path << n.caption << '\n';
    }
}

const Registration kMenuItems{{"hot-menu-items", "hot-menu-items FILE params|averages|parking",
    "list what \"Insert item\" offers for a hot-menu list of the model in FILE: CODE and the menu path",
    {},
    {{Complete::Settings}, {Complete::Words, "params averages parking"}},
    [](Args& args) {
        const auto& rest = args.Positional(2, "expected a settings FILE and a list (params, averages, parking)");
        const std::string lists[] = {"params", "averages", "parking"};
        int list = -1;
        for (int l = 0; l < 3; ++l)
            if (rest[1] == lists[l])
                list = l;
        if (list < 0)
            throw UsageError{"the lists are params, averages and parking"};
        SettingsModel model = DecodedSettings(rest[0], args.language);
        EditSettings(model, args.language, [&](EditSession& s) {
            const auto& ctx = s.Context();
            PrintTree(InsertionMenu(list, *ctx.menus, ctx.features, IsEnglish(ctx.language)), "");
            return false;
        });
        return 0;
    }}};

const Registration kPickerItems{{"slot-items", "slot-items FILE x4|x9|x6|x1|graph|dial|panel [F]",
    "list what the picker of field F (from 1) of a display kind offers for the model and protocol in FILE: CODE and caption",
    {},
    {{Complete::Settings}, {Complete::Words, "x4 x9 x6 x1 graph dial panel"}, {}},
    [](Args& args) {
        const auto rest = args.Positional();
        if (rest.size() < 2 || rest.size() > 3)
            throw UsageError{"expected a settings FILE, a display kind and optionally a field"};
        const LayoutDef* layout = FindLayout(rest[1]);
        if (!layout)
            throw UsageError{"the display kinds are x4, x9, x6, x1, graph, dial and panel"};
        const int field = rest.size() == 3 ? static_cast<int>(ParseNumber(rest[2], static_cast<unsigned>(layout->fields), "F")) : 1;
        if (field < 1)
            throw UsageError{"fields are numbered from 1"};
        SettingsModel model = DecodedSettings(rest[0], args.language);
        EditSettings(model, args.language, [&](EditSession& s) {
            const auto& ctx = s.Context();
            for (const PickerItem& item : PickerItems(layout->layout, field - 1, ctx.protocol, *ctx.params, ctx.features, IsEnglish(ctx.language)))
                std::cout << item.code << '\t' << item.caption << '\n';
            return false;
        });
        return 0;
    }}};

} // namespace
} // namespace tc::cli
