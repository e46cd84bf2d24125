#pragma once
// Bytes as text of hexadecimal digit pairs (lower case), and back.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tc {

std::string HexText(std::span<const std::uint8_t> bytes);
// Pairs of digits, either case; nothing for an odd length or another character.
std::optional<std::vector<std::uint8_t>> ParseHexText(std::string_view text);

} // namespace tc
