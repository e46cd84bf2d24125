#include "preview/Screens.h"

#include "catalogs/Catalogs.h"
#include "common/Bytes.h"
#include "common/Cp1251.h"
#include "common/Error.h"
#include "common/Language.h"
#include "model/SettingsModel.h"
#include "preview/Pictures.h"

#include <algorithm>
#include <chrono>

namespace tc {
namespace {

constexpr int W = kPreviewWidth;

using enum ColourRole;

// Characters as the display counts them (one code-page byte each).
int Len(std::string_view utf8) { return static_cast<int>(Utf8ToCp1251(utf8).size()); }

// Division rounded up, for the layouts that centre on half pixels.
int DivUp(int a, int b)
{
    const int q = a / b;
    return (a % b != 0 && (a > 0) == (b > 0)) ? q + 1 : q;
}

void Colours(PreviewCanvas& p, const PreviewInputs& in, ColourRole inkRole, ColourRole paperRole)
{
    p.Ink = SchemeRole(in, inkRole);
    p.Paper = SchemeRole(in, paperRole);
}

void Origin(PreviewCanvas& p, int x, int y)
{
    p.OriginX = x;
    p.OriginY = y;
}

// A box of fillWidth x fillHeight at (x, y) in the value colours with the
// sample value in the selected font, textTop below the box's top and centred
// over textWidth.
void SampleValueBox(PreviewCanvas& p, const PreviewInputs& in, const MeasuredParameter& par, int x, int y, int fillWidth, int fillHeight,
                    int textWidth, int textTop)
{
    Colours(p, in, ValueInk, ValuePaper);
    Origin(p, x, y);
    p.FillArea(fillWidth, fillHeight);
    p.OriginY = y + textTop;
    p.OriginX = x + (textWidth - Len(par.SampleText) * p.FontWidth) / 2;
    p.TextAt(0, 0, par.SampleText);
}

// The top-left box of width x height in the value colours with the sample
// value centred in the large digits.
void DrawBigValueBox(PreviewCanvas& p, const PreviewInputs& in, const MeasuredParameter& par, int width, int height)
{
    p.SelectFont(4);
    SampleValueBox(p, in, par, 0, 0, width, height, width, (height - p.FontHeight) / 2);
}

// The entry with that code as the preview draws it (the preview's own copy;
// the catalog stays as it is); nothing when no entry has it.
std::optional<MeasuredParameter> Prepared(const PreviewInputs& in, std::uint8_t code)
{
    if (in.pars == nullptr)
        return std::nullopt;
    const MeasuredParameter* par = FindMeasPar(*in.pars, code);
    if (!par)
        return std::nullopt;
    return par->Prepared();
}

// One cell of the nine-tile screen (also the small cells of the big value screen).
void DrawNineCell(PreviewCanvas& p, const PreviewInputs& in, int cell, std::uint8_t code)
{
    const std::optional<MeasuredParameter> par = Prepared(in, code);
    if (!par)
        return;
    const int x = 106 * (cell % 3), y = 80 * (cell / 3);
    p.SelectFont(2);
    SampleValueBox(p, in, *par, x, y, 107, 3 * p.FontHeight / 2 + 1, 106, p.FontHeight / 4);
    Colours(p, in, CaptionInk, CaptionPaper);
    p.SelectFont(1);
    Origin(p, x, y + 3 * p.FontHeight);
    p.FillArea(106, 2 * p.FontHeight);
    p.OriginX = x + p.FontWidth / 2;
    p.TextAt(0, 0, par->PanelName);
    p.TextAt(1, 0, par->PanelUnit);
}

// Pseudo-random numbers of the graph curve: a 32-bit linear congruential
// generator, so a seed gives the same curve everywhere.
class CurveRandom {
public:
    explicit CurveRandom(std::uint32_t seed) : state_(seed) {}
    // 0 .. range - 1; 0 for an empty range.
    int Next(int range)
    {
        state_ = state_ * 134775813u + 1u;
        if (range <= 0)
            return 0;
        return static_cast<int>((static_cast<std::uint64_t>(state_) * static_cast<std::uint32_t>(range)) >> 32);
    }

private:
    std::uint32_t state_;
};

// Bar height of a value in a plot of `span` pixels, limited to the plot.
int BarHeight(const MeasuredParameter& par, long long value, int span)
{
    const long long range = static_cast<long long>(par.MaxValue) - par.MinValue;
    if (range == 0)
        return 0; // a degenerate range draws an empty plot instead of dividing by zero
    const long long h = (value - par.MinValue) * span / range;
    return static_cast<int>(std::clamp<long long>(h, 0, span));
}

void DrawCurve(PreviewCanvas& p, const MeasuredParameter& par, int top, int bottom, CurveRandom& random)
{
    const int span = bottom - top;
    const int sampleHeight = BarHeight(par, par.SampleValue, span);
    p.ThickVLine(261, bottom, bottom - sampleHeight);
    p.ThickVLine(260, bottom, bottom - sampleHeight);
    for (int u = 0; u <= 259; ++u) {
        const long long v = static_cast<long long>(par.SampleValue) + random.Next(par.SampleValue / 10);
        p.ThickVLine(259 - u, bottom, bottom - BarHeight(par, v, span));
    }
}

} // namespace

std::uint32_t ClockSeed()
{
    const auto ticks = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return static_cast<std::uint32_t>(ticks ^ (ticks >> 32));
}

PreviewInputs InputsFromModel(const SettingsModel& model, Language language, std::uint32_t randomSeed)
{
    PreviewInputs in;
    in.language = language;
    in.randomSeed = randomSeed;
    in.record9 = model.Record(kDisplayRecord);
    in.pars = &model.Parameters();
    in.features = model.ModelCatalog().Features;
    if (const VehicleProtocol* prot = model.CurrentProtocol())
        in.protocolCodes = prot->Params();
    return in;
}

std::uint16_t SchemePalette(const PreviewInputs& in, int index)
{
    const std::size_t base = kSchemeOffset[in.scheme == 1 ? 1 : 0];
    return GetU16(in.record9, base + 2 * static_cast<std::size_t>(index & 0x0F));
}

std::uint16_t SchemeRole(const PreviewInputs& in, ColourRole role)
{
    const std::size_t base = kSchemeOffset[in.scheme == 1 ? 1 : 0];
    // The editor stores any index below 128; only 16 palette entries exist.
    return SchemePalette(in, GetU8(in.record9, base + SchemeByte(role)) & 0x0F);
}

void DrawSingleValue(PreviewCanvas& p, const PreviewInputs& in, std::uint8_t code)
{
    p.ClearScreen();
    const std::optional<MeasuredParameter> par = Prepared(in, code);
    if (!par)
        return;
    DrawBigValueBox(p, in, *par, 320, 120);

    Colours(p, in, CaptionInk, CaptionPaper);
    Origin(p, 0, 120);
    p.FillArea(320, 120);
    p.SelectFont(2);
    p.OriginY = 120 + p.FontHeight / 4;
    p.OriginX = p.FontWidth / 2;
    p.TextAt(0, 0, par->CaptionWithUnit);
    if (!par->ShowsRange)
        return;
    p.TextAt(1, 0, par->MinText);
    p.OriginX = 320 - p.FontWidth / 2 - Len(par->MaxText) * p.FontWidth;
    p.TextAt(1, 0, par->MaxText);

    p.OriginY = 120 + (p.FontHeight * 9) / 4;
    p.OriginX = p.FontWidth / 2;
    const int length = 320 - p.FontWidth;
    p.LineWidth = 1;
    p.ThickHLine(0, length, 0);
    p.ThickHLine(0, length, p.FontHeight - 1);
    p.ThickVLine(length, 0, p.FontHeight - 1);
    const long long range = static_cast<long long>(par->MaxValue) - par->MinValue;
    const long long filled = range == 0 ? 0 : (static_cast<long long>(par->SampleValue) - par->MinValue) * length / range;
    const int v = static_cast<int>(std::clamp<long long>(filled, -W, 2 * W));
    for (int y = 1; y <= p.FontHeight - 2; ++y)
        p.ThickHLine(0, v, y);
}

void DrawSingleValueWithFields(PreviewCanvas& p, const PreviewInputs& in, std::uint8_t mainCode, std::array<int, 4> fieldCodes)
{
    Colours(p, in, ValueInk, ValuePaper);
    Origin(p, 0, 0);
    p.ClearScreen();
    const std::optional<MeasuredParameter> par = Prepared(in, mainCode);
    p.FillArea(320, 137);
    if (par) {
        p.SelectFont(4);
        p.OriginY = 137 - p.FontHeight;
        p.OriginX = 320 - Len(par->SampleText) * p.FontWidth - p.FontWidth / 5;
        p.TextAt(0, 0, par->SampleText);
        p.SelectFont(2);
        p.OriginY = p.FontHeight / 4;
        p.OriginX = 320 - Len(par->CaptionWithUnit) * p.FontWidth - p.FontWidth / 2;
        p.TextAt(0, 0, par->CaptionWithUnit);
    }

    Origin(p, 0, 137);
    p.Paper = SchemeRole(in, CaptionPaper);
    p.FillArea(320, 103);
    for (int i = 0; i < 4; ++i) {
        const int x0 = 80 * i;
        // Every field starts in the caption ink; the boat symbols switch to the panel colour.
        p.Ink = SchemeRole(in, CaptionInk);
        switch (fieldCodes[static_cast<std::size_t>(i)]) {
        case 7:
            p.SelectFont(2);
            Origin(p, x0 + (80 - Len("15:12") * p.FontWidth) / 2, 235 - p.FontHeight);
            p.TextAt(0, 0, "15:12");
            break;
        case 8:
            Origin(p, 0, 0);
            p.DrawPicture(x0 + 40, 195, Picture(PictureId::GasStation));
            p.SelectFont(1);
            Origin(p, x0 + 78 - 6 * p.FontWidth, 142);
            p.TextAt(0, 0, Tr(in.language, "3л", "3l"));
            p.TextAt(1, 0, Tr(in.language, "20км", "20km"));
            break;
        case 10:
            p.SelectFont(2);
            Origin(p, 0, 0);
            p.DrawPicture(x0 + 10, 205, Picture(PictureId::Acc));
            Origin(p, x0 + (80 - Len("12.3V") * p.FontWidth) / 2, 137 + (240 - 137) / 2 - p.FontHeight);
            p.TextAt(0, 0, "12.3V");
            break;
        case 55:
        case 56: {
            const bool trim = fieldCodes[static_cast<std::size_t>(i)] == 55;
            Origin(p, 0, 0);
            p.DrawPicture(x0 + (trim ? 7 : 10), 137 + (240 - 137 - 97) / 2, Picture(trim ? PictureId::BoatScaleT : PictureId::BoatScaleC));
            p.Ink = SchemeRole(in, BottomPanel);
            p.DrawPicture(x0 + 40, (137 + 240) / 2 - 5, Picture(trim ? PictureId::BoatT : PictureId::BoatC));
            break;
        }
        case 62:
            p.SelectFont(1);
            Origin(p, x0 + 78 - 6 * p.FontWidth, 142);
            p.TextAt(0, 0, "-1");
            Origin(p, 0, 0);
            p.DrawPicture(x0 + 40, 137 + p.FontHeight + 5, Picture(PictureId::BoatMotor));
            p.SelectFont(2);
            Origin(p, x0 + 78 - 3 * p.FontWidth, 235 - p.FontHeight);
            p.TextAt(0, 0, "Tri");
            break;
        case 17:
        case 38:
        case 57:
        case 58:
        case 59: {
            const int code = fieldCodes[static_cast<std::size_t>(i)];
            const std::string label = code == 17 ? Tr(in.language, "Tож", "Tct")
                : code == 38                     ? Tr(in.language, "Tм", "Tol")
                : code == 57                     ? Tr(in.language, "Tдв", "Ten")
                : code == 58                     ? Tr(in.language, "Tв", "Twt")
                                                 : Tr(in.language, "Tц", "Tcl");
            p.SelectFont(1);
            Origin(p, x0 + 78 - 6 * p.FontWidth, 142);
            p.TextAt(0, 0, "30");
            p.SelectFont(2);
            Origin(p, x0 + 78 - 3 * p.FontWidth, 235 - p.FontHeight);
            p.TextAt(0, 0, label);
            break;
        }
        default:
            break;
        }
    }
}

void DrawFourTiles(PreviewCanvas& p, const PreviewInputs& in, std::array<std::uint8_t, 4> codes)
{
    p.ClearScreen();
    for (int a = 0; a < 4; ++a) {
        const std::optional<MeasuredParameter> par = Prepared(in, codes[static_cast<std::size_t>(a)]);
        if (!par)
            continue;
        const int x = 160 * (a % 2), y = 120 * (a / 2);
        p.SelectFont(3);
        SampleValueBox(p, in, *par, x, y, 161, p.FontHeight, 160, 0);
        Colours(p, in, CaptionInk, CaptionPaper);
        Origin(p, x, y + 64);
        p.FillArea(161, 120 - 64);
        p.SelectFont(2);
        p.OriginX = x + p.FontWidth / 2;
        p.TextAt(0, 0, par->TileName);
        p.OriginY = y + 120 - p.FontHeight;
        p.TextAt(0, 0, par->TileUnit);
    }
    p.Ink = SchemeRole(in, Separator);
    p.LineWidth = 1;
    Origin(p, 0, 0);
    p.ThickVLine(159, 0, 239);
    p.ThickHLine(0, 319, 119);
}

void DrawNineTiles(PreviewCanvas& p, const PreviewInputs& in, std::array<std::uint8_t, 9> codes)
{
    p.ClearScreen();
    for (int a = 0; a < 9; ++a)
        DrawNineCell(p, in, a, codes[static_cast<std::size_t>(a)]);
    p.Ink = SchemeRole(in, Separator);
    Origin(p, 0, 0);
    for (int i = 1; i <= 3; ++i) {
        p.ThickVLine(i * 319 / 3, 0, 239);
        p.ThickHLine(0, 319, i * 239 / 3);
    }
}

void DrawBigWithFive(PreviewCanvas& p, const PreviewInputs& in, std::array<std::uint8_t, 6> codes)
{
    p.ClearScreen();
    if (const std::optional<MeasuredParameter> par = Prepared(in, codes[0])) {
        DrawBigValueBox(p, in, *par, 213, 90);
        Colours(p, in, CaptionInk, CaptionPaper);
        Origin(p, 0, 90);
        p.FillArea(213, 170);
        p.SelectFont(2);
        p.OriginY = 90 + 70 - 2 * p.FontHeight;
        p.OriginX = p.FontWidth / 2;
        p.TextAt(0, 0, par->PanelName);
        p.TextAt(1, 0, par->PanelUnit);
    }
    constexpr std::array<int, 5> cells = {2, 5, 6, 7, 8};
    for (std::size_t i = 0; i < cells.size(); ++i)
        DrawNineCell(p, in, cells[i], codes[i + 1]);
    p.Ink = SchemeRole(in, Separator);
    Origin(p, 0, 0);
    p.ThickVLine(106, 160, 239);
    p.ThickVLine(212, 0, 239);
    p.ThickHLine(213, 319, 79);
    p.ThickHLine(0, 319, 159);
}

void DrawList(PreviewCanvas& p, const PreviewInputs& in, std::array<std::uint8_t, 7> codes)
{
    p.ClearScreen();
    p.SelectFont(2);
    for (int r = 0; r < 7; ++r) {
        const std::optional<MeasuredParameter> par = Prepared(in, codes[static_cast<std::size_t>(r)]);
        if (!par)
            continue;
        Origin(p, 0, (240 - 7 * p.FontHeight) / 2 + r * p.FontHeight);
        if (r % 2 == 0)
            Colours(p, in, ValueInk, ValuePaper);
        else
            Colours(p, in, CaptionInk, CaptionPaper);
        p.FillArea(320, p.FontHeight);
        p.TextAt(0, 0, par->RowName);
        p.TextAt(0, 20 - Len(par->SampleText), par->SampleText);
    }
}

std::string MenuSampleText(int row, Language language)
{
    static constexpr std::array<std::string_view, 7> english = {
        "Refilled l        0", "Now in tank l     50", "Refueling to full   ", "Fan              Off",
        "% of injection    On", "Spark plugs drying  ", "ECU reset           ",
    };
    static constexpr std::array<std::string_view, 7> russian = {
        "Заправлено л      0", "Теперь в баке л  50", "Заправка до полн.  ", "Вентилятор     Откл",
        "% на впрыск     Вкл", "Сушка свечей       ", "Сброс ЭБУ          ",
    };
    if (row < 0 || row > 6)
        return {};
    return Tr(language, russian[static_cast<std::size_t>(row)], english[static_cast<std::size_t>(row)]);
}

void DrawMenu(PreviewCanvas& p, const PreviewInputs& in)
{
    p.ClearScreen();
    p.SelectFont(2);
    for (int r = 0; r < 7; ++r) {
        Origin(p, 0, (240 - 7 * p.FontHeight) / 2 + r * p.FontHeight);
        if (r == 0)
            Colours(p, in, MenuActiveInk, MenuActivePaper);
        else if (r % 2 == 0)
            Colours(p, in, ValueInk, ValuePaper);
        else
            Colours(p, in, CaptionInk, CaptionPaper);
        p.TextAt(0, 1, MenuSampleText(r, in.language));
        p.TextAt(0, 0, std::to_string(r));
    }
}

namespace {
// Dial label places around a dial's centre (y up), from the scale's start clockwise.
constexpr std::array<std::array<int, 2>, 9> kDialLabels = {{
    {-51, -70}, {-83, -27}, {-83, 27}, {-51, 70}, {0, 87}, {51, 70}, {83, 27}, {83, -27}, {51, -70},
}};

void DialLabels(PreviewCanvas& p, const MeasuredParameter& par, int marks, int centreX)
{
    for (int i = 0; i < marks; ++i) {
        const long long value = par.DialFrom + (static_cast<long long>(par.DialTo) - par.DialFrom) * i / (marks - 1);
        const std::string text = std::to_string(value);
        const auto& place = kDialLabels[static_cast<std::size_t>(i)];
        p.OriginX = place[0] - (Len(text) * p.FontWidth) / 2 + centreX;
        p.OriginY = 99 - place[1] - p.FontHeight / 2;
        p.TextAt(0, 0, text);
    }
}
// Where and in which colours a dial is drawn.
struct DialPlace {
    int x;               // its left edge
    std::uint16_t dial;  // the circle, and the labels' paper
    std::uint16_t scale; // the labels and the scale
    int marks, centreX;  // for DialLabels
    PictureId scalePicture;
};

// A dial's circle (on the paper in use), its labels and its scale.
void DrawDial(PreviewCanvas& p, const MeasuredParameter& m, const DialPlace& at)
{
    Origin(p, at.x, 0);
    p.Ink = at.dial;
    p.DrawPicture(0, 0, Picture(PictureId::Circle99));
    p.Ink = at.scale;
    p.Paper = at.dial;
    DialLabels(p, m, at.marks, at.centreX);
    Origin(p, at.x, 0);
    p.DrawPicture(25, 25, Picture(at.scalePicture));
}
} // namespace

void DrawDials(PreviewCanvas& p, const PreviewInputs& in, std::uint8_t left, std::uint8_t right)
{
    p.ClearScreen();
    p.SelectFont(1);
    const std::optional<MeasuredParameter> l = Prepared(in, left);
    const std::optional<MeasuredParameter> r = Prepared(in, right);
    if (!l || !r)
        return;
    Origin(p, 0, 0);
    p.Paper = SchemeRole(in, DialBack);
    p.FillArea(320, 240 - 5 * p.FontHeight / 2);
    const std::uint16_t leftScale = SchemeRole(in, l->AltColour ? HighConsumptionScale : LeftScale);
    DrawDial(p, *l, {0, SchemeRole(in, LeftDial), leftScale, 5, 99, PictureId::ScaleL});
    DrawDial(p, *r, {121, SchemeRole(in, RightDial), SchemeRole(in, RightScale), 9, 220, PictureId::ScaleR});

    Origin(p, 35, 35);
    p.Ink = SchemeRole(in, LeftArrow);
    p.DrawPicture(0, 0, Picture(PictureId::Arrow));
    if (l->DialRing) {
        Origin(p, 37, 76);
        p.Ink = leftScale;
        p.DrawPicture(0, 0, Picture(PictureId::Circle9));
    }
    Origin(p, 156, 35);
    p.Ink = SchemeRole(in, RightArrow);
    p.DrawPicture(0, 0, Picture(PictureId::Arrow));

    Origin(p, 0, 240 - 5 * p.FontHeight / 2);
    p.Paper = SchemeRole(in, DialTitlesBack);
    p.Ink = SchemeRole(in, DialTitles);
    p.FillArea(320, 5 * p.FontHeight / 2);
    p.OriginY = 240 - 9 * p.FontHeight / 4;
    p.TextAt(0, 4, l->DialName);
    p.TextAt(1, 4, l->DialUnit);
    p.TextAt(0, 24, r->DialName);
    p.TextAt(1, 24, r->DialUnit);
}

void DrawGraphs(PreviewCanvas& p, const PreviewInputs& in, std::uint8_t upper, std::uint8_t lower)
{
    p.ClearScreen();
    p.SelectFont(1);
    const int h = p.FontHeight, w = p.FontWidth;
    const std::optional<MeasuredParameter> p1 = Prepared(in, upper);
    if (!p1)
        return;
    const std::optional<MeasuredParameter> p2 = lower != 0 ? Prepared(in, lower) : std::nullopt;
    const int textTop = 240 - DivUp(5 * h, 2);
    p.Paper = SchemeRole(in, GraphBack);
    Origin(p, 0, 0);
    p.FillArea(320, textTop);

    const int left = 2, right = 262, t1 = 1, b2 = 240 - 4 * h;
    int b1 = b2, t2 = 0;
    if (p2) {
        t2 = DivUp(b2 + t1, 2) + h / 4;
        b1 = t2 - DivUp(h, 2);
    }

    // Text area: value, time base and caption of each graph in its colour.
    Origin(p, 0, textTop);
    p.Paper = SchemeRole(in, GraphTitlesBack);
    p.FillArea(320, DivUp(5 * h, 2));
    p.Ink = SchemeRole(in, Graph1);
    p.TextAt(0, 0, p1->SampleText);
    p.TextAt(0, 15, "  1c");
    p.OriginX = DivUp(w, 2);
    p.TextAt(1, 0, p1->GraphCaption);
    if (p2) {
        // The lower graph's texts sit at the right end of the same rows.
        p.Ink = SchemeRole(in, Graph2);
        p.OriginX = 0;
        p.TextAt(0, 40 - Len(p2->SampleText), p2->SampleText);
        p.TextAt(0, 21, "  1c");
        p.OriginX = 320 - DivUp(w, 2) - Len(p2->GraphCaption) * w;
        p.TextAt(1, 0, p2->GraphCaption);
    }
    p.Paper = SchemeRole(in, GraphBack);
    const auto rangeTexts = [&](const MeasuredParameter& par, ColourRole role, int top, int bottom) {
        p.Ink = SchemeRole(in, role);
        Origin(p, 320 - par.ValueWidth * w - w / 4, bottom - h);
        p.TextAt(0, 0, par.MinText);
        p.OriginY = top;
        p.TextAt(0, 0, par.MaxText);
    };
    rangeTexts(*p1, Graph1, 0, b1);
    if (p2)
        rangeTexts(*p2, Graph2, t2, b2);

    // Time labels under the plot.
    static constexpr std::array<std::string_view, 3> times = {"15:25:00", "15:25:30", "15:26:00"};
    p.Ink = SchemeRole(in, GraphAxes);
    for (int u = 0; u < 3; ++u) {
        Origin(p, left + (right - left) * (u + 1) / 3 - 4 * w, b2 + h / 4);
        p.TextAt(0, 0, times[static_cast<std::size_t>(u)]);
    }

    // Plot background, frames, scale marks and time ticks.
    Origin(p, 0, 0);
    p.FillArea(right + 2, b2 + 1);
    p.LineWidth = 1;
    p.ThickHLine(left - 1, right + 1, t1);
    p.ThickHLine(left - 1, right + 1, b2);
    if (p2) {
        p.ThickHLine(left - 1, right + 1, t2);
        p.ThickHLine(left - 1, right + 1, b1);
    }
    p.ThickVLine(left - 1, t1, b2);
    p.ThickVLine(right + 1, t1, b2);
    p.LineWidth = 2;
    for (int u = 0; u <= 5; ++u) {
        p.Ink = SchemeRole(in, Graph1);
        p.ThickHLine(right + 2, right + w, b1 - (b1 - t1) * u / 5);
        if (p2) {
            p.Ink = SchemeRole(in, Graph2);
            p.ThickHLine(right + 2, right + w, b2 - (b2 - t2) * u / 5);
        }
    }
    p.Ink = SchemeRole(in, GraphAxes);
    for (int u = 0; u < 3; ++u) {
        Origin(p, left + (right - left) * (u + 1) / 3, b2);
        p.ThickVLine(0, 0, h / 4);
    }

    CurveRandom random(in.randomSeed);
    p.Ink = SchemeRole(in, Graph1);
    Origin(p, left, 0);
    DrawCurve(p, *p1, t1, b1, random);
    if (p2) {
        p.Ink = SchemeRole(in, Graph2);
        DrawCurve(p, *p2, t2, b2, random);
    }
}

// Extra panel --------------------------------------------------------------

enum class PanelDraw { CheckEngine, Value, GasPetrol, Electro };
enum class PanelGroup { Always, Gas, Hybrid, KmPerLitre, Trim, Tilt };

struct PanelItem {
    std::string_view nameRu, nameEn;
    PanelDraw draw;
    std::string_view captionEn, captionRu; // of a value
    std::string_view value;                // a sample value: the same in both languages
    int colour;                            // fixed palette colour, kRowColour: the row's colour
    PanelGroup group;
};

namespace {
constexpr int kRowColour = -1;

// An item that shows a sample value over its caption, in its row's colour
// unless it has its own.
constexpr PanelItem Shows(std::string_view nameRu, std::string_view nameEn, std::string_view captionEn, std::string_view captionRu,
                          std::string_view value, PanelGroup group, int colour = kRowColour)
{
    return {nameRu, nameEn, PanelDraw::Value, captionEn, captionRu, value, colour, group};
}

// An item drawn as a symbol (or the gas/petrol field) in a fixed colour.
constexpr PanelItem Symbol(std::string_view nameRu, std::string_view nameEn, PanelDraw draw, int colour, PanelGroup group)
{
    return {nameRu, nameEn, draw, {}, {}, {}, colour, group};
}

constexpr std::array<PanelItem, 23> kPanelItems = {{
    Symbol("CheckEn", "CheckEn", PanelDraw::CheckEngine, 9, PanelGroup::Always),
    Shows("Предупр", "Warning", "Eng.sp.", "Обороты", "8500", PanelGroup::Always, 2),
    Shows("Обороты", "Eng.sp.", "rpm", "об/мин", "1850", PanelGroup::Always),
    Shows("Скор.", "Speed", "km/h", "км/час", "115", PanelGroup::Always),
    Shows("СкорПКм", "Sp.LtKm", "km/h", "км/час", "78", PanelGroup::Always),
    Shows("ТОЖ", "T cool.", "Tcool", "Т ОЖ", "88", PanelGroup::Always),
    Shows("Т возд.", "T air", "T air", "Т возд", "21", PanelGroup::Always),
    Shows("Т КПП", "T AT", "AT oil", "T АКПП", "65", PanelGroup::Always),
    Shows("Перед.", "AT mode", "ATmode", "Р.КПП", "R", PanelGroup::Always),
    Shows("НапрАКБ", "Batt.V", "Volts", "Вольты", "14.7", PanelGroup::Always),
    Shows("Бак", "Tank", "litres", "литры", "38.1", PanelGroup::Always),
    Symbol("ГазБенз", "GasPetr", PanelDraw::GasPetrol, 10, PanelGroup::Gas),
    Symbol("Обор/Эл", "EngSpEl", PanelDraw::Electro, 14, PanelGroup::Hybrid),
    Shows("Т ВВБ", "Т HVB", "T HVB", "Т ВВБ", "33", PanelGroup::Hybrid),
    Shows("ТВВ ВВБ", "IAT HVB", "Ti HVB", "Тв ВВБ", "23", PanelGroup::Hybrid),
    Shows("ВентВВБ", "HVB fan", "Fan Sp", "СкВент", "2", PanelGroup::Hybrid),
    Shows("Т ЭлДв", "T ElMot", "TElMot", "Т ЭлДв", "33", PanelGroup::Hybrid),
    Shows("Т двиг.", "Т eng.", "Т eng.", "Т двиг", "77", PanelGroup::KmPerLitre),
    Shows("Т воды", "T water", "Тwater", "Т воды", "11", PanelGroup::KmPerLitre),
    Shows("Т цил.", "Т cyl.", "Т cyl", "Т цил.", "68", PanelGroup::KmPerLitre),
    Shows("Трим", "Trim", "Trim", "Трим", "-13", PanelGroup::Trim),
    Shows("Крен", "Roll", "Roll", "Крен", "5", PanelGroup::Tilt),
    Shows("Дифф.", "Pitch", "Pitch", "Дифф.", "-3", PanelGroup::Tilt),
}};

constexpr std::array<int, 4> kRowColours = {2, 11, 7, 14};

bool Offered(PanelGroup group, const ModelFeatures& f)
{
    switch (group) {
    case PanelGroup::Always: return true;
    case PanelGroup::Gas: return !f.NoGasFuel;
    case PanelGroup::Hybrid: return f.HasHybridDrive;
    case PanelGroup::KmPerLitre: return f.KmPerLitre;
    case PanelGroup::Trim: return f.HasTrim;
    case PanelGroup::Tilt: return f.KmPerLitre && f.HasAccelerometer;
    }
    return false;
}

// The framed four-character value field of a panel row.
void PanelValueField(PreviewCanvas& p, const PreviewInputs& in, int y0, std::uint16_t paper, std::string_view text, int cells)
{
    p.Ink = SchemePalette(in, 0);
    p.Paper = paper;
    p.SelectFont(2);
    p.OriginY = y0 + 60 - DivUp(3 * p.FontHeight, 2) - 3;
    p.OriginX = (80 - 4 * p.FontWidth) / 2;
    p.TextAt(0, 0, "    ");
    p.OriginX = DivUp(80 - cells * p.FontWidth, 2);
    p.TextAt(0, 0, text);
    p.OriginX = (80 - 4 * p.FontWidth) / 2;
    p.Ink = SchemePalette(in, 15);
    p.ThickHLine(0, 4 * p.FontWidth, 0);
    p.ThickHLine(0, 4 * p.FontWidth, p.FontHeight);
    p.ThickVLine(0, 0, p.FontHeight);
    p.ThickVLine(4 * p.FontWidth, 0, p.FontHeight);
}

void DrawPanelItem(PreviewCanvas& p, const PreviewInputs& in, const PanelItem& item, int row)
{
    const int y0 = 60 * row;
    switch (item.draw) {
    case PanelDraw::CheckEngine:
    case PanelDraw::Electro:
        p.Ink = SchemePalette(in, item.colour);
        Origin(p, 0, 0);
        if (item.draw == PanelDraw::CheckEngine)
            p.DrawPicture(15, y0 + 14, Picture(PictureId::CheckEngine));
        else
            p.DrawPicture(22, y0 + 2, Picture(PictureId::Electro));
        break;
    case PanelDraw::GasPetrol:
        PanelValueField(p, in, y0, SchemePalette(in, item.colour), Tr(in.language, "Бен", "Pet"), 3);
        break;
    case PanelDraw::Value: {
        const int c = item.colour != kRowColour ? item.colour : kRowColours[static_cast<std::size_t>(row)];
        const std::string caption = Tr(in.language, item.captionRu, item.captionEn);
        const std::string_view value = item.value;
        p.Ink = SchemePalette(in, c);
        p.Paper = SchemePalette(in, 0);
        p.SelectFont(1);
        Origin(p, DivUp(80 - Len(caption) * p.FontWidth, 2), y0 + 60 - p.FontHeight - 2);
        p.TextAt(0, 0, caption);
        PanelValueField(p, in, y0, SchemePalette(in, c), value, Len(value));
        break;
    }
    }
}
} // namespace

std::vector<const PanelItem*> PanelItems(const ModelFeatures& features)
{
    std::vector<const PanelItem*> items;
    for (const PanelItem& item : kPanelItems)
        if (Offered(item.group, features))
            items.push_back(&item);
    return items;
}

std::string PanelItemName(const PanelItem& item, Language language)
{
    return Tr(language, item.nameRu, item.nameEn);
}

std::string PanelItemName(const PanelItem& item, bool english)
{
    return std::string(english ? item.nameEn : item.nameRu);
}

void DrawExtraPanel(PreviewCanvas& p, const PreviewInputs& in, std::array<std::uint8_t, 4> itemNumbers)
{
    p.ClearScreen();
    Origin(p, 0, 0);
    p.Paper = SchemePalette(in, 0);
    p.Ink = SchemePalette(in, 7);
    p.LineWidth = 2;
    p.FillArea(80, 240);
    p.ThickHLine(0, 79, 2);
    p.ThickHLine(0, 79, 238);
    p.ThickVLine(2, 0, 238);
    p.ThickVLine(79, 0, 238);
    const std::vector<const PanelItem*> items = PanelItems(in.features);
    for (int r = 0; r < 4; ++r) {
        const std::size_t n = itemNumbers[static_cast<std::size_t>(r)];
        if (n < items.size())
            DrawPanelItem(p, in, *items[n], r);
    }
}

// Screens by name ----------------------------------------------------------

namespace {
constexpr std::array<std::pair<PreviewScreen, std::string_view>, 9> kScreenNames = {{
    {PreviewScreen::X1, "x1"},
    {PreviewScreen::X1List, "x1list"},
    {PreviewScreen::X4, "x4"},
    {PreviewScreen::X9, "x9"},
    {PreviewScreen::X6, "x6"},
    {PreviewScreen::Menu, "menu"},
    {PreviewScreen::Dials, "dials"},
    {PreviewScreen::Graphs, "graphs"},
    {PreviewScreen::Panel, "panel"},
}};

// The codes of one display (0-based) of a run of slots.
template <const DisplaySlots& Run>
std::array<std::uint8_t, static_cast<std::size_t>(Run.perDisplay)> Slots(const PreviewInputs& in, int display)
{
    std::array<std::uint8_t, static_cast<std::size_t>(Run.perDisplay)> codes{};
    for (int i = 0; i < Run.perDisplay; ++i)
        codes[static_cast<std::size_t>(i)] = GetU8(in.record9, Run.Slot(display, i));
    return codes;
}
} // namespace

std::optional<PreviewScreen> ParsePreviewScreen(std::string_view name)
{
    for (const auto& [screen, text] : kScreenNames)
        if (text == name)
            return screen;
    return std::nullopt;
}

std::string_view PreviewScreenName(PreviewScreen screen)
{
    for (const auto& [s, text] : kScreenNames)
        if (s == screen)
            return text;
    return {};
}

int PreviewDisplayCount(PreviewScreen screen, const PreviewInputs& in)
{
    switch (screen) {
    case PreviewScreen::X1: return in.features.X1PanelModel ? 1 : static_cast<int>(in.protocolCodes.size());
    case PreviewScreen::X4: return kFourTileSlots.displays;
    case PreviewScreen::X9: return kNineTileSlots.displays;
    case PreviewScreen::X6: return kBigWithFiveSlots.displays;
    case PreviewScreen::Dials: return kDialSlots.displays;
    case PreviewScreen::Graphs: return kGraphSlots.displays;
    default: return 1;
    }
}

void DrawPreviewScreen(PreviewCanvas& p, const PreviewInputs& in, PreviewScreen screen, int display)
{
    const int count = PreviewDisplayCount(screen, in);
    if (display < 1 || display > count)
        throw Error(count == 0 ? Tr(in.language, "Для этого экрана нет дисплеев", "This screen has no displays")
                               : Tr(in.language, "Номер дисплея должен быть от 1 до ", "The display number must be 1 to ") + std::to_string(count));
    const int d = display - 1;
    switch (screen) {
    case PreviewScreen::X1:
        if (in.features.X1PanelModel) {
            std::array<int, 4> fields{};
            const auto stored = Slots<kPanelFieldSlots>(in, 0);
            for (std::size_t f = 0; f < 4; ++f)
                fields[f] = static_cast<std::int8_t>(stored[f]);
            DrawSingleValueWithFields(p, in, 12, fields);
        } else {
            DrawSingleValue(p, in, in.protocolCodes[static_cast<std::size_t>(d)]);
        }
        break;
    case PreviewScreen::X1List: DrawList(p, in, kListSampleCodes); break;
    case PreviewScreen::X4: DrawFourTiles(p, in, Slots<kFourTileSlots>(in, d)); break;
    case PreviewScreen::X9: DrawNineTiles(p, in, Slots<kNineTileSlots>(in, d)); break;
    case PreviewScreen::X6: DrawBigWithFive(p, in, Slots<kBigWithFiveSlots>(in, d)); break;
    case PreviewScreen::Menu: DrawMenu(p, in); break;
    case PreviewScreen::Dials: {
        const auto codes = Slots<kDialSlots>(in, d);
        DrawDials(p, in, codes[0], codes[1]);
        break;
    }
    case PreviewScreen::Graphs: {
        const auto codes = Slots<kGraphSlots>(in, d);
        DrawGraphs(p, in, codes[0], codes[1]);
        break;
    }
    case PreviewScreen::Panel: DrawExtraPanel(p, in, Slots<kExtraPanelSlots>(in, 0)); break;
    }
}

} // namespace tc
