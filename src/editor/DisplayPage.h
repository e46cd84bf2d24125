#pragma once
// The display page of the settings editor as data: its sub-pages in order,
// each naming the record area it edits (RecordItems' areas: a layout's
// slots, the palettes, the hot-menu lists) or the field rows it lays out,
// and the sample screens of the colour-role sub-pages. The window builds the
// page from these tables; every preview is drawn from the settings and a
// PreviewInputs value made from the edit session alone.
#include "editor/ColourSchemes.h"
#include "editor/DisplayLayouts.h"
#include "editor/FieldTable.h"
#include "editor/RecordItems.h"
#include "preview/Screens.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace tc {

class EditSession;

struct DisplaySubpage {
    std::string_view name; // the sub-page's object name: "display.x4"
    Text title;
    // What it edits: the key of an item area (a layout's slots show that
    // layout's previews, the palettes the colour schemes, the hot-menu lists
    // their grids), or else the part of the field rows it lays out.
    std::string_view edits;
    // A layout's displays split over these tabs, the same number on each;
    // none: all in one row.
    std::span<const Text> tabs{};
    Text hint{}; // under the sub-page; may be empty
    bool anew = false; // its previews are drawn again on every refresh (the graphs' random curve)
};
std::span<const DisplaySubpage> DisplaySubpages();

// The item area of that key, nullptr when there is none (a sub-page of field rows).
const ItemArea* FindItemArea(std::string_view key);

// A sample screen of a colour-role sub-page, drawn with fixed parameter codes.
struct ColourSample {
    RoleGroup group;
    Text title; // its tab; samples of one group under one title are numbered "(1)", "(2)"
    void (*draw)(PreviewCanvas& p, const PreviewInputs& in);
};
std::span<const ColourSample> ColourSamples();
// Whether a group's samples are drawn again on every refresh (the graphs).
inline bool SamplesAnew(RoleGroup group) { return group == RoleGroup::Graph; }

// The show-mask boxes of the miscellaneous sub-page, each the field part it lays out.
struct ShowBox {
    std::string_view part; // "display.show.x4"
    Text caption;
    int columns = 1; // more than one: a row of its own above the others
};
std::span<const ShowBox> ShowBoxes();

// What the page's previews are drawn from: record 9, the edited scheme, the
// context's parameter list, features and current protocol, and the seed of
// the graphs' curve.
PreviewInputs DisplayPreviewInputs(const EditSession& session, std::uint32_t randomSeed);

// Display `display` (from 0) of a layout as its sub-page shows it: the x1
// sub-page shows the single display with its bottom panel's four fields.
void DrawDisplayPreview(PreviewCanvas& p, const PreviewInputs& in, DisplayLayout layout, int display);

} // namespace tc
