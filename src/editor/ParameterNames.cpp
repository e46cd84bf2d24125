#include "editor/ParameterNames.h"

#include <array>
#include <string_view>

namespace tc {

namespace {

// Caption, CaptionWithUnit, TileName, PanelName, RowName, DialName, GraphCaption; null: left alone.
using Names = std::array<const char*, 7>;

void Apply(MeasParList& catalog, std::uint8_t code, const Names& n)
{
    MeasuredParameter* p = FindMeasPar(catalog, code);
    if (!p)
        return;
    std::string* fields[] = {&p->Caption, &p->CaptionWithUnit, &p->TileName, &p->PanelName,
                             &p->RowName, &p->DialName, &p->GraphCaption};
    for (std::size_t i = 0; i < n.size(); ++i)
        if (n[i])
            *fields[i] = n[i];
}

} // namespace

void RenameTemperature(MeasParList& catalog, const ModelFeatures& f, int captionChoice, bool english)
{
    if (f.CvtTemperature) {
        Apply(catalog, 11, english ? Names{"Tvariat", "Tvariat", "Tvar", "Tvariat", "Tvariat", "Tvar", nullptr}
                                   : Names{"Твариат", "Твариат", "Твар", "Твариат", "Твариат", "Твар", nullptr});
        return;
    }
    if (f.HasUniversalInput || f.HasTrim) {
        const char* other = nullptr;
        if (captionChoice == 1)
            other = english ? "Twater" : "Tводы";
        else if (captionChoice == 2)
            other = english ? "T eng." : "T дв.";
        else
            other = english ? "T air" : "Tвозд";
        Apply(catalog, 11, Names{english ? "Tair/wat/eng" : "Твоз/вод/дв", other, other, other, other, other, nullptr});
        return;
    }
    if (english)
        Apply(catalog, 11, Names{"T air", "T air", "T air", "T air", "T air", "T air", nullptr});
    else
        Apply(catalog, 11, Names{"Tвоздуха", "Tвозд", "Tвозд", "Tвозд", "Tвозд", "Tвозд", nullptr});
}

void RenameForecast(MeasParList& catalog, const ModelFeatures& f, bool english)
{
    if (f.KmPerLitre)
        Apply(catalog, 9, english ? Names{"Power res.", "Power res,km", "PowerRes", "PowerRes", "PowerRes,km", nullptr, nullptr}
                                  : Names{"Запас хода", "Запас хода,км", "Запас Хд", "Запас Хд", "Запас Хд,km", nullptr, nullptr});
    else
        Apply(catalog, 9, english ? Names{"Mileage progn", "Mileage progn,km", "MilePrgn", "Mile.Progn.", "MilePrgn,km", nullptr, nullptr}
                                  : Names{"Прогноз проб", "Прогноз пробега,км", "Прогн.Пр", "Прогн.проб.", "Прогн.Пр,км", nullptr, nullptr});
}

void RenameTrim(MeasParList& catalog, const ModelFeatures& f, bool english)
{
    if (f.KmPerLitre)
        Apply(catalog, 55, english ? Names{"Pitch", "Pitch,deg", "Pitch", "Pitch", "Pitch", "Pitch", "Pitch,deg"}
                                   : Names{"Тангаж", "Тангаж,гр", "Тангаж", "Тангаж", "Тангаж", "Тангаж", "Тангаж,гр"});
    else
        Apply(catalog, 55, english ? Names{"Pitch", "Pitch,deg", "Pitch", "Pitch", "Pitch,deg", "Pitch", "Pitch,deg"}
                                   : Names{"Дифферент", "Дифферент,гр.", "Дифф.", "Дифферент", "Дифф.,гр", "Дифферент", "Дифферент,гр"});
}

void RelabelParameters(MeasParList& catalog, const ModelFeatures& features, int captionChoice, bool english)
{
    RenameTemperature(catalog, features, captionChoice, english);
    RenameForecast(catalog, features, english);
    RenameTrim(catalog, features, english);
}

} // namespace tc
