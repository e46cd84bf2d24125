#include "editor/Maintenance.h"

#include "common/Cp1251.h"
#include "common/Error.h"

#include <algorithm>
#include <cstdio>

namespace tc {

namespace {

constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

int MonthLength(int month, int year)
{
    return month == 2 && year % 4 == 0 ? 29 : kMonthDays[month - 1];
}

// Leap days before year y as the unit counts them: (y - 1) / 4 toward zero.
int LeapDays(int year)
{
    return (year - 1) / 4;
}

bool Valid(const Date& d)
{
    return d.year >= 0 && d.year <= 99 && d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= MonthLength(d.month, d.year);
}

// One or two digits; the position moves past them.
std::optional<int> Digits(std::string_view text, std::size_t& pos)
{
    int value = 0;
    std::size_t n = 0;
    while (pos < text.size() && n < 2 && text[pos] >= '0' && text[pos] <= '9') {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++n;
    }
    if (n == 0)
        return std::nullopt;
    return value;
}

bool Separator(char c)
{
    return c == '.' || c == '/' || c == '-' || c == ',';
}

} // namespace

std::uint32_t DayNumber(const Date& date)
{
    int before = 0;
    for (int m = 1; m < date.month; ++m)
        before += MonthLength(m, date.year);
    return static_cast<std::uint32_t>(365 * date.year + LeapDays(date.year) + before + date.day + 1);
}

std::optional<Date> DateOfDayNumber(std::uint32_t v)
{
    if (v < 2 || v > 65535)
        return std::nullopt;
    const int year = static_cast<int>((static_cast<std::int64_t>(v) - 1) * 4 / 1461);
    if (year > 99)
        return std::nullopt;
    int rest = static_cast<int>(v) - 1 - 365 * year - LeapDays(year);
    int month = 1;
    while (month < 12 && rest > MonthLength(month, year)) {
        rest -= MonthLength(month, year);
        ++month;
    }
    const Date d{rest, month, year};
    // What reads back must store as the same number.
    if (!Valid(d) || DayNumber(d) != v)
        return std::nullopt;
    return d;
}

std::string FormatDate(const Date& d)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%02d", d.day % 100, d.month % 100, d.year % 100);
    return buf;
}

std::optional<Date> ParseDate(std::string_view text)
{
    std::size_t pos = 0;
    Date d;
    const auto day = Digits(text, pos);
    if (!day || pos >= text.size() || !Separator(text[pos++]))
        return std::nullopt;
    const auto month = Digits(text, pos);
    if (!month || pos >= text.size() || !Separator(text[pos++]))
        return std::nullopt;
    const std::size_t yearStart = pos;
    const auto year = Digits(text, pos);
    if (!year || pos != text.size() || pos - yearStart != 2)
        return std::nullopt;
    d = {*day, *month, *year};
    if (!Valid(d))
        return std::nullopt;
    return d;
}

std::string NameText(std::span<const std::uint8_t> bytes)
{
    const std::size_t n = std::min(bytes.size(), kNameBytes);
    std::size_t end = 0;
    while (end < n && bytes[end] != 0)
        ++end;
    return Cp1251ToUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), end));
}

std::array<std::uint8_t, kNameBytes> NameBytes(std::string_view utf8, bool english)
{
    const std::string coded = Utf8ToCp1251(utf8);
    if (coded.size() > kNameChars)
        throw Error(english ? "A name holds at most 15 characters; \"" + std::string(utf8) + "\" has " + std::to_string(coded.size()) + "."
                            : "Название вмещает не больше 15 символов, в «" + std::string(utf8) + "» их " + std::to_string(coded.size()) + ".");
    // A character without a code-page byte comes back as something else.
    const bool control = std::any_of(coded.begin(), coded.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (control || Cp1251ToUtf8(coded) != utf8)
        throw Error(english ? "The name \"" + std::string(utf8) + "\" holds a character the device cannot show; use Cyrillic and Latin letters, digits and signs."
                            : "В названии «" + std::string(utf8) + "» есть символ, который прибор не покажет; используйте русские и латинские буквы, цифры и знаки.");
    std::array<std::uint8_t, kNameBytes> bytes{};
    std::copy(coded.begin(), coded.end(), bytes.begin());
    return bytes;
}

} // namespace tc
