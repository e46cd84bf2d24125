#include "model/SettingsFile.h"

#include "common/AtomicFile.h"
#include "common/Bytes.h"
#include "common/Error.h"
#include "common/Language.h"
#include "common/LocalTime.h"
#include "catalogs/Catalogs.h"
#include "model/ReferenceLayout.h"
#include "model/RestorePoints.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace tc {

namespace {

constexpr std::array<std::uint8_t, kSettingsKeySize> kKey = {
#include "model/SettingsKey.inc"
};

constexpr std::size_t kHeaderSize = 2;

} // namespace

const std::array<std::uint8_t, kSettingsKeySize>& SettingsKey()
{
    return kKey;
}

std::vector<std::uint8_t> EncodeSettingsFile(std::uint16_t modelCode, const std::vector<std::uint8_t>& image)
{
    std::vector<std::uint8_t> file;
    file.reserve(kHeaderSize + image.size());
    file.resize(kHeaderSize);
    PutU16(file, 0, modelCode);
    for (std::size_t i = 0; i < image.size(); ++i)
        file.push_back(image[i] ^ kKey[i % kSettingsKeySize]);
    return file;
}

void WriteSettingsFile(const SettingsModel& model, const std::string& fileName, Language language)
{
    WriteFileAtomically(fileName, EncodeSettingsFile(model.DeviceModelCode, model.Image), language);
}

namespace {

// The file's model code and plain image bytes.
void ReadFileBytes(const std::string& fileName, std::uint16_t& modelCode, std::vector<std::uint8_t>& image, Language language)
{
    // Reading one byte more than the largest file tells "too large" apart.
    const auto file = ReadWholeFile(fileName, kHeaderSize + kMaxImageSize, language);
    if (file.size() < kHeaderSize)
        throw Error(Tr(language, "Файл \"" + fileName + "\" не является файлом настроек: он слишком короткий.",
                       "File \"" + fileName + "\" is not a settings file: it is too short."));
    modelCode = GetU16(file, 0);
    const std::size_t n = file.size() - kHeaderSize;
    image.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        image[i] = file[kHeaderSize + i] ^ kKey[i % kSettingsKeySize];
}

} // namespace

void ReadSettingsFile(SettingsModel& model, const std::string& fileName, Language language)
{
    std::uint16_t code = 0;
    std::vector<std::uint8_t> image;
    ReadFileBytes(fileName, code, image, language);
    model.DeviceModelCode = code;
    model.Image = std::move(image);
}

std::string ImageProblem(const std::vector<std::uint8_t>& image, Language language)
{
    if (image.size() < kDirectorySize)
        return Tr(language, "Он короче каталога разделов (" + std::to_string(kDirectorySize) + " байт).",
                  "It is shorter than the section directory (" + std::to_string(kDirectorySize) + " bytes).");
    if (auto problem = DirectoryProblemOf(image, language); !problem.empty())
        return problem;
    const Directory dir = DirectoryOf(image);
    // The listed sections, and any other entry the model decodes into a
    // record (entries 1..11 are decoded whether listed or not).
    for (int k = 1; k <= std::max<int>(dir.sectionCount, kRecordCount); ++k) {
        std::size_t offset = 0, payload = 0;
        if (!SectionPlacement(dir.Entry(k), offset, payload))
            continue; // beyond the count: not decoded (DirectoryProblemOf checked the listed ones)
        const auto n = std::to_string(k);
        if (offset + payload > image.size())
            return Tr(language, "Раздел " + n + " выходит за конец образа: нужно " + std::to_string(offset + payload) + " байт, есть "
                          + std::to_string(image.size()) + ".",
                      "Section " + n + " runs past the end of the image: it needs " + std::to_string(offset + payload)
                          + " bytes, there are " + std::to_string(image.size()) + ".");
        if (k <= kRecordCount && payload > kRecordSizes[static_cast<std::size_t>(k - 1)])
            return Tr(language, "Раздел " + n + " длиннее своей записи: " + std::to_string(payload) + " байт, запись вмещает "
                          + std::to_string(kRecordSizes[static_cast<std::size_t>(k - 1)]) + ".",
                      "Section " + n + " is longer than its record: " + std::to_string(payload) + " bytes, the record holds "
                          + std::to_string(kRecordSizes[static_cast<std::size_t>(k - 1)]) + ".");
    }
    return {};
}

