#include "model/SettingsModel.h"

#include "catalogs/Catalogs.h"
#include "common/Bytes.h"
#include "common/Cp1251.h"
#include "common/Language.h"

#include <algorithm>
#include <cstring>
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

// Default colours (r, g, b) of the day scheme, the night scheme and the night
// scheme of models with a hybrid drive.
constexpr Rgb5 kDayColours[16] = {
    {0, 0, 0}, {0, 9, 9}, {31, 13, 0}, {9, 9, 0}, {0, 0, 6}, {9, 0, 9}, {9, 17, 17}, {16, 16, 16},
    {12, 5, 3}, {31, 0, 0}, {0, 31, 0}, {31, 31, 0}, {0, 0, 31}, {31, 0, 31}, {0, 31, 31}, {31, 31, 31},
};
constexpr Rgb5 kNightColours[16] = {
    {0, 0, 0}, {3, 12, 12}, {31, 13, 0}, {9, 9, 0}, {0, 0, 6}, {9, 0, 9}, {9, 17, 17}, {29, 29, 29},
    {17, 17, 17}, {13, 0, 0}, {0, 31, 0}, {23, 23, 23}, {0, 0, 31}, {31, 0, 31}, {0, 31, 31}, {13, 13, 22},
};
constexpr Rgb5 kNightHybridColours[16] = {
    {0, 0, 0}, {0, 9, 9}, {31, 13, 0}, {9, 9, 0}, {0, 0, 6}, {9, 0, 9}, {9, 17, 17}, {16, 16, 16},
    {5, 1, 0}, {13, 0, 0}, {0, 31, 0}, {21, 21, 21}, {0, 0, 31}, {31, 0, 31}, {0, 31, 31}, {13, 13, 22},
};

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

