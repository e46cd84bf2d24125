#include "model/SettingsFile.h"

#include "common/AtomicFile.h"
#include "common/Bytes.h"
#include "common/Error.h"
#include "common/Language.h"

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

void WriteSettingsFile(const SettingsModel& model, const std::string& fileName)
{
    WriteFileAtomically(fileName, EncodeSettingsFile(model.DeviceModelCode, model.Image));
}

void ReadSettingsFile(SettingsModel& model, const std::string& fileName)
{
    // Reading one byte more than the largest file tells "too large" apart.
    const auto file = ReadWholeFile(fileName, kHeaderSize + kMaxImageSize);
    if (file.size() < kHeaderSize)
        throw Error(Tr("Файл \"" + fileName + "\" не является файлом настроек: он слишком короткий.",
                       "File \"" + fileName + "\" is not a settings file: it is too short."));
    model.DeviceModelCode = GetU16(file, 0);
    const std::size_t n = file.size() - kHeaderSize;
    if (model.Image.size() < n)
        model.Image.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        model.Image[i] = file[kHeaderSize + i] ^ kKey[i % kSettingsKeySize];
}

} // namespace tc
