#pragma once
// Measured-parameter catalog: turns a one-byte parameter code from a screen
// slot, dial or graph into captions, units, sample value, range and scale.
#include "catalogs/ModelFeatures.h"
#include "common/Language.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tc {

// One catalog entry. Every catalog class only differs in the values its
// constructor sets, so the classes are rows of one table; `ClassName` names
// the row. Only the momentary consumption (TMomentaryExpenseK) changes behaviour (Prepared).
class MeasuredParameter {
public:
    MeasuredParameter();
    virtual ~MeasuredParameter() = default;

    std::string_view ClassName;
    std::uint8_t Code = 0;
    std::int32_t ShowsRange = 0;
    std::int32_t DialSide = 0; // 0 no dial, 1 left dial, 2 right dial
    std::int32_t Graphable = 0;
    std::int32_t SampleValue = 0;
    std::int32_t MinValue = 0;
    std::int32_t MaxValue = 100;
    std::int32_t DialFrom = 0;
    std::int32_t DialTo = 100;
    std::int32_t ValueWidth = 3;
    std::int32_t Decimals = 0;
    std::string Caption;
    std::string SampleText;
    std::string CaptionWithUnit;
    std::string MinText;
    std::string MaxText;
    std::string TileName, TileUnit;
    std::string PanelName, PanelUnit;
    std::string RowName;
    std::string DialName, DialUnit;
    std::string GraphCaption;
    bool DialRing = false;
    bool AltColour = false;

    // A copy of the entry as the preview draws it, with MinText and MaxText
    // filled; the entry itself stays as the catalog made it.
    virtual MeasuredParameter Prepared() const;
    // A copy of the entry of the same class.
    virtual std::unique_ptr<MeasuredParameter> Clone() const { return std::make_unique<MeasuredParameter>(*this); }
};

// The instantaneous consumption per 100 km: the preview draws it with the
// alternative dial colour, a range up to 800 and a dial from 0 to 80.
class MomentaryConsumption : public MeasuredParameter {
public:
    MeasuredParameter Prepared() const override;
    std::unique_ptr<MeasuredParameter> Clone() const override { return std::make_unique<MomentaryConsumption>(*this); }
};

using MeasParList = std::vector<std::unique_ptr<MeasuredParameter>>;

// Builds the entries in catalog order for the given model features, with
// texts in `language`.
MeasParList MakeMeasParList(const ModelFeatures& features, Language language);
// A copy of every entry of `list`, each of its own class.
MeasParList CopyMeasParList(const MeasParList& list);
// Creates one entry of the catalog by class name, whatever its presence
// condition; nothing for a name without a numbers row.
std::unique_ptr<MeasuredParameter> MakeMeasPar(std::string_view className, Language language);

// First entry of `list` with that code, or nullptr.
MeasuredParameter* FindMeasPar(const MeasParList& list, std::uint8_t code);
MeasuredParameter* FindMeasParByClass(const MeasParList& list, std::string_view className);

// `value` / 10^decimals in fixed point with a "." and exactly `decimals`
// digits, right-aligned with spaces to `width` characters (never cut).
std::string FormatSampleValue(std::int32_t value, int decimals, int width);
// A range label as Prepared writes it: plain integer for 0 decimals,
// otherwise fixed point with the locale's separator, or exponent notation
// with two significant digits when the integer part has more than two digits.
std::string FormatRangeValue(std::int32_t value, int decimals);

// Decimal separator of the user's locale used by the range labels; the
// window layer sets it from the system locale, the core starts with '.'.
void SetLocaleDecimalSeparator(char separator);
char LocaleDecimalSeparator();

} // namespace tc
