// Preview screens: golden pictures of every screen and the layout rules.
//
// Golden pictures: each line of tests/preview/golden/screens.txt draws one
// screen of fixed settings and compares a hash of the 320 x 240 packed
// colours, and the picture itself with the PNG of the same name in
// docs/previews. After an intended change of the drawing, regenerate both with
//     TRIPCONF_PREVIEW_DIR=docs/previews build/tests/preview/preview_tests --gtest_filter='PreviewGolden*'
// (run from the source folder), which rewrites the PNGs and the hashes of
// screens.txt; look at the PNGs before committing them.
#include "catalogs/Catalogs.h"
#include "common/Bytes.h"
#include "common/Error.h"
#include "common/Language.h"
#include "model/ReferenceLayout.h"
#include "preview/Screens.h"

#include <gtest/gtest.h>
#ifdef TRIPCONF_HAVE_PNG
#include <png.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace tc {
namespace {

// The settings of the golden pictures: the reference layout of a model (its
// dials, graphs and their colour roles set) with a few slots filled.
void FillSampleSettings(SettingsModel& model, std::uint16_t modelCode)
{
    LoadReferenceImage(model, modelCode);
    auto r9 = model.Record(kDisplayRecord);
    const auto put = [&](const DisplaySlots& run, std::initializer_list<std::uint8_t> codes) {
        std::copy(codes.begin(), codes.end(), r9.begin() + static_cast<std::ptrdiff_t>(run.offset));
    };
    if (modelCode == 0x5800) {
        put(kPanelFieldSlots, {55, 62, 10, 7});
        put(kExtraPanelSlots, {2, 11, 14, 19});
    } else {
        put(kExtraPanelSlots, {3, 5, 9, 0});
    }
}

std::uint64_t Hash(const PreviewCanvas& p)
{
    std::uint64_t h = 14695981039346656037ull; // FNV-1a over the packed colours, low byte first
    for (const std::uint16_t px : p.Pixels())
        for (const int shift : {0, 8}) {
            h ^= (px >> shift) & 0xFF;
            h *= 1099511628211ull;
        }
    return h;
}

// One line of the golden file, tab-separated: the PNG's name in
// docs/previews, the model code, the screen as tripconf-cli preview names it,
// the display, the scheme (day or night), the language (ru or en) and the
// hash in hexadecimal.
struct Golden {
    std::string name;
    std::uint16_t model = 0;
    PreviewScreen screen = PreviewScreen::X1;
    int display = 0;
    int scheme = 0;
    Language language = Language::Russian;
    std::uint64_t hash = 0;
};

const std::string kGoldenFile = TRIPCONF_SOURCE_DIR "/tests/preview/golden/screens.txt";

std::vector<Golden> ReadGolden()
{
    std::vector<Golden> cases;
    std::ifstream file(kGoldenFile);
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        Golden g;
        std::string screen, scheme, language;
        fields >> g.name >> std::hex >> g.model >> screen >> std::dec >> g.display >> scheme >> language >> std::hex >> g.hash;
        const auto parsed = ParsePreviewScreen(screen);
        EXPECT_TRUE(fields && parsed && (scheme == "day" || scheme == "night") && (language == "ru" || language == "en")) << line;
        g.screen = parsed.value_or(PreviewScreen::X1);
        g.scheme = scheme == "night" ? 1 : 0;
        g.language = language == "en" ? Language::English : Language::Russian;
        cases.push_back(g);
    }
    return cases;
}

// Draws a golden case as tripconf-cli preview does (seed 1).
PreviewCanvas DrawCase(const Golden& g)
{
    SettingsModel model(g.language);
    FillSampleSettings(model, g.model);
    model.EvaluateCatalog(g.language);
    PreviewInputs in = InputsFromModel(model, g.language, 1);
    in.scheme = g.scheme;
    PreviewCanvas p;
    DrawPreviewScreen(p, in, g.screen, g.display);
    return p;
}

#ifdef TRIPCONF_HAVE_PNG
std::string PngPath(const std::string& folder, const std::string& name) { return folder + "/" + name + ".png"; }
#endif

