#pragma once
// The codecs of the field table: reading and writing a control's stored value
// in its record, and the number texts the editor shows and accepts.
#include "editor/FieldTable.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tc {

// The stored number of an integer or bits field (an inverted bit reads as its
// complement). Not for Codec::Factor.
std::int64_t ReadRaw(const Field& f, std::span<const std::uint8_t> record);
// Writes an integer or bits field; the other bits of the word keep their values.
void WriteRaw(const Field& f, std::span<std::uint8_t> record, std::int64_t raw);
// The numbers the field can hold (width and sign).
struct RawRange {
    std::int64_t min = 0;
    std::int64_t max = 0;
};
RawRange RawLimits(const Field& f);

// The items a choice or radio group offers, in order, each with what it
// stores; the item a stored number shows (-1: none).
struct ChoiceItem {
    std::string text; // the context's language
    bool enabled = true;
    std::int64_t value = 0;
};
std::vector<ChoiceItem> ChoiceItems(const Field& f, const RuleInput& in);
int ChosenItem(const std::vector<ChoiceItem>& items, std::int64_t raw);

// Codec::Factor: the percent the stored factor shows (nothing for a NaN or
// infinite one), and the factor a typed percent stores.
std::optional<double> ReadFactor(const Field& f, std::span<const std::uint8_t> record);
void WriteFactor(const Field& f, std::span<std::uint8_t> record, double percent);

// The percent a correction factor shows, rounded to one decimal so that a
// stored 1.05 shows 5.0; nothing for a NaN or infinite factor.
std::optional<double> FactorPercent(float factor);
float FactorFromPercent(double percent);

// A decimal number as typed: "-12.5" is {-125, 1}. Accepts '.' or ',' and
// surrounding blanks; nothing for anything else or more than 15 digits.
struct Decimal {
    std::int64_t mantissa = 0;
    int decimals = 0;
    double Value() const;
};
std::optional<Decimal> ParseDecimal(std::string_view text);

// shown * num / den rounded to the nearest integer (halves away from zero).
std::int64_t ScaleToRaw(const Decimal& shown, int num, int den);
// raw * den / num with `decimals` decimals: 65 with 1/2 shows "130", 5 with 2/1 and one decimal "2.5".
std::string FormatScaled(std::int64_t raw, int num, int den, int decimals);
double ScaledValue(std::int64_t raw, int num, int den);
std::string FormatNumber(double value, int decimals);

// A caption's name and its unit, the part after its last comma ("Speed, km/h"
// is "Speed" and "km/h"); the unit is empty when there is no comma.
struct CaptionParts {
    std::string name;
    std::string unit;
};
CaptionParts SplitCaption(std::string_view caption);

// Text fields (Codec::DayNumber, Codec::Name16): the text a control shows,
// "dd.mm.yy" or the name; nothing for stored bytes that show no date (blank
// memory, a number past 31.12.99), and "" for no date (0).
std::optional<std::string> ShowText(const Field& f, std::span<const std::uint8_t> record);
// The Width() bytes a typed text stores: a date as its day number (no text:
// 0, no date), a name zero-filled. Throws tc::Error with the user text.
std::vector<std::uint8_t> TextBytes(const Field& f, std::string_view text, bool english);
// Stores what TextBytes makes of the text in the field's bytes.
void WriteText(const Field& f, std::span<std::uint8_t> record, std::string_view text, bool english);

} // namespace tc
