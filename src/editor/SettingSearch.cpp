#include "editor/SettingSearch.h"

#include "common/Cp1251.h"
#include "editor/FieldTable.h"

namespace tc {

std::string FoldCase(std::string_view utf8)
{
    // In the Cyrillic code page every letter is one byte with a fixed upper/lower pair.
    std::string bytes = Utf8ToCp1251(utf8);
    for (char& c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDF))
            c = static_cast<char>(b + 32);
        else if (b == 0xA8) // Ё
            c = static_cast<char>(0xB8);
    }
    return bytes;
}

std::vector<std::size_t> FindSettings(std::string_view query)
{
    std::vector<std::size_t> found;
    const std::string q = FoldCase(query);
    if (q.find_first_not_of(' ') == std::string::npos)
        return found;
    const auto fields = EditorFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const Field& f = fields[i];
        for (std::string_view text : {f.caption.ru, f.caption.en, f.group.ru, f.group.en, f.key})
            if (!text.empty() && FoldCase(text).find(q) != std::string::npos) {
                found.push_back(i);
                break;
            }
    }
    return found;
}

} // namespace tc