TEST(PreviewGolden, EveryScreenMatchesItsPicture)
{
    const char* outDir = std::getenv("TRIPCONF_PREVIEW_DIR");
    const std::vector<Golden> cases = ReadGolden();
    ASSERT_FALSE(cases.empty()) << kGoldenFile;
    std::string regenerated;
    for (const Golden& g : cases) {
        SCOPED_TRACE(g.name);
        const PreviewCanvas p = DrawCase(g);
        const std::vector<std::uint8_t> rgb = p.ToRgb();
#ifdef TRIPCONF_HAVE_PNG
        if (outDir != nullptr) {
            png_image image{};
            image.version = PNG_IMAGE_VERSION;
            image.width = kPreviewWidth;
            image.height = kPreviewHeight;
            image.format = PNG_FORMAT_RGB;
            ASSERT_TRUE(png_image_write_to_file(&image, PngPath(outDir, g.name).c_str(), 0, rgb.data(), 0, nullptr));
            char line[160];
            std::snprintf(line, sizeof line, "%s\t0x%04X\t%s\t%d\t%s\t%s\t%016llX\n", g.name.c_str(), g.model,
                          std::string(PreviewScreenName(g.screen)).c_str(), g.display, g.scheme == 1 ? "night" : "day",
                          IsEnglish(g.language) ? "en" : "ru", static_cast<unsigned long long>(Hash(p)));
            regenerated += line;
            continue;
        }
#else
        (void)outDir; // without libpng (a Windows build) the hash alone is compared
#endif
        EXPECT_EQ(Hash(p), g.hash) << "actual 0x" << std::hex << Hash(p);
#ifdef TRIPCONF_HAVE_PNG
        // The committed picture shows exactly this drawing.
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        const std::string path = PngPath(TRIPCONF_SOURCE_DIR "/docs/previews", g.name);
        ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str())) << path;
        image.format = PNG_FORMAT_RGB;
        std::vector<std::uint8_t> committed(PNG_IMAGE_SIZE(image));
        ASSERT_TRUE(png_image_finish_read(&image, nullptr, committed.data(), 0, nullptr));
        EXPECT_EQ(committed, rgb) << path;
#endif
    }
    if (!regenerated.empty())
        std::ofstream(kGoldenFile, std::ios::binary) << regenerated;
}

// Fixture for the layout rules: model 0xC000 with the sample settings, English.
class PreviewScreens : public ::testing::Test {
protected:
    void SetUp() override
    {
        FillSampleSettings(model, 0xC000);
        model.EvaluateCatalog(language);
        in = InputsFromModel(model, language);
    }
    const Language language = Language::English;
    SettingsModel model{language};
    PreviewInputs in;
    PreviewCanvas p;
};

TEST_F(PreviewScreens, MissingParameterLeavesOnlyTheClearedAndSeparatedTile)
{
    p.Paper = 0x1234;
    p.FillArea(320, 240); // whatever was drawn before
    DrawFourTiles(p, in, {12, 0xFE, 13, 17});
    const std::uint16_t separator = SchemeRole(in, ColourRole::Separator);
    // Tile 0 is filled 161 pixels wide, so the missing tile starts one column later.
    for (int y = 0; y < 120; ++y)
        for (int x = 161; x < 320; ++x)
            ASSERT_EQ(p.Pixel(x, y), y == 119 ? separator : 0) << x << "," << y;
    EXPECT_NE(p.Pixel(80, 10), 0); // the tiles with parameters are painted

    DrawNineTiles(p, in, {0xFE, 12, 12, 12, 12, 12, 12, 12, 12});
    for (int y = 0; y < 79; ++y)
        for (int x = 0; x < 106; ++x)
            ASSERT_EQ(p.Pixel(x, y), 0) << x << "," << y;
}

