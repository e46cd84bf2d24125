#include "CatalogTestSupport.h"

#include <set>

using namespace tc;

namespace {

ModelFeatures LowBeam(bool control, bool onAirInput)
{
    ModelFeatures f;
    f.LowBeamControl = control;
    f.LowBeamOnAirInput = onAirInput;
    return f;
}

const MeasuredParameter& Entry(const MeasParList& list, std::uint8_t code)
{
    const auto* e = FindMeasPar(list, code);
    if (!e)
        throw std::logic_error("no entry");
    return *e;
}

} // namespace

TEST_F(CatalogTest, MeasParListOrderAndUniqueCodes)
{
    const auto list = MakeMeasParList({}, Language::Russian);
    ASSERT_EQ(list.size(), 62u);
    const std::vector<int> head = {12, 13, 16, 14, 15, 10, 8, 9, 7, 11, 17, 18};
    for (std::size_t i = 0; i < head.size(); ++i)
        EXPECT_EQ(list[i]->Code, head[i]);
    EXPECT_EQ(list.back()->ClassName, "THVBVoltage");
    for (bool control : {false, true})
        for (bool air : {false, true}) {
            const auto l = MakeMeasParList(LowBeam(control, air), Language::Russian);
            std::set<int> codes;
            for (const auto& e : l) {
                codes.insert(e->Code);
                EXPECT_FALSE(e->Caption.empty()) << e->ClassName;
            }
            EXPECT_EQ(codes.size(), l.size());
        }
    EXPECT_EQ(FindMeasPar(list, 40), nullptr);
    EXPECT_EQ(FindMeasPar(list, 65), nullptr); // texts exist, but the catalog has no numbers row for it
    EXPECT_EQ(FindMeasPar(list, 0), nullptr);
}

TEST_F(CatalogTest, Code11FollowsTheLowBeamFeatures)
{
    auto l = MakeMeasParList(LowBeam(true, true), Language::Russian);
    EXPECT_EQ(Entry(l, 11).ClassName, "TLightsFlag");
    EXPECT_EQ(FindMeasParByClass(l, "TTemperAir"), nullptr);
    EXPECT_EQ(FindMeasPar(l, 34), nullptr);
    EXPECT_TRUE(Entry(l, 11).SampleText.empty());

    l = MakeMeasParList(LowBeam(true, false), Language::Russian);
    EXPECT_EQ(Entry(l, 11).ClassName, "TTemperAir");
    EXPECT_EQ(Entry(l, 34).ClassName, "TLightsFlag1");

    l = MakeMeasParList(LowBeam(false, true), Language::Russian);
    EXPECT_EQ(Entry(l, 11).ClassName, "TTemperAir");
    EXPECT_EQ(FindMeasPar(l, 34), nullptr);

    Evaluate(0x4010, 0, Language::Russian); // both features set by the model table
    EXPECT_EQ(cat.FindMeasPar(11)->ClassName, "TLightsFlag");
}

TEST_F(CatalogTest, RangeLabelsKeepTwoSignificantDigits)
{
    const auto l = MakeMeasParList({}, Language::Russian);
    const struct {
        std::uint8_t code;
        const char* min;
        const char* max;
    } kLabels[] = {{25, "-84.0", "84.0"}, {53, "-2.0E+2", "2.0E+2"}, {18, "0.0", "2.4E+2"}, {13, "0", "8000"}};
    for (const auto& want : kLabels) {
        const auto prepared = FindMeasPar(l, want.code)->Prepared();
        EXPECT_EQ(prepared.MinText, want.min) << int{want.code};
        EXPECT_EQ(prepared.MaxText, want.max) << int{want.code};
    }

    const auto rev = FindMeasPar(l, 13)->Prepared();
    std::vector<int> dial;
    for (int i = 0; i <= 4; ++i)
        dial.push_back(rev.DialFrom + (rev.DialTo - rev.DialFrom) * i / 4);
    EXPECT_EQ(dial, (std::vector<int>{0, 2, 4, 6, 8}));
    EXPECT_EQ(rev.DialUnit, "x1000");

    auto& inj = *FindMeasPar(l, 16);
    inj = inj.Prepared();
    EXPECT_EQ(inj.MaxText, "24.00");

    SetLocaleDecimalSeparator(',');
    EXPECT_EQ(FindMeasPar(l, 25)->Prepared().MinText, "-84,0");
    EXPECT_EQ(FindMeasPar(l, 53)->Prepared().MaxText, "2,0E+2");
    EXPECT_EQ(MakeMeasParList({}, Language::Russian).front()->SampleText, " 60"); // samples always use "."
    EXPECT_EQ(FindMeasPar(MakeMeasParList({}, Language::Russian), 18)->SampleText, " 50.0");

    EXPECT_EQ(FormatRangeValue(995, 1), "1,0E+2"); // rounding may carry into a third digit
    EXPECT_EQ(FormatRangeValue(-5, 2), "-0,05");
    EXPECT_EQ(FormatRangeValue(842, 1), "84,0");
}