std::vector<std::string> SettingsWarnings(std::uint16_t modelCode, const std::vector<std::uint8_t>& image, Language language)
{
    std::vector<std::string> warnings;
    if (!IsListedModel(modelCode)) {
        char code[8];
        std::snprintf(code, sizeof code, "0x%04X", modelCode);
        warnings.push_back(Tr(language, std::string("Код модели МК ") + code + " программе неизвестен: списки протоколов и параметров могут не подойти.",
                              std::string("The device model code ") + code
                                  + " is unknown to the program: the lists of protocols and parameters may not fit it."));
    }
    if (image.size() >= 2 && image[1] != kReferenceFormatVersion)
        warnings.push_back(Tr(language, "Версия формата настроек " + std::to_string(image[1]) + ", программа знает версию "
                                  + std::to_string(kReferenceFormatVersion) + ": проверьте настройки перед записью.",
                              "The settings format version is " + std::to_string(image[1]) + ", the program knows version "
                                  + std::to_string(kReferenceFormatVersion) + ": check the settings before writing them."));
    if (image.size() < kMaxImageSize)
        warnings.push_back(Tr(language, "Настройки короче памяти МК: не хватает " + std::to_string(kMaxImageSize - image.size()) + " байт из "
                                  + std::to_string(kMaxImageSize) + ".",
                              "The settings are shorter than the device memory: " + std::to_string(kMaxImageSize - image.size())
                                  + " of " + std::to_string(kMaxImageSize) + " bytes are missing."));
    return warnings;
}

JudgedSettings LoadSettingsFile(const std::string& fileName, Language language)
{
    JudgedSettings judged;
    ReadFileBytes(fileName, judged.modelCode, judged.image, language);
    if (const auto problem = ImageProblem(judged.image, language); !problem.empty())
        throw Error(Tr(language, "Файл \"" + fileName + "\" не похож на файл настроек. ", "File \"" + fileName + "\" does not look like a settings file. ")
                    + problem);
    judged.warnings = SettingsWarnings(judged.modelCode, judged.image, language);
    return judged;
}

std::vector<std::string> ApplySettings(SettingsModel& model, const JudgedSettings& settings, Language language)
{
    model.DeviceModelCode = settings.modelCode;
    model.Image = settings.image;
    std::vector<std::string> said = settings.warnings;
    for (auto& problem : model.DecodeAll(language))
        said.push_back(std::move(problem));
    return said;
}

std::string DamagedReadText(const std::string& problem, const std::string& diagnosticPath, Language language)
{
    return Tr(language, "Настройки в МК повреждены: каталог разделов негоден, их нельзя открыть как файл настроек. ",
              "The settings in the device are damaged: their section directory is unusable, so they cannot be opened as a "
              "settings file. ")
        + problem
        + Tr(language, " Настройки не загружены. Прочитанные байты сохранены только для диагностики в файле \"" + diagnosticPath + "\".",
             " The settings were not loaded. The bytes read are kept for diagnosis only, in the file \"" + diagnosticPath + "\".");
}

std::string SaveDiagnosticImage(const std::string& folder, std::uint16_t modelCode, const std::vector<std::uint8_t>& image, Language language)
{
    MakePrivateFolders(folder, language);
    const std::tm local = tc::LocalTime(std::time(nullptr));
    char name[64];
    std::snprintf(name, sizeof name, "damaged-read_%04X_%04d-%02d-%02d_%02d-%02d-%02d.bin", modelCode, local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    const std::string path = folder + "/" + name;
    WriteFileAtomically(path, image, language);
    return path;
}

} // namespace tc
