#pragma once
// The preview screens: every layout of the display drawn into a PreviewCanvas from
// the colour scheme being edited (record 9) and the measured-parameter list.
#include "catalogs/MeasuredParameters.h"
#include "catalogs/ModelFeatures.h"
#include "common/Language.h"
#include "model/DisplayRecord.h"
#include "preview/PreviewCanvas.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tc {

class SettingsModel;

struct PreviewInputs {
    std::span<const std::uint8_t> record9; // display settings with both colour schemes
    int scheme = 0;                        // the edited scheme: 0 day, 1 night
    const MeasParList* pars = nullptr;     // each entry is drawn as its Prepared() copy; the list is never changed
    ModelFeatures features;
    std::span<const std::uint8_t> protocolCodes; // parameters of the current protocol: one x1 display each
    std::uint32_t randomSeed = 1;          // the graphs' curve, another on every draw unless fixed
    Language language = Language::Russian; // of the sample texts and the errors
};

// A seed for the graphs' curve from the clock: a new curve on every draw.
std::uint32_t ClockSeed();

// Record 9 of the model with the day scheme (set `scheme` for the night
// one), the settings' parameter list, the features and current protocol of
// their catalog, the language of the texts, and the graphs' seed (the clock
// unless given).
PreviewInputs InputsFromModel(const SettingsModel& model, Language language, std::uint32_t randomSeed = ClockSeed());

// Screen colours of the edited scheme: palette entries and the colours of
// the roles (a stored palette index is taken modulo 16).
std::uint16_t SchemePalette(const PreviewInputs& in, int index);
std::uint16_t SchemeRole(const PreviewInputs& in, ColourRole role);

// Seven rows of the menu preview.
std::string MenuSampleText(int row, Language language);

// The extra-panel items offered for the model's features, in their numbering.
struct PanelItem;
std::vector<const PanelItem*> PanelItems(const ModelFeatures& features);
std::string PanelItemName(const PanelItem& item, Language language);
std::string PanelItemName(const PanelItem& item, bool english);

void DrawSingleValue(PreviewCanvas& p, const PreviewInputs& in, std::uint8_t code);
void DrawSingleValueWithFields(PreviewCanvas& p, const PreviewInputs& in, std::uint8_t mainCode,
                               std::array<int, 4> fieldCodes);
void DrawFourTiles(PreviewCanvas& p, const PreviewInputs& in, std::array<std::uint8_t, 4> codes);
void DrawNineTiles(PreviewCanvas& p, const PreviewInputs& in, std::array<std::uint8_t, 9> codes);
void DrawBigWithFive(PreviewCanvas& p, const PreviewInputs& in, std::array<std::uint8_t, 6> codes);
void DrawList(PreviewCanvas& p, const PreviewInputs& in, std::array<std::uint8_t, 7> codes);
void DrawMenu(PreviewCanvas& p, const PreviewInputs& in);
void DrawDials(PreviewCanvas& p, const PreviewInputs& in, std::uint8_t left, std::uint8_t right);
void DrawGraphs(PreviewCanvas& p, const PreviewInputs& in, std::uint8_t upper, std::uint8_t lower);
void DrawExtraPanel(PreviewCanvas& p, const PreviewInputs& in, std::array<std::uint8_t, 4> itemNumbers);

// The screens as the command line names them, drawn from the stored slots.
enum class PreviewScreen { X1, X1List, X4, X9, X6, Menu, Dials, Graphs, Panel };
std::optional<PreviewScreen> ParsePreviewScreen(std::string_view name);
std::string_view PreviewScreenName(PreviewScreen screen);
// Number of displays of that kind the settings hold (1 where there is one);
// for x1 the number of parameters of the current protocol.
int PreviewDisplayCount(PreviewScreen screen, const PreviewInputs& in);
// Draws display `display` (1-based) of a screen. Throws tc::Error with a user
// text when the display does not exist.
void DrawPreviewScreen(PreviewCanvas& p, const PreviewInputs& in, PreviewScreen screen, int display);

// The parameter codes of the colour-scheme page's samples.
constexpr std::array<std::uint8_t, 7> kListSampleCodes = {12, 13, 16, 17, 11, 10, 7};

} // namespace tc