SettingsModel::SettingsModel()
{
    ResetColourSchemes(false);
    EditedScheme = 0;
    dir_.formatVersion = 0;
    SetRecordDefaults();
    DeviceModelCode = 0xC000;
    PutU16(Record(kProtocolRecord), kProtocolIndexOffset, 0);
    FillHotMenuDefaults();
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

std::string DirectoryProblemOf(std::span<const std::uint8_t> image)
{
    if (image.size() < kDirectorySize)
        return Tr("Образ настроек короче своего каталога разделов.", "The settings image is shorter than its section directory.");
    const Directory dir = DirectoryOf(image);
    if (dir.sectionCount < 1 || dir.sectionCount > kDirectoryEntries)
        return Tr("Неверное число разделов в каталоге: ", "Wrong number of sections in the directory: ") + std::to_string(dir.sectionCount) + ".";
    for (int k = 1; k <= dir.sectionCount; ++k) {
        std::size_t offset = 0, payload = 0;
        if (!SectionPlacement(dir.Entry(k), offset, payload))
            return Tr("Раздел " + std::to_string(k) + " описан в каталоге неверно.", "Section " + std::to_string(k) + " is described wrongly in the directory.");
    }
    return {};
}

std::string SettingsModel::DirectoryProblem()
{
    ReadDirectory();
    return DirectoryProblemOf(Image);
}

SectionStatus SettingsModel::DecodeSection(int k)
{
    CheckRecordNumber(k);
    ReadDirectory();
    std::size_t offset = 0, payload = 0;
    if (!SectionPlacement(dir_.Entry(k), offset, payload))
        return SectionStatus::Invalid;
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
    CheckRecordNumber(k);
    ReadDirectory();
    std::size_t offset = 0, payload = 0;
    if (!SectionPlacement(dir_.Entry(k), offset, payload))
        return SectionStatus::Invalid;
    // Only the section's own bytes are written: a payload shorter than the
    // record must not spill into whatever follows it in the image.
    const auto record = Record(k);
    const std::size_t count = std::min(payload, record.size());
    if (Image.size() < offset + count)
        Image.resize(offset + count, 0);
    std::copy_n(record.begin(), count, Image.begin() + static_cast<std::ptrdiff_t>(offset));
    return payload > record.size() ? SectionStatus::Truncated : SectionStatus::Ok;
}

std::vector<std::string> SettingsModel::DecodeAll()
{
    std::vector<std::string> problems;
    for (int k = 1; k <= kRecordCount; ++k) {
        const auto n = std::to_string(k);
        switch (DecodeSection(k)) {
        case SectionStatus::Ok:
        case SectionStatus::Truncated: // the device keeps more than this program knows; nothing is lost
            break;
        case SectionStatus::Short:
            problems.push_back(Tr("Раздел " + n + " настроек обрезан: недостающие параметры остались прежними.",
                                  "Settings section " + n + " is cut short: the missing settings keep their previous values."));
            break;
        case SectionStatus::Invalid:
            problems.push_back(Tr("Раздел " + n + " настроек описан неверно и не прочитан: его параметры остались прежними.",
                                  "Settings section " + n + " is described wrongly and was not read: its settings keep their previous values."));
            break;
        }
    }
    return problems;
}

bool SettingsModel::Edit(const std::function<bool(SettingsModel&)>& runEditor)
{
    for (int k : kEditedRecords)
        DecodeSection(k);
    // Evaluating replaces the previous protocol selection, the features and
    // both lists the editor offers.
    EvaluateModel(DeviceModelCode, ProtocolIndex());
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
    auto& day = schemes_[0];
    auto& night = schemes_[1];
    const Rgb5* nightColours = hybridDrive ? kNightHybridColours : kNightColours;
    for (std::size_t i = 0; i < 16; ++i) {
        PutU16(day, 2 * i, PackColour(kDayColours[i]));
        PutU16(night, 2 * i, PackColour(nightColours[i]));
    }
    static constexpr std::uint8_t kDayRoles[8] = {15, 4, 11, 12, 15, 15, 9, 10};
    static constexpr std::uint8_t kDayRolesHybrid[8] = {10, 4, 11, 12, 14, 14, 7, 11};
    static constexpr std::uint8_t kNightRoles[8] = {7, 0, 11, 4, 3, 6, 1, 15};
    static constexpr std::uint8_t kNightRolesHybrid[8] = {7, 0, 11, 0, 0, 15, 1, 12};
    // Scheme bytes 32..39; the graph and dial roles (40..54) stay 0.
    const std::size_t firstRole = SchemeByte(ColourRole::ValueInk);
    std::copy_n(hybridDrive ? kDayRolesHybrid : kDayRoles, 8, day.begin() + static_cast<std::ptrdiff_t>(firstRole));
    std::copy_n(hybridDrive ? kNightRolesHybrid : kNightRoles, 8, night.begin() + static_cast<std::ptrdiff_t>(firstRole));
    if (!hybridDrive)
        day[SchemeByte(ColourRole::BottomPanel)] = 10;
    night[SchemeByte(ColourRole::BottomPanel)] = 0;
}

void SettingsModel::SetRecordDefaults()
{
    std::fill(records_.begin(), records_.end(), std::uint8_t{0});

    auto r9 = Record(kDisplayRecord);
    std::copy(schemes_[0].begin(), schemes_[0].end(), r9.begin() + static_cast<std::ptrdiff_t>(kSchemeOffset[0]));
    std::copy(schemes_[1].begin(), schemes_[1].end(), r9.begin() + static_cast<std::ptrdiff_t>(kSchemeOffset[1]));

    auto r1 = Record(1);
    r1[153] = 255;
    r1[158] = 255;

    auto r3 = Record(3);
    PutU16(r3, 0, 1000);
    PutU16(r3, 2, 6);
    PutU16(r3, 4, 10);
    PutU16(r3, 6, 43);
    for (unsigned i = 0; i <= 6; ++i) {
        PutU16(r3, 8 + 2 * i, static_cast<std::uint16_t>(100 * i));
        PutU16(r3, 22 + 2 * i, static_cast<std::uint16_t>(6 * i));
    }
    r3[36] = 7;
    PutU16(r3, 44, 50);
    PutU16(r3, 56, 50);

    auto r4 = Record(4);
    constexpr unsigned kTankPoints = 15;
    r4[0] = 0;
    r4[1] = 1;
    r4[2] = kTankPoints;
    r4[6] = 0;
    for (unsigned i = 0; i < kTankPoints; ++i) {
        r4[8 + i] = static_cast<std::uint8_t>(16 + 3 * i);
        PutU16(r4, 144 + 2 * i, static_cast<std::uint16_t>(50 * i));
    }

    auto r5 = Record(5);
    const std::uint8_t intervals[7] = {15, 45, 30, 45, 30, 15, 30};
    std::copy_n(intervals, 7, r5.begin());
    PutU32(r5, 8, 4392);
    PutU32(r5, 12, 4392);
    const std::string names[3] = {Tr("ТО форсунок", "Inject. TS"), Tr("Замена рем.ГРМ", "GDM belt repl."),
                                  Tr("Замена свечей", "Spark pl.repl.")};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string bytes = Utf8ToCp1251(names[i]);
        std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), 16), r5.begin() + static_cast<std::ptrdiff_t>(52 + 16 * i));
    }
    PutU16(r5, 100, 511);
    PutU16(r5, 110, 1023);
    PutU16(r5, 114, 90);

    auto r6 = Record(6);
    PutU32(r6, 0, 0x400);
    r6[4] = 40;
    r6[5] = 80;
    r6[6] = 10;
    const std::uint16_t limits[11] = {115, 30, 115, 155, 110, 110, 115, 20, 100, 100, 165};
    for (std::size_t i = 0; i < 11; ++i)
        PutU16(r6, 8 + 2 * i, limits[i]);
    const std::uint8_t bytes30[5] = {70, 9, 25, 120, 120};
    std::copy_n(bytes30, 5, r6.begin() + 30);
    PutF32(r6, 56, 1.0f);
    PutF32(r6, 60, 1.0f);
    PutF32(r6, 64, 1.0f);
    r6[73] = 1;

    auto r7 = Record(7);
    PutU16(r7, 0, 250);
    PutU16(r7, 4, 30);

    // The x4, x6 and x9 slots, one run of parameter codes.
    static constexpr std::uint8_t kSlots[kNineTileSlots.End() - kFourTileSlots.offset] = {
        4, 14, 8, 9, 13, 10, 11, 4, 1, 2, 5, 9, 7, 12, 3, 6, 7, 10, 8, 12, 18, 25, 27, 21,           // x4
        12, 17, 13, 10, 8, 9, 13, 17, 12, 10, 8, 9,                                                 // x6
        14, 5, 12, 1, 2, 6, 10, 8, 9, 11, 24, 13, 23, 18, 17, 7, 19, 22, 1, 2, 3, 5, 14, 6, 20, 24, 25, // x9
    };
    std::copy(std::begin(kSlots), std::end(kSlots), r9.begin() + static_cast<std::ptrdiff_t>(kFourTileSlots.offset));
    r9[195] = 1;
    PutU32(r9, 288, 0xFFFFFFFF);
    const std::uint16_t misc[5] = {1, 511, 63, 7, 8};
    for (std::size_t i = 0; i < 5; ++i)
        PutU16(r9, 296 + 2 * i, misc[i]);
}