TEST_F(CatalogTest, MomentaryExpenseIsDrawnWithItsOwnRangeAndColourWithoutChangingTheCatalog)
{
    const auto l = MakeMeasParList({}, Language::Russian);
    const auto& e = *FindMeasPar(l, 14);
    EXPECT_EQ(e.ClassName, "TMomentaryExpenseK");
    const auto unprepared = [](const MeasuredParameter& m) {
        EXPECT_EQ(m.MaxValue, 240);
        EXPECT_EQ(m.DialTo, 24);
        EXPECT_FALSE(m.AltColour);
        EXPECT_TRUE(m.MaxText.empty());
    };
    unprepared(e);
    EXPECT_TRUE(e.DialRing);
    for (int pass = 0; pass < 2; ++pass) { // prepared twice: the same values, the entry untouched
        const MeasuredParameter p = e.Prepared();
        EXPECT_EQ(p.MinText, "0.0");
        EXPECT_EQ(p.MaxText, "80.0");
        EXPECT_EQ(p.MaxValue, 800);
        EXPECT_EQ(p.DialFrom, 0);
        EXPECT_EQ(p.DialTo, 80);
        EXPECT_TRUE(p.AltColour);
        EXPECT_TRUE(p.DialRing);
        unprepared(e);
    }

    // The base class leaves the other entries' numbers alone.
    const MeasuredParameter h = FindMeasPar(l, 15)->Prepared();
    EXPECT_EQ(h.MaxValue, 800);
    EXPECT_EQ(h.MaxText, "8.00");
    EXPECT_FALSE(h.AltColour);
}

TEST_F(CatalogTest, SampleTexts)
{
    const auto l = MakeMeasParList({}, Language::Russian);
    EXPECT_EQ(Entry(l, 12).SampleText, " 60");
    EXPECT_EQ(Entry(l, 16).SampleText, "5.00"); // padded to 3, not to its width of 5
    EXPECT_EQ(Entry(l, 14).SampleText, " 10.0");
    EXPECT_EQ(Entry(l, 45).SampleText, "-20");
    EXPECT_EQ(Entry(l, 42).SampleText, "10000");
    EXPECT_EQ(Entry(l, 4).SampleText, " 47");
    EXPECT_EQ(Entry(l, 10).SampleText, "14.0");
    for (int code : {7, 1, 5, 2, 3})
        EXPECT_EQ(Entry(l, static_cast<std::uint8_t>(code)).SampleText, "") << code;
    EXPECT_EQ(Entry(l, 6).SampleText, "  0");
    EXPECT_EQ(FormatSampleValue(123456, 2, 3), "1234.56");
    EXPECT_EQ(FormatSampleValue(-5, 1, 5), " -0.5");
}

TEST_F(CatalogTest, MeasParTextsFollowTheLanguageAtConstruction)
{
    auto l = MakeMeasParList({}, Language::Russian);
    EXPECT_EQ(Entry(l, 11).Caption, "Твоз/вод/дв");
    EXPECT_EQ(Entry(l, 61).DialUnit, "градусы");
    EXPECT_EQ(Entry(l, 42).Caption, "Моточаcы"); // written with a Latin c
    EXPECT_EQ(Entry(l, 11).Caption, "Твоз/вод/дв"); // built texts do not change
    l = MakeMeasParList({}, Language::English);
    EXPECT_EQ(Entry(l, 11).Caption, "Tair/wat/en");
    EXPECT_EQ(Entry(l, 61).DialUnit, "");
    EXPECT_EQ(Entry(l, 14).TileUnit, "л/100");
    EXPECT_EQ(Entry(l, 7).TileUnit, "");
    EXPECT_EQ(Entry(l, 8).DialName, "");
    EXPECT_EQ(Entry(l, 12).GraphCaption, "Speed,km/h");
}

