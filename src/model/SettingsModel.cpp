#include "model/SettingsModel.h"

#include "catalogs/Catalogs.h"
#include "common/Bytes.h"
#include "common/Cp1251.h"
#include "common/Language.h"
#include "model/RecordDefaults.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <stdexcept>

namespace tc {

namespace {

constexpr std::uint32_t kMemorySize = 8192;
constexpr std::uint32_t kBlockSize = 32;
constexpr std::uint32_t kSecondHalf = 4096; // device address of block 128

void CheckRecordNumber(int k)
{
    if (k < 1 || k > kRecordCount)
        throw std::out_of_range("record number outside 1..11");
}

} // namespace

std::uint16_t PackColour(Rgb5 c)
{
    const unsigned r = c.r & 0x1F, g = c.g & 0x1F, b = c.b & 0x1F;
    return static_cast<std::uint16_t>((r << 11) | (g << 6) | ((g & 1) << 5) | b);
}

Rgb5 UnpackColour(std::uint16_t packed)
{
    return Rgb5{static_cast<std::uint8_t>(packed >> 11), static_cast<std::uint8_t>((packed >> 6) & 0x1F),
                static_cast<std::uint8_t>(packed & 0x1F)};
}

bool ImageOffsetOfAddress(std::uint32_t deviceAddress, std::size_t& imageOffset)
{
    if (deviceAddress < kBlockSize || deviceAddress >= kMemorySize)
        return false;
    if (deviceAddress < kSecondHalf) {
        imageOffset = deviceAddress - kBlockSize;
        return true;
    }
    if (deviceAddress < kSecondHalf + kBlockSize)
        return false;
    imageOffset = deviceAddress - 2 * kBlockSize;
    return true;
}

bool DeviceRangeIsReadable(std::uint32_t deviceAddress, std::uint32_t length)
{
    if (deviceAddress < kBlockSize || deviceAddress > kMemorySize || length > kMemorySize - deviceAddress)
        return false;
    const std::uint32_t end = deviceAddress + length; // one past the last byte
    // The range must not touch block 128.
    return end <= kSecondHalf || deviceAddress >= kSecondHalf + kBlockSize;
}

std::size_t RecordOffset(int k)
{
    CheckRecordNumber(k);
    std::size_t offset = 0;
    for (int i = 1; i < k; ++i)
        offset += kRecordSizes[static_cast<std::size_t>(i - 1)];
    return offset;
}

SettingsModel::SettingsModel(Language language)
{
    ResetColourSchemes(false);
    dir_.formatVersion = 0;
    ResetRecords(language);
    DeviceModelCode = 0xC000;
    PutU16(Record(kProtocolRecord), kProtocolIndexOffset, 0);
    FillHotMenuDefaults(language);
}

std::span<std::uint8_t> SettingsModel::Record(int k)
{
    const std::size_t offset = RecordOffset(k); // checks k first
    return std::span<std::uint8_t>(records_).subspan(offset, kRecordSizes[static_cast<std::size_t>(k - 1)]);
}

std::span<const std::uint8_t> SettingsModel::Record(int k) const
{
    const std::size_t offset = RecordOffset(k);
    return std::span<const std::uint8_t>(records_).subspan(offset, kRecordSizes[static_cast<std::size_t>(k - 1)]);
}

std::uint16_t SettingsModel::ProtocolIndex() const
{
    return GetU16(Record(kProtocolRecord), kProtocolIndexOffset);
}

Directory DirectoryOf(std::span<const std::uint8_t> image)
{
    // A short image leaves the missing directory bytes as zero: such entries
    // describe empty sections and are refused as invalid.
    std::array<std::uint8_t, kDirectorySize> raw{};
    std::copy_n(image.begin(), std::min(image.size(), raw.size()), raw.begin());
    Directory dir;
    dir.sectionCount = raw[0];
    dir.formatVersion = raw[1];
    dir.reserved = GetU16(raw, 2);
    for (int k = 1; k <= kDirectoryEntries; ++k) {
        auto& e = dir.entries[static_cast<std::size_t>(k - 1)];
        e.address = GetU16(raw, static_cast<std::size_t>(4 * k));
        e.deviceLength = GetU16(raw, static_cast<std::size_t>(4 * k + 2));
    }
    return dir;
}

void SettingsModel::ReadDirectory()
{
    dir_ = DirectoryOf(Image);
}

bool SectionPlacement(const DirectoryEntry& e, std::size_t& offset, std::size_t& payload)
{
    if (e.deviceLength < 4)
        return false;
    payload = e.deviceLength - 4u;
    if (!DeviceRangeIsReadable(e.address, static_cast<std::uint32_t>(payload)))
        return false;
    // A section laid over the directory would rewrite the directory itself
    // when it is encoded (and on the unit when it is written).
    return ImageOffsetOfAddress(e.address, offset) && offset >= kDirectorySize;
}

std::string DirectoryProblemOf(std::span<const std::uint8_t> image, Language language)
{
    if (image.size() < kDirectorySize)
        return Tr(language, "Образ настроек короче своего каталога разделов.", "The settings image is shorter than its section directory.");
    const Directory dir = DirectoryOf(image);
    if (dir.sectionCount < 1 || dir.sectionCount > kDirectoryEntries)
        return Tr(language, "Неверное число разделов в каталоге: ", "Wrong number of sections in the directory: ") + std::to_string(dir.sectionCount) + ".";
    for (int k = 1; k <= dir.sectionCount; ++k) {
        std::size_t offset = 0, payload = 0;
        if (!SectionPlacement(dir.Entry(k), offset, payload))
            return Tr(language, "Раздел " + std::to_string(k) + " описан в каталоге неверно.", "Section " + std::to_string(k) + " is described wrongly in the directory.");
    }
    return {};
}

std::string SettingsModel::DirectoryProblem(Language language)
{
    ReadDirectory();
    return DirectoryProblemOf(Image, language);
}

namespace {

// Where section k lies in the image by the directory read anew: its payload's
// offset and length; nothing when its entry cannot describe a readable section.
struct PlacedSection {
    std::size_t offset = 0, payload = 0;
};
std::optional<PlacedSection> PlaceSection(SettingsModel& model, int k)
{
    CheckRecordNumber(k);
    model.ReadDirectory();
    PlacedSection placed;
    if (!SectionPlacement(model.Dir().Entry(k), placed.offset, placed.payload))
        return std::nullopt;
    return placed;
}

} // namespace

SectionStatus SettingsModel::DecodeSection(int k)
{
    const auto placed = PlaceSection(*this, k);
    if (!placed)
        return SectionStatus::Invalid;
    const auto [offset, payload] = *placed;
    auto record = Record(k);
    const std::size_t wanted = std::min(payload, record.size());
    const std::size_t available = offset < Image.size() ? std::min(wanted, Image.size() - offset) : 0;
    std::copy_n(Image.begin() + static_cast<std::ptrdiff_t>(offset), available, record.begin());
    if (available < wanted)
        return SectionStatus::Short;
    return payload > record.size() ? SectionStatus::Truncated : SectionStatus::Ok;
}

SectionStatus SettingsModel::EncodeSection(int k)
{
    const auto placed = PlaceSection(*this, k);
    if (!placed)
        return SectionStatus::Invalid;
    const auto [offset, payload] = *placed;
    // Only the section's own bytes are written: a payload shorter than the
    // record must not spill into whatever follows it in the image.
    const auto record = Record(k);
    const std::size_t count = std::min(payload, record.size());
    if (Image.size() < offset + count)
        Image.resize(offset + count, 0);
    std::copy_n(record.begin(), count, Image.begin() + static_cast<std::ptrdiff_t>(offset));
    return payload > record.size() ? SectionStatus::Truncated : SectionStatus::Ok;
}

std::vector<std::string> SettingsModel::DecodeAll(Language language)
{
    std::vector<std::string> problems;
    for (int k = 1; k <= kRecordCount; ++k) {
        const auto n = std::to_string(k);
        switch (DecodeSection(k)) {
        case SectionStatus::Ok:
        case SectionStatus::Truncated: // the device keeps more than this program knows; nothing is lost
            break;
        case SectionStatus::Short:
            problems.push_back(Tr(language, "Раздел " + n + " настроек обрезан: недостающие параметры остались прежними.",
                                  "Settings section " + n + " is cut short: the missing settings keep their previous values."));
            break;
        case SectionStatus::Invalid:
            problems.push_back(Tr(language, "Раздел " + n + " настроек описан неверно и не прочитан: его параметры остались прежними.",
                                  "Settings section " + n + " is described wrongly and was not read: its settings keep their previous values."));
            break;
        }
    }
    return problems;
}

bool SettingsModel::Edit(const std::function<bool(SettingsModel&)>& runEditor, Language language)
{
    for (int k : kEditedRecords)
        DecodeSection(k);
    // Evaluating replaces the features and both lists the editor offers.
    EvaluateCatalog(language);
    if (!RunRestoringOnCancel(kEditedRecords, runEditor))
        return false;
    for (int k : kEditedRecords)
        EncodeSection(k);
    return true;
}

bool SettingsModel::ViewJournals(const std::function<bool(SettingsModel&)>& runViewer)
{
    DecodeSection(7);
    DecodeSection(1);
    if (!RunRestoringOnCancel(kJournalRecords, runViewer))
        return false;
    EncodeSection(7);
    EncodeSection(1);
    EncodeSection(11);
    return true;
}

bool SettingsModel::RunRestoringOnCancel(std::span<const int> records, const std::function<bool(SettingsModel&)>& run)
{
    const RecordsSnapshot snapshot = SnapshotRecords(records);
    bool ok = false;
    try {
        ok = run(*this);
    } catch (...) {
        RestoreRecords(snapshot);
        throw;
    }
    if (!ok)
        RestoreRecords(snapshot);
    return ok;
}

RecordsSnapshot SettingsModel::SnapshotRecords(std::span<const int> records) const
{
    RecordsSnapshot snapshot;
    for (int k : records) {
        const auto bytes = Record(k);
        snapshot.records.push_back(k);
        snapshot.bytes.insert(snapshot.bytes.end(), bytes.begin(), bytes.end());
    }
    return snapshot;
}

void SettingsModel::RestoreRecords(const RecordsSnapshot& snapshot)
{
    std::size_t size = 0;
    for (int k : snapshot.records) {
        if (k < 1 || k > kRecordCount)
            throw std::invalid_argument("records snapshot of an unknown record");
        size += Record(k).size();
    }
    if (size != snapshot.bytes.size())
        throw std::invalid_argument("records snapshot of the wrong size");
    auto from = snapshot.bytes.begin();
    for (int k : snapshot.records) {
        const auto record = Record(k);
        std::copy_n(from, record.size(), record.begin());
        from += static_cast<std::ptrdiff_t>(record.size());
    }
}

void SettingsModel::ResetColourSchemes(bool hybridDrive)
{
    for (int n = 0; n < 2; ++n) {
        const DefaultScheme& d = DefaultColourScheme(n, hybridDrive);
        auto& scheme = schemes_[static_cast<std::size_t>(n)];
        scheme.fill(0);
        for (std::size_t i = 0; i < static_cast<std::size_t>(kPaletteSize); ++i)
            PutU16(scheme, 2 * i, PackColour(d.colours[i]));
        std::copy(d.roles.begin(), d.roles.end(), scheme.begin() + static_cast<std::ptrdiff_t>(SchemeByte(ColourRole::ValueInk)));
        scheme[SchemeByte(ColourRole::BottomPanel)] = d.bottomPanel;
    }
}

void SettingsModel::ResetRecords(Language language)
{
    std::fill(records_.begin(), records_.end(), std::uint8_t{0});
    auto r9 = Record(kDisplayRecord);
    for (std::size_t n = 0; n < 2; ++n)
        std::copy(schemes_[n].begin(), schemes_[n].end(), r9.begin() + static_cast<std::ptrdiff_t>(kSchemeOffset[n]));
    for (const DefaultRun& run : DefaultRuns()) {
        const auto record = Record(run.record);
        const std::size_t width = run.as == StoredAs::U8 ? 1 : run.as == StoredAs::U16 ? 2 : 4;
        const std::size_t stride = run.stride > 0 ? static_cast<std::size_t>(run.stride) : width;
        const std::size_t count = run.list.empty() ? static_cast<std::size_t>(run.count) : run.list.size();
        for (std::size_t i = 0; i < count; ++i) {
            const std::int64_t value = run.list.empty() ? run.first + run.step * static_cast<std::int64_t>(i) : run.list[i];
            const std::size_t at = static_cast<std::size_t>(run.offset) + i * stride;
            switch (run.as) {
            case StoredAs::U8: record[at] = static_cast<std::uint8_t>(value); break;
            case StoredAs::U16: PutU16(record, at, static_cast<std::uint16_t>(value)); break;
            case StoredAs::U32: PutU32(record, at, static_cast<std::uint32_t>(value)); break;
            case StoredAs::F32: PutF32(record, at, static_cast<float>(value)); break;
            }
        }
    }
    for (const DefaultName& name : DefaultNames()) {
        const std::string bytes = Utf8ToCp1251(Tr(language, name.ru, name.en));
        std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), 16), Record(name.record).begin() + name.offset);
    }
}

