#include "editor/ServiceFile.h"

#include "common/AtomicFile.h"
#include "common/Error.h"
#include "common/Language.h"
#include "model/SettingsModel.h"

#include <algorithm>
#include <filesystem>

namespace tc {

namespace {

constexpr ServiceFilePart kLayout[] = {
    {0, 1, 0},     {1, 1, 1},     {2, 1, 2},     {3, 1, 3},  {4, 1, 4},   {5, 1, 5},   {6, 1, 6}, // intervals
    {7, 4, 8},                                                                                       // service date
    {11, 4, 12},                                                                                     // insurance date
    {15, 4, 16},                                                                                     // carried along
    {19, 32, 20},                                                                                    // extra systems
    {51, 2, 108},  {53, 2, 110},                                                                     // ADC minimum, maximum
    {55, 2, 112},  {57, 2, 114},                                                                     // readings
    {59, 1, 7},                                                                                      // temperature caption
    {60, 16, 52},  {76, 16, 68},  {92, 16, 84},                                                      // names
    {108, 2, 100},                                                                                   // usage flags
    {110, 1, 117}, {111, 1, 118}, {112, 2, 102},                                                     // carried along
    {114, 2, 104},                                                                                   // engine-hour limit
    {116, 1, 116},                                                                                   // accelerometer calibration
};

// Larger files are not maintenance files; reading stops there.

} // namespace

std::span<const ServiceFilePart> ServiceFileLayout()
{
    return kLayout;
}

std::vector<std::uint8_t> ServiceFileBytes(const SettingsModel& model)
{
    const auto r5 = model.Record(5);
    std::vector<std::uint8_t> bytes(kServiceFileSize);
    for (const auto& p : kLayout)
        std::copy_n(r5.begin() + static_cast<std::ptrdiff_t>(p.recordOffset), p.length,
                    bytes.begin() + static_cast<std::ptrdiff_t>(p.fileOffset));
    return bytes;
}

void ApplyServiceFile(SettingsModel& model, std::span<const std::uint8_t> bytes)
{
    const auto r5 = model.Record(5);
    for (const auto& p : kLayout)
        if (p.fileOffset + p.length <= bytes.size())
            std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(p.fileOffset), p.length,
                        r5.begin() + static_cast<std::ptrdiff_t>(p.recordOffset));
}

void SaveServiceFile(const SettingsModel& model, const std::string& path, Language language)
{
    WriteFileAtomically(path, ServiceFileBytes(model), language);
}

std::string SideFileTooLongText(const std::string& path, std::uintmax_t size, std::size_t expected, Language language)
{
    return Tr(language, "Файл \"" + path + "\" длиннее своего формата: в нём " + std::to_string(size) + " байт, ожидается "
                  + std::to_string(expected) + ". Ничего не загружено.",
              "File \"" + path + "\" is longer than its format: it holds " + std::to_string(size) + " bytes, "
                  + std::to_string(expected) + " are expected. Nothing has been loaded.");
}

std::string SideFileShortText(const std::string& path, std::size_t size, std::size_t expected, Language language)
{
    return Tr(language, "Файл \"" + path + "\" короче своего формата: в нём " + std::to_string(size) + " байт из " + std::to_string(expected)
                  + "; загружено то, что он содержит, остальные параметры остались прежними.",
              "File \"" + path + "\" is shorter than its format: it holds " + std::to_string(size) + " of " + std::to_string(expected)
                  + " bytes; what it holds has been loaded, the other settings keep their values.");
}

std::vector<std::uint8_t> ReadSideFile(const std::string& path, std::size_t expected, const std::string& emptyText, Language language)
{
    // A regular file longer than the format is refused with both sizes;
    // ReadWholeFile refuses what is not a regular file.
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) {
        const auto size = std::filesystem::file_size(path, ec);
        if (!ec && size > expected)
            throw Error(SideFileTooLongText(path, size, expected, language));
    }
    auto bytes = ReadWholeFile(path, expected, language);
    if (bytes.empty())
        throw Error(emptyText);
    return bytes;
}

std::vector<std::uint8_t> ReadServiceFile(const std::string& path, Language language)
{
    return ReadSideFile(path, kServiceFileSize,
                        Tr(language, "Файл \"" + path + "\" пуст: в нём нет настроек ТО.", "File \"" + path + "\" is empty: it holds no maintenance settings."),
                        language);
}

std::string LoadServiceFile(SettingsModel& model, const std::string& path, Language language)
{
    const auto bytes = ReadServiceFile(path, language);
    ApplyServiceFile(model, bytes);
    return bytes.size() < kServiceFileSize ? SideFileShortText(path, bytes.size(), kServiceFileSize, language) : std::string();
}

} // namespace tc
