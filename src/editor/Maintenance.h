#pragma once
// The maintenance values of record 5 as the unit stores them: dates as day
// numbers, service-item names in the Windows Cyrillic code page, and the
// usage flags.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tc {

// Offsets in record 5.
constexpr int kServiceRecord = 5;
constexpr int kUsageFlagsOffset = 100;
constexpr std::uint16_t kUsageClearedBits = 0xF000; // bits 12..15, cleared by every usage-flag store
constexpr std::size_t kNameBytes = 16;
constexpr std::size_t kNameChars = 15;

// A date with a two-digit year 0..99.
struct Date {
    int day = 1;
    int month = 1;
    int year = 0;
    friend bool operator==(const Date&, const Date&) = default;
};

// The unit's day number: 365y + (y - 1) / 4 (toward zero) + days of the
// months before + day + 1. The unit counts year 0 as a leap year for its
// months but not for the years after it, so 31.12.00 and 01.01.01 are both 367.
std::uint32_t DayNumber(const Date& date);
// The date a day number reads back as; nothing for 0 (no date) and for a
// number no two-digit date reads back from (1, above 31.12.99, blank memory).
std::optional<Date> DateOfDayNumber(std::uint32_t dayNumber);
std::string FormatDate(const Date& date); // "dd.mm.yy"
// "dd.mm.yy" (one-digit day and month, and '/', '-' or ',' between, also
// accepted); nothing for anything else or a day the month does not have.
std::optional<Date> ParseDate(std::string_view text);

// A stored name: the characters up to the first 0 byte or all 16, as UTF-8.
std::string NameText(std::span<const std::uint8_t> bytes);
// The 16 stored bytes of a name typed as UTF-8: up to 15 characters of the
// code page, zero-filled. Throws tc::Error (in the given language) for a
// longer name or a character the code page lacks.
std::array<std::uint8_t, kNameBytes> NameBytes(std::string_view utf8, bool english);

} // namespace tc
