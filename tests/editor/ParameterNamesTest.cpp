// The three re-labelling operations as a golden table: the texts each
// condition gives its entry, in both languages, and no other entry changes.
#include "editor/ParameterNames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tc {
namespace {

using Texts = std::vector<std::string>;

Texts TextsOf(const MeasuredParameter& p)
{
    return {p.Caption, p.CaptionWithUnit, p.TileName, p.PanelName, p.RowName, p.DialName, p.GraphCaption};
}

Texts AllCaptions(const MeasParList& list, std::uint8_t except)
{
    Texts out;
    for (const auto& p : list)
        if (p->Code != except) {
            for (const std::string& t : TextsOf(*p))
                out.push_back(t);
        }
    return out;
}

enum class Op { Temperature, Forecast, Trim };

TEST(ParameterNames, EachConditionGivesItsTexts)
{
    struct Case {
        Op op;
        void (*set)(ModelFeatures&);
        int choice;
        bool english;
        Texts expected; // the first texts of the entry; the rest keep the catalog's
    };
    const auto none = [](ModelFeatures&) {};
    const auto cvt = [](ModelFeatures& f) { f.CvtTemperature = f.HasTrim = true; };
    const auto trim = [](ModelFeatures& f) { f.HasTrim = true; };
    const auto input = [](ModelFeatures& f) { f.HasUniversalInput = true; };
    const auto kml = [](ModelFeatures& f) { f.KmPerLitre = f.HasTrim = true; };
    const Case cases[] = {
        {Op::Temperature, cvt, 1, true, {"Tvariat", "Tvariat", "Tvar", "Tvariat", "Tvariat", "Tvar"}},
        {Op::Temperature, cvt, 0, false, {"Твариат", "Твариат", "Твар", "Твариат", "Твариат", "Твар"}},
        {Op::Temperature, trim, 1, true, {"Tair/wat/eng", "Twater", "Twater", "Twater", "Twater", "Twater"}},
        {Op::Temperature, input, 2, true, {"Tair/wat/eng", "T eng.", "T eng.", "T eng.", "T eng.", "T eng."}},
        {Op::Temperature, trim, 0, true, {"Tair/wat/eng", "T air", "T air", "T air", "T air", "T air"}},
        {Op::Temperature, trim, -5, false, {"Твоз/вод/дв", "Tвозд", "Tвозд", "Tвозд", "Tвозд", "Tвозд"}},
        {Op::Temperature, trim, 1, false, {"Твоз/вод/дв", "Tводы", "Tводы", "Tводы", "Tводы", "Tводы"}},
        {Op::Temperature, input, 2, false, {"Твоз/вод/дв", "T дв.", "T дв.", "T дв.", "T дв.", "T дв."}},
        {Op::Temperature, none, 1, true, {"T air", "T air", "T air", "T air", "T air", "T air"}},
        {Op::Temperature, none, 2, false, {"Tвоздуха", "Tвозд", "Tвозд", "Tвозд", "Tвозд", "Tвозд"}},
        {Op::Forecast, kml, 0, true, {"Power res.", "Power res,km", "PowerRes", "PowerRes", "PowerRes,km"}},
        {Op::Forecast, kml, 0, false, {"Запас хода", "Запас хода,км", "Запас Хд", "Запас Хд", "Запас Хд,km"}},
        {Op::Forecast, trim, 0, true, {"Mileage progn", "Mileage progn,km", "MilePrgn", "Mile.Progn.", "MilePrgn,km"}},
        {Op::Forecast, trim, 0, false, {"Прогноз проб", "Прогноз пробега,км", "Прогн.Пр", "Прогн.проб.", "Прогн.Пр,км"}},
        {Op::Trim, kml, 0, true, {"Pitch", "Pitch,deg", "Pitch", "Pitch", "Pitch", "Pitch", "Pitch,deg"}},
        {Op::Trim, kml, 0, false, {"Тангаж", "Тангаж,гр", "Тангаж", "Тангаж", "Тангаж", "Тангаж", "Тангаж,гр"}},
        {Op::Trim, trim, 0, true, {"Pitch", "Pitch,deg", "Pitch", "Pitch", "Pitch,deg", "Pitch", "Pitch,deg"}},
        {Op::Trim, trim, 0, false, {"Дифферент", "Дифферент,гр.", "Дифф.", "Дифферент", "Дифф.,гр", "Дифферент", "Дифферент,гр"}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n++);
        ModelFeatures f{};
        c.set(f);
        MeasParList list = MakeMeasParList(f, Language::Russian);
        const std::uint8_t code = c.op == Op::Temperature ? 11 : c.op == Op::Forecast ? 9 : 55;
        const MeasuredParameter* p = FindMeasPar(list, code);
        ASSERT_NE(p, nullptr);
        const Texts before = TextsOf(*p);
        const Texts others = AllCaptions(list, code);
        switch (c.op) {
        case Op::Temperature: RenameTemperature(list, f, c.choice, c.english); break;
        case Op::Forecast: RenameForecast(list, f, c.english); break;
        case Op::Trim: RenameTrim(list, f, c.english); break;
        }
        Texts expected = c.expected;
        expected.insert(expected.end(), before.begin() + static_cast<std::ptrdiff_t>(expected.size()), before.end());
        EXPECT_EQ(TextsOf(*p), expected);
        EXPECT_EQ(AllCaptions(list, code), others);
    }
    MeasParList empty;
    RenameTemperature(empty, ModelFeatures{}, 0, true); // nothing to re-label, nothing happens
    RenameTrim(empty, ModelFeatures{}, true);
    EXPECT_TRUE(empty.empty());
}

} // namespace
} // namespace tc
