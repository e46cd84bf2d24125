#include "model/ReferenceLayout.h"

#include "common/Bytes.h"

#include <algorithm>
#include <stdexcept>

namespace tc {

namespace {

constexpr std::size_t kBlock = 32;
constexpr std::size_t kHalf = 4096;

// The 60-byte directory of the reference layout.
std::vector<std::uint8_t> ReferenceDirectory()
{
    std::vector<std::uint8_t> dir(kDirectorySize, 0);
    dir[0] = kRecordCount;
    dir[1] = kReferenceFormatVersion;
    std::uint16_t address = kReferenceFirstSection;
    for (int k = 1; k <= kRecordCount; ++k) {
        const auto length = static_cast<std::uint16_t>(kRecordSizes[static_cast<std::size_t>(k - 1)] + 4);
        PutU16(dir, static_cast<std::size_t>(4 * k), address);
        PutU16(dir, static_cast<std::size_t>(4 * k + 2), length);
        address = static_cast<std::uint16_t>(address + length);
    }
    return dir;
}

} // namespace

std::vector<std::uint8_t> ImageFromMemory(const std::vector<std::uint8_t>& memory)
{
    if (memory.size() != kDeviceMemorySize)
        throw std::invalid_argument("device memory must hold 8192 bytes");
    std::vector<std::uint8_t> image;
    image.reserve(kDeviceMemorySize - 2 * kBlock);
    image.insert(image.end(), memory.begin() + kBlock, memory.begin() + kHalf);
    image.insert(image.end(), memory.begin() + kHalf + kBlock, memory.end());
    return image;
}

std::vector<std::uint8_t> MemoryFromImage(const std::vector<std::uint8_t>& image, std::vector<std::uint8_t> baseMemory)
{
    if (baseMemory.empty())
        baseMemory.assign(kDeviceMemorySize, 0);
    if (baseMemory.size() != kDeviceMemorySize)
        throw std::invalid_argument("device memory must hold 8192 bytes");
    // Image offset i holds device address i + 32 in the first half and i + 64
    // in the second; bytes past the memory are never produced by a read.
    const std::size_t n = std::min(image.size(), kDeviceMemorySize - 2 * kBlock);
    for (std::size_t i = 0; i < n; ++i)
        baseMemory[i < kHalf - kBlock ? i + kBlock : i + 2 * kBlock] = image[i];
    return baseMemory;
}

void LoadReferenceImage(SettingsModel& model, std::uint16_t modelCode)
{
    model.DeviceModelCode = modelCode;
    auto r9 = model.Record(kDisplayRecord);
    for (std::size_t scheme = 0; scheme < 2; ++scheme)
        std::copy(std::begin(kReferenceGraphAndDialRoles[scheme]), std::end(kReferenceGraphAndDialRoles[scheme]),
                  r9.begin() + static_cast<std::ptrdiff_t>(kSchemeOffset[scheme] + SchemeByte(ColourRole::GraphAxes)));
    for (int d = 0; d < 8; ++d)
        for (int i = 0; i < 2; ++i) {
            r9[kDialSlots.Slot(d, i)] = kReferenceDials[d][i];
            r9[kGraphSlots.Slot(d, i)] = kReferenceGraphs[d][i];
        }
    model.Image.assign(kDeviceMemorySize - 2 * kBlock, 0);
    const auto dir = ReferenceDirectory();
    std::copy(dir.begin(), dir.end(), model.Image.begin());
    for (int k = 1; k <= kRecordCount; ++k)
        model.EncodeSection(k);
}

std::vector<std::uint8_t> ReferenceMemory()
{
    SettingsModel model;
    LoadReferenceImage(model, model.DeviceModelCode);
    return MemoryFromImage(model.Image);
}

} // namespace tc