void SettingsModel::FillHotMenuDefaults()
{
    EvaluateModel(DeviceModelCode, ProtocolIndex());
    auto r9 = Record(kDisplayRecord);
    // Each list is a row of 16-bit codes; slots without a named item stay empty (0).
    const auto fill = [&](std::size_t offset, std::size_t slots, std::initializer_list<const char*> names) {
        std::size_t i = 0;
        for (const char* name : names) {
            const MenuItem* item = FindMenuItemByName(name);
            PutU16(r9, offset + 2 * i++, item ? item->Code : 0);
        }
        for (; i < slots; ++i)
            PutU16(r9, offset + 2 * i, 0);
    };
    fill(kHotMenuOffsets[0], kHotMenuSlots, {"FullTankMenu", "ToTankMenu", "ErrorsMenu", "FlagSoundMenu", "VelocityLimitMenu", "PrognozMenu", "ExpenseHHMenu"});
    fill(kHotMenuOffsets[1], kHotMenuSlots, {"TripJournMenu", "InitReset0ParamsMenu", "InitReset1ParamsMenu", "ContinueTripMenu", "TankJournMenu"});
    if (!Features().NoParktronic)
        fill(kHotMenuOffsets[2], kHotMenuSlots, {"ParkOffMenu", "ParkSenseMenu_0", "ParkSpeedMenu_0", "ParkBeepTypeMenu", "ParkAlwaysOnMenu"});
}

} // namespace tc