TEST_F(CatalogTest, RebuildYieldsAnEqualFreshList)
{
    Evaluate(0xC000, 0, Language::Russian);
    const MeasuredParameter* first = cat.FindMeasPar(12);
    std::vector<std::string> before;
    for (const auto& e : cat.MeasPars)
        before.push_back(std::string(e->ClassName) + "|" + std::to_string(e->Code) + "|" + e->Caption + "|" + e->SampleText
                         + "|" + std::to_string(e->MaxValue));
    Evaluate(0xC000, 0, Language::Russian);
    std::vector<std::string> after;
    for (const auto& e : cat.MeasPars)
        after.push_back(std::string(e->ClassName) + "|" + std::to_string(e->Code) + "|" + e->Caption + "|" + e->SampleText
                        + "|" + std::to_string(e->MaxValue));
    EXPECT_EQ(before, after);
    EXPECT_NE(cat.FindMeasPar(12), nullptr);
    (void)first; // freed with the replaced catalog; ASan reports any later use
    const MeasuredParameter base;
    EXPECT_EQ(base.MaxValue, 100);
    EXPECT_EQ(base.DialTo, 100);
    EXPECT_EQ(base.ValueWidth, 3);
    EXPECT_EQ(base.Caption, "");
}

TEST_F(CatalogTest, RowsOfTheLaterParameters)
{
    const auto l = MakeMeasParList({}, Language::Russian);
    struct Row {
        int code, showsRange, dialSide, graphable, sample, min, max, dialFrom, dialTo, width, decimals;
    };
    for (const Row& r : {Row{53, 1, 0, 1, 40, -2000, 2000, -2000, 2000, 5, 1}, Row{59, 1, 2, 1, 0, 0, 160, 0, 80, 3, 0},
                         Row{35, 1, 0, 1, 1000, 0, 1600, 0, 100, 5, 0}, Row{37, 0, 0, 0, 0, 0, 100, 0, 100, 1, 0},
                         Row{45, 1, 0, 0, -20, -50, 0, -50, 0, 3, 0}, Row{39, 1, 0, 1, 20, 0, 150, 0, 100, 4, 0},
                         Row{42, 0, 0, 0, 10000, 0, 800, 0, 800, 5, 0}, Row{48, 1, 0, 0, 3, 0, 6, 0, 6, 2, 0}}) {
        const auto& e = Entry(l, static_cast<std::uint8_t>(r.code));
        EXPECT_EQ((std::vector<int>{e.ShowsRange, e.DialSide, e.Graphable, e.SampleValue, e.MinValue, e.MaxValue, e.DialFrom,
                                    e.DialTo, e.ValueWidth, e.Decimals}),
                  (std::vector<int>{r.showsRange, r.dialSide, r.graphable, r.sample, r.min, r.max, r.dialFrom, r.dialTo,
                                    r.width, r.decimals}))
            << r.code;
        EXPECT_FALSE(e.DialRing) << r.code;
    }
    EXPECT_EQ(Entry(l, 37).SampleText, "0");
    EXPECT_EQ(Entry(l, 48).SampleText, " 3");
    EXPECT_EQ(Entry(l, 53).SampleText, "  4.0");
    EXPECT_EQ(Entry(l, 41).SampleText, " 200");
    EXPECT_EQ(Entry(l, 49).CaptionWithUnit, "Т.в.возд.ВВБ,гр");
    const auto en = MakeMeasParList({}, Language::English);
    EXPECT_EQ(Entry(en, 31).GraphCaption, "Left corr.,В"); // ends in a Cyrillic letter
    EXPECT_EQ(Entry(en, 32).CaptionWithUnit, "AC Press.Sens,V");
    EXPECT_EQ(Entry(en, 46).GraphCaption, "HVB DchLm,kW");
    EXPECT_EQ(Entry(en, 45).GraphCaption, "HVB ch.lim.");
    EXPECT_EQ(Entry(en, 15).DialName, "Expense");
}