TEST_F(PreviewScreens, SingleValueBarFillsItsShareOfTheRange)
{
    DrawSingleValue(p, in, 12); // speed 60 of 0..160
    const std::uint16_t ink = SchemeRole(in, ColourRole::CaptionInk), paper = SchemeRole(in, ColourRole::CaptionPaper);
    // Bar frame from x = 8 (half a cell of font 2), 304 pixels long, at y = 120 + 72.
    EXPECT_EQ(p.Pixel(8, 192), ink);
    EXPECT_EQ(p.Pixel(312, 192), ink);
    EXPECT_EQ(p.Pixel(312, 223), ink);
    EXPECT_EQ(p.Pixel(313, 200), paper);
    // 60 * 304 / 160 = 114 pixels filled.
    EXPECT_EQ(p.Pixel(8 + 114, 200), ink);
    EXPECT_EQ(p.Pixel(8 + 115, 200), paper);
    EXPECT_EQ(p.Pixel(8, 193), ink);
    EXPECT_EQ(p.Pixel(8, 222), ink);
}

TEST_F(PreviewScreens, GraphCurveFollowsTheSeed)
{
    in.randomSeed = 7;
    DrawGraphs(p, in, 14, 13);
    PreviewCanvas again;
    DrawGraphs(again, in, 14, 13);
    EXPECT_TRUE(std::equal(p.Pixels().begin(), p.Pixels().end(), again.Pixels().begin()));
    in.randomSeed = 8;
    DrawGraphs(again, in, 14, 13);
    EXPECT_FALSE(std::equal(p.Pixels().begin(), p.Pixels().end(), again.Pixels().begin()));
}

TEST_F(PreviewScreens, DialsAndGraphsNeedTheirParameters)
{
    p.Paper = 0x1234;
    p.FillArea(320, 240);
    DrawDials(p, in, 13, 0xFE);
    EXPECT_TRUE(std::all_of(p.Pixels().begin(), p.Pixels().end(), [](std::uint16_t c) { return c == 0; }));
    DrawGraphs(p, in, 0xFE, 13);
    EXPECT_TRUE(std::all_of(p.Pixels().begin(), p.Pixels().end(), [](std::uint16_t c) { return c == 0; }));
    // A missing lower graph draws the upper one alone, as with code 0.
    DrawGraphs(p, in, 14, 0xFE);
    PreviewCanvas single;
    DrawGraphs(single, in, 14, 0);
    EXPECT_TRUE(std::equal(p.Pixels().begin(), p.Pixels().end(), single.Pixels().begin()));
}

TEST_F(PreviewScreens, ColourIndexBeyondThePaletteWrapsInsteadOfReadingPastTheScheme)
{
    auto r9 = model.Record(kDisplayRecord);
    r9[kSchemeOffset[0] + SchemeByte(ColourRole::ValueInk)] = 127; // the editor accepts indices below 128
    EXPECT_EQ(SchemeRole(in, ColourRole::ValueInk), SchemePalette(in, 15));
    DrawSingleValue(p, in, 12);
    EXPECT_EQ(p.Pixel(0, 0), SchemeRole(in, ColourRole::ValuePaper));
}

TEST_F(PreviewScreens, DegenerateRangeDrawsWithoutDividingByZero)
{
    MeasParList list;
    auto par = std::make_unique<MeasuredParameter>();
    par->Code = 200;
    par->ShowsRange = 1;
    par->SampleValue = 5;
    par->MinValue = 5;
    par->MaxValue = 5;
    par->SampleText = "5";
    list.push_back(std::move(par));
    in.pars = &list;
    DrawSingleValue(p, in, 200);
    DrawGraphs(p, in, 200, 200);
    EXPECT_NE(p.Pixel(0, 239), 0); // the text area of the graphs is painted
}

