#include "editor/Codecs.h"

#include "common/Bytes.h"
#include "common/Error.h"
#include "editor/Maintenance.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>

namespace tc {

namespace {

std::uint32_t ReadWord(std::span<const std::uint8_t> rec, std::size_t off, int bytes)
{
    switch (bytes) {
    case 1:
        return GetU8(rec, off);
    case 2:
        return GetU16(rec, off);
    case 4:
        return GetU32(rec, off);
    }
    throw std::logic_error("bits word of a width other than 1, 2 or 4");
}

void WriteWord(std::span<std::uint8_t> rec, std::size_t off, int bytes, std::uint32_t v)
{
    switch (bytes) {
    case 1:
        return PutU8(rec, off, static_cast<std::uint8_t>(v));
    case 2:
        return PutU16(rec, off, static_cast<std::uint16_t>(v));
    case 4:
        return PutU32(rec, off, v);
    }
    throw std::logic_error("bits word of a width other than 1, 2 or 4");
}

std::uint32_t BitMask(const Field& f)
{
    const std::uint32_t ones = f.bitCount >= 32 ? 0xFFFFFFFFu : ((1u << f.bitCount) - 1u);
    return ones << f.bit;
}

std::int64_t Pow10(int n)
{
    std::int64_t p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

// a / b rounded to the nearest integer, halves away from zero (b > 0).
std::int64_t DivRound(std::int64_t a, std::int64_t b)
{
    const std::int64_t q = a / b;
    const std::int64_t r = a % b;
    if (2 * (r < 0 ? -r : r) >= b)
        return a < 0 ? q - 1 : q + 1;
    return q;
}

} // namespace

int Field::Width() const
{
    switch (codec) {
    case Codec::S8:
    case Codec::U8:
        return 1;
    case Codec::S16:
    case Codec::U16:
        return 2;
    case Codec::S32:
    case Codec::U32:
    case Codec::Factor:
        return 4;
    case Codec::Bits:
        return wordBytes;
    case Codec::DayNumber:
        return 4;
    case Codec::Name16:
        return static_cast<int>(kNameBytes);
    }
    return 0;
}

std::int64_t ReadRaw(const Field& f, std::span<const std::uint8_t> rec)
{
    const auto off = static_cast<std::size_t>(f.offset);
    switch (f.codec) {
    case Codec::S8:
        return static_cast<std::int8_t>(GetU8(rec, off));
    case Codec::U8:
        return GetU8(rec, off);
    case Codec::S16:
        return GetS16(rec, off);
    case Codec::U16:
        return GetU16(rec, off);
    case Codec::S32:
        return GetS32(rec, off);
    case Codec::U32:
    case Codec::DayNumber:
        return GetU32(rec, off);
    case Codec::Bits: {
        std::uint32_t v = (ReadWord(rec, off, f.wordBytes) & BitMask(f)) >> f.bit;
        if (f.inverted)
            v ^= BitMask(f) >> f.bit;
        return v;
    }
    case Codec::Factor:
    case Codec::Name16:
        break;
    }
    throw std::logic_error("ReadRaw on a factor or name field");
}

void WriteRaw(const Field& f, std::span<std::uint8_t> rec, std::int64_t raw)
{
    const auto range = RawLimits(f);
    if (raw < range.min || raw > range.max)
        throw std::out_of_range("value does not fit its field");
    const auto off = static_cast<std::size_t>(f.offset);
    switch (f.codec) {
    case Codec::S8:
    case Codec::U8:
        return PutU8(rec, off, static_cast<std::uint8_t>(raw & 0xFF));
    case Codec::S16:
    case Codec::U16:
        return PutU16(rec, off, static_cast<std::uint16_t>(raw & 0xFFFF));
    case Codec::S32:
    case Codec::U32:
    case Codec::DayNumber:
        return PutU32(rec, off, static_cast<std::uint32_t>(raw & 0xFFFFFFFF));
    case Codec::Bits: {
        const std::uint32_t mask = BitMask(f);
        std::uint32_t v = static_cast<std::uint32_t>(raw);
        if (f.inverted)
            v ^= mask >> f.bit;
        const std::uint32_t word = ReadWord(rec, off, f.wordBytes);
        return WriteWord(rec, off, f.wordBytes, ((word & ~mask) | ((v << f.bit) & mask)) & ~f.clearOnStore);
    }
    case Codec::Factor:
    case Codec::Name16:
        break;
    }
    throw std::logic_error("WriteRaw on a factor or name field");
}

RawRange RawLimits(const Field& f)
{
    switch (f.codec) {
    case Codec::S8:
        return {-128, 127};
    case Codec::U8:
        return {0, 255};
    case Codec::S16:
        return {-32768, 32767};
    case Codec::U16:
        return {0, 65535};
    case Codec::S32:
        return {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()};
    case Codec::U32:
    case Codec::DayNumber:
        return {0, std::numeric_limits<std::uint32_t>::max()};
    case Codec::Bits:
        return {0, static_cast<std::int64_t>(BitMask(f) >> f.bit)};
    case Codec::Factor:
    case Codec::Name16:
        break;
    }
    return {0, 0};
}

std::vector<ChoiceItem> ChoiceItems(const Field& f, const RuleInput& in)
{
    std::vector<ChoiceItem> items;
    if (f.itemsRule) {
        for (auto& text : f.itemsRule(in))
            items.push_back({std::move(text), true, 0});
    } else {
        for (const auto& def : f.items) {
            if (def.offered && !def.offered(in))
                continue;
            items.push_back({std::string(def.text.Pick(in.ctx.language)), !def.enabled || def.enabled(in), def.value});
        }
    }
    if (f.map == ItemMap::Position)
        for (std::size_t i = 0; i < items.size(); ++i)
            items[i].value = static_cast<std::int64_t>(i) + f.itemOffset;
    return items;
}

int ChosenItem(const std::vector<ChoiceItem>& items, std::int64_t raw)
{
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].value == raw)
            return static_cast<int>(i);
    return -1;
}

