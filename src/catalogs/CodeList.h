#pragma once
// Space-separated code lists as the catalog tables write them ("17 18 25").
#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace tc {

inline std::vector<std::uint8_t> ParseCodeList(std::string_view text)
{
    std::vector<std::uint8_t> codes;
    unsigned value = 0;
    bool inNumber = false;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : ' ';
        if (c >= '0' && c <= '9') {
            value = value * 10 + static_cast<unsigned>(c - '0');
            if (value > 255)
                throw std::logic_error("catalog code above 255");
            inNumber = true;
        } else if (c == ' ') {
            if (inNumber)
                codes.push_back(static_cast<std::uint8_t>(value));
            value = 0;
            inNumber = false;
        } else {
            throw std::logic_error("bad character in a catalog code list");
        }
    }
    return codes;
}

} // namespace tc