TEST_F(PreviewScreens, ExtraPanelNumberingFollowsTheFeatures)
{
    ModelFeatures f;
    f.HasHybridDrive = true;
    auto items = PanelItems(f);
    ASSERT_EQ(items.size(), 17u);
    EXPECT_EQ(PanelItemName(*items[11], language), "GasPetr");
    EXPECT_EQ(PanelItemName(*items[12], language), "EngSpEl");
    f.NoGasFuel = true;
    items = PanelItems(f);
    EXPECT_EQ(PanelItemName(*items[11], language), "EngSpEl");
    f = {};
    f.KmPerLitre = f.HasAccelerometer = f.HasTrim = true;
    items = PanelItems(f);
    ASSERT_EQ(items.size(), 18u);
    EXPECT_EQ(PanelItemName(*items[15], language), "Trim");
    EXPECT_EQ(PanelItemName(*items[17], language), "Pitch");

    // An item number that no item carries draws nothing in its row.
    DrawExtraPanel(p, in, {255, 255, 255, 255});
    PreviewCanvas withItem;
    DrawExtraPanel(withItem, in, {255, 255, 255, 2});
    for (int y = 0; y < 180; ++y)
        for (int x = 0; x < 320; ++x)
            ASSERT_EQ(p.Pixel(x, y), withItem.Pixel(x, y));
    EXPECT_FALSE(std::equal(p.Pixels().begin(), p.Pixels().end(), withItem.Pixels().begin()));
    EXPECT_EQ(p.Pixel(100, 100), 0); // right of the strip stays black
}

TEST_F(PreviewScreens, AnyDisplaySettingsFromAFileDrawEveryScreen)
{
    // Record 9 comes from a settings file: slot codes, colour indices, panel
    // item numbers and x1 fields may hold any byte.
    auto r9 = model.Record(kDisplayRecord);
    std::uint32_t state = 12345;
    for (int round = 0; round < 8; ++round) {
        for (auto& b : r9) {
            state = state * 1103515245u + 12345u;
            b = static_cast<std::uint8_t>(state >> 24);
        }
        for (const bool panelModel : {false, true}) {
            in.features.X1PanelModel = panelModel;
            in.scheme = round % 2;
            for (const PreviewScreen screen : {PreviewScreen::X1, PreviewScreen::X1List, PreviewScreen::X4, PreviewScreen::X9,
                     PreviewScreen::X6, PreviewScreen::Menu, PreviewScreen::Dials, PreviewScreen::Graphs, PreviewScreen::Panel})
                for (int d = 1; d <= PreviewDisplayCount(screen, in); ++d)
                    EXPECT_NO_THROW(DrawPreviewScreen(p, in, screen, d)) << PreviewScreenName(screen) << " " << d;
        }
    }
}

// A new settings file holds the reference layout: every display of the dials
// and graphs draws in both schemes, in several colours (their colour roles
// were 0, which drew them black on black), and no two screens look alike.
TEST(PreviewNewFile, EveryDialAndGraphDisplayIsDrawnInColour)
{
    SettingsModel model;
    LoadReferenceImage(model, 0xC000);
    model.EvaluateCatalog(Language::Russian);
    std::set<std::vector<std::uint16_t>> pictures;
    for (const PreviewScreen screen : {PreviewScreen::Dials, PreviewScreen::Graphs})
        for (int scheme = 0; scheme < 2; ++scheme)
            for (int d = 1; d <= 8; ++d) {
                SCOPED_TRACE(std::string(PreviewScreenName(screen)) + " " + std::to_string(d) + " scheme " + std::to_string(scheme));
                PreviewInputs in = InputsFromModel(model, Language::Russian);
                in.scheme = scheme;
                PreviewCanvas p;
                DrawPreviewScreen(p, in, screen, d);
                const std::set<std::uint16_t> colours(p.Pixels().begin(), p.Pixels().end());
                EXPECT_GE(colours.size(), 4u);
                EXPECT_TRUE(pictures.emplace(p.Pixels().begin(), p.Pixels().end()).second);
            }
}

TEST_F(PreviewScreens, DisplayNumbersOutsideTheSettingsAreRefused)
{
    EXPECT_THROW(DrawPreviewScreen(p, in, PreviewScreen::X4, 7), Error);
    EXPECT_THROW(DrawPreviewScreen(p, in, PreviewScreen::Graphs, 0), Error);
    EXPECT_THROW(DrawPreviewScreen(p, in, PreviewScreen::X1, static_cast<int>(in.protocolCodes.size()) + 1), Error);
    EXPECT_NO_THROW(DrawPreviewScreen(p, in, PreviewScreen::Dials, 8));
    EXPECT_EQ(ParsePreviewScreen("x1list"), PreviewScreen::X1List);
    EXPECT_FALSE(ParsePreviewScreen("x5"));
}

} // namespace
} // namespace tc