std::optional<double> ReadFactor(const Field& f, std::span<const std::uint8_t> rec)
{
    return FactorPercent(GetF32(rec, static_cast<std::size_t>(f.offset)));
}

void WriteFactor(const Field& f, std::span<std::uint8_t> rec, double percent)
{
    PutF32(rec, static_cast<std::size_t>(f.offset), FactorFromPercent(percent));
}

std::optional<double> FactorPercent(float factor)
{
    if (!std::isfinite(factor))
        return std::nullopt;
    // The small bias keeps a factor that float cannot hold exactly (1.05 is
    // 1.0499999523) on the decimal the user typed.
    const double f = factor;
    const double tenths = f >= 1.0 ? std::round((f + 0.00001 - 1.0) * 1000.0) : std::round((f - 0.00001 - 1.0) * 1000.0);
    if (!std::isfinite(tenths) || std::fabs(tenths) > 1e15)
        return std::nullopt;
    return tenths / 10.0;
}

float FactorFromPercent(double percent)
{
    return static_cast<float>(1.0 + percent / 100.0);
}

double Decimal::Value() const
{
    return static_cast<double>(mantissa) / static_cast<double>(Pow10(decimals));
}

std::optional<Decimal> ParseDecimal(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    Decimal d;
    int digits = 0;
    bool point = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            if (++digits > 15)
                return std::nullopt;
            d.mantissa = d.mantissa * 10 + (c - '0');
            if (point)
                ++d.decimals;
        } else if ((c == '.' || c == ',') && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (negative)
        d.mantissa = -d.mantissa;
    return d;
}

std::int64_t ScaleToRaw(const Decimal& shown, int num, int den)
{
    // Exact: the mantissa has at most 15 digits and the scales are small.
    return DivRound(shown.mantissa * num, static_cast<std::int64_t>(den) * Pow10(shown.decimals));
}

std::string FormatScaled(std::int64_t raw, int num, int den, int decimals)
{
    const std::int64_t units = DivRound(raw * den * Pow10(decimals), num); // shown * 10^decimals
    const std::int64_t p = Pow10(decimals);
    const std::int64_t whole = (units < 0 ? -units : units) / p;
    std::string text = (units < 0 ? "-" : "") + std::to_string(whole);
    if (decimals > 0) {
        std::string frac = std::to_string((units < 0 ? -units : units) % p);
        text += "." + std::string(static_cast<std::size_t>(decimals) - frac.size(), '0') + frac;
    }
    return text;
}

double ScaledValue(std::int64_t raw, int num, int den)
{
    return static_cast<double>(raw) * den / num;
}

std::string FormatNumber(double value, int decimals)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    std::string text = buf;
    if (text.size() > 1 && text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1); // no "-0.0"
    return text;
}

CaptionParts SplitCaption(std::string_view caption)
{
    const auto comma = caption.rfind(',');
    if (comma == std::string_view::npos || comma + 1 >= caption.size())
        return {std::string(caption), {}};
    std::string_view unit = caption.substr(comma + 1);
    while (!unit.empty() && unit.front() == ' ')
        unit.remove_prefix(1);
    while (!unit.empty() && unit.back() == ' ')
        unit.remove_suffix(1);
    return {std::string(caption.substr(0, comma)), std::string(unit)};
}

std::optional<std::string> ShowText(const Field& f, std::span<const std::uint8_t> rec)
{
    const auto off = static_cast<std::size_t>(f.offset);
    switch (f.codec) {
    case Codec::DayNumber: {
        const std::uint32_t v = GetU32(rec, off);
        if (v == 0)
            return std::string();
        const auto date = DateOfDayNumber(v);
        if (!date)
            return std::nullopt;
        return FormatDate(*date);
    }
    case Codec::Name16:
        CheckRange(rec.size(), off, kNameBytes);
        return NameText(rec.subspan(off, kNameBytes));
    default:
        break;
    }
    throw std::logic_error("ShowText on a field that is not text");
}

std::vector<std::uint8_t> TextBytes(const Field& f, std::string_view text, bool english)
{
    switch (f.codec) {
    case Codec::DayNumber: {
        std::uint32_t v = 0;
        if (!text.empty()) {
            const auto date = ParseDate(text);
            if (!date)
                throw Error(english ? "\"" + std::string(text) + "\" is not a date: enter dd.mm.yy, for example 05.03.24."
                                    : "«" + std::string(text) + "» не дата: введите дд.мм.гг, например 05.03.24.");
            v = DayNumber(*date);
        }
        return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
                static_cast<std::uint8_t>(v >> 24)};
    }
    case Codec::Name16: {
        const auto bytes = NameBytes(text, english);
        return {bytes.begin(), bytes.end()};
    }
    default:
        break;
    }
    throw std::logic_error("TextBytes on a field that is not text");
}

void WriteText(const Field& f, std::span<std::uint8_t> rec, std::string_view text, bool english)
{
    const auto bytes = TextBytes(f, text, english);
    CheckRange(rec.size(), static_cast<std::size_t>(f.offset), bytes.size());
    std::copy(bytes.begin(), bytes.end(), rec.begin() + f.offset);
}

} // namespace tc