void SettingsModel::EvaluateCatalog(Language language)
{
    UseCatalog(std::make_shared<const Catalog>(EvaluateModel(DeviceModelCode, language)));
}

void SettingsModel::UseCatalog(std::shared_ptr<const Catalog> catalog)
{
    if (!catalog || catalog->ModelCode != DeviceModelCode)
        throw std::invalid_argument("catalog of another device model");
    parameters_ = std::make_shared<MeasParList>(CopyMeasParList(catalog->MeasPars));
    catalog_ = std::move(catalog);
}

void SettingsModel::FillHotMenuDefaults(Language language)
{
    EvaluateCatalog(language);
    auto r9 = Record(kDisplayRecord);
    // Each list is a row of 16-bit codes; slots without a named item stay empty (0).
    for (const DefaultHotMenu& menu : DefaultHotMenus()) {
        if (menu.parktronic && catalog_->Features.NoParktronic)
            continue;
        const std::size_t offset = kHotMenuOffsets[static_cast<std::size_t>(menu.list)];
        for (std::size_t i = 0; i < static_cast<std::size_t>(kHotMenuSlots); ++i) {
            const MenuItem* item = i < menu.items.size() ? catalog_->FindMenuItemByName(menu.items[i]) : nullptr;
            PutU16(r9, offset + 2 * i, item ? item->Code : 0);
        }
    }
}

} // namespace tc
