#pragma once
// The settings model: the memory image read from the device or a settings
// file, its section directory, and the eleven records decoded from it.
#include "catalogs/Catalogs.h"
#include "common/Language.h"
#include "model/DisplayRecord.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tc {

constexpr int kRecordCount = 11;
constexpr std::array<std::size_t, kRecordCount> kRecordSizes = {164, 28, 64, 420, 128, 88, 860, 40, 412, 60, 664};
constexpr std::size_t kRecordsTotalSize = 164 + 28 + 64 + 420 + 128 + 88 + 860 + 40 + 412 + 60 + 664;

constexpr std::size_t kDirectorySize = 60;
constexpr int kDirectoryEntries = 14;

// Packed colours: bits 15..11 red, 10..6 green, bit 5 repeats green's lowest bit, 4..0 blue.
struct Rgb5 {
    std::uint8_t r = 0, g = 0, b = 0; // 0..31 each
    friend bool operator==(const Rgb5&, const Rgb5&) = default;
};
std::uint16_t PackColour(Rgb5 c);
Rgb5 UnpackColour(std::uint16_t packed);

struct DirectoryEntry {
    std::uint16_t address = 0;      // device address of the section's first byte
    std::uint16_t deviceLength = 0; // payload length + 4
};

struct Directory {
    std::uint8_t sectionCount = 0;  // entries 1..N are sent by a write
    std::uint8_t formatVersion = 0; // compared before a write
    std::uint16_t reserved = 0;
    std::array<DirectoryEntry, kDirectoryEntries> entries{}; // entries[k - 1] describes section k
    const DirectoryEntry& Entry(int k) const { return entries.at(static_cast<std::size_t>(k - 1)); }
};

// Where a device address lies in the image. Blocks 0 and 128 are never read:
// device addresses 32..4095 sit at image offset address - 32, addresses
// 4128..8191 at address - 64. Returns false for addresses in blocks 0 or 128
// or beyond the memory.
bool ImageOffsetOfAddress(std::uint32_t deviceAddress, std::size_t& imageOffset);
// True when the device range [address, address + length) avoids blocks 0 and 128
// and ends inside the 8192-byte memory.
bool DeviceRangeIsReadable(std::uint32_t deviceAddress, std::uint32_t length);
// Where the payload of the section an entry describes lies in the image, and
// its length; false when the entry cannot describe a readable section or
// places it over the directory.
bool SectionPlacement(const DirectoryEntry& entry, std::size_t& imageOffset, std::size_t& payload);

// The directory at the start of an image (missing bytes read as zero), and
// the user text (in `language`) of its first fault, empty when it is
// usable: 1..14 sections, each entry placing its section inside the readable
// memory. No model is needed.
Directory DirectoryOf(std::span<const std::uint8_t> image);
std::string DirectoryProblemOf(std::span<const std::uint8_t> image, Language language);

// Outcome of decoding or encoding one section.
enum class SectionStatus {
    Ok,
    Short,     // the image ends inside the section: fewer bytes were decoded
    Truncated, // the section's payload is longer than its record: the rest is ignored
    Invalid,   // the directory entry is unusable (address in blocks 0/128, length below 4); record or image untouched
};

// Some records as they were, to put back when an editor or viewer is cancelled.
struct RecordsSnapshot {
    std::vector<int> records;        // record numbers, in order
    std::vector<std::uint8_t> bytes; // their bytes one after another (records 1..10: as they lie in the records block)
};
// The records the settings editor changes, and those the journal viewer changes.
constexpr std::array<int, 10> kEditedRecords = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
constexpr std::array<int, 3> kJournalRecords = {1, 7, 11};

// Record 10 holds the vehicle protocol: its index in the device model's list
// (16-bit), a copy of that index the device reads, and the protocol's option
// bytes, one per option.
constexpr int kProtocolRecord = 10;
constexpr std::size_t kProtocolIndexOffset = 4;
constexpr std::size_t kProtocolIndexCopyOffset = 6;
constexpr std::size_t kProtocolOptionsOffset = 12;

class SettingsModel {
public:
    // Builds the model with the default colour schemes, every record at its
    // default and the hot menus of the default device model: the settings of
    // a device that was never configured, its default texts (the maintenance
    // names) and the catalogs it evaluates in `language`.
    explicit SettingsModel(Language language = Language::Russian);

    std::vector<std::uint8_t> Image;
    std::uint16_t DeviceModelCode = 0xC000;
    // The vehicle protocol chosen in the settings: its index in the model's list.
    std::uint16_t ProtocolIndex() const;

    // The catalog of the device model as the last evaluation built it (the
    // construction evaluates the default model). Nobody changes it; copies of
    // the settings share it.
    const Catalog& ModelCatalog() const { return *catalog_; }
    std::shared_ptr<const Catalog> SharedCatalog() const { return catalog_; }
    // Evaluates DeviceModelCode with its texts in `language`: a new catalog,
    // and a new parameter list taken from it; nothing of the previous model stays.
    void EvaluateCatalog(Language language);
    // The same with a catalog evaluated before for DeviceModelCode (shared,
    // never changed); throws std::invalid_argument for another model's.
    void UseCatalog(std::shared_ptr<const Catalog> catalog);
    // The stored protocol index looked up in the catalog: nullptr when the
    // index is beyond the model's list, and then CurrentProtocolProblem says why.
    const VehicleProtocol* CurrentProtocol() const { return catalog_->Protocol(ProtocolIndex()); }
    std::string CurrentProtocolProblem(Language language) const { return catalog_->ProtocolProblem(ProtocolIndex(), language); }
    // The catalog's measured parameters as these settings caption them: the
    // editor re-labels a few entries by the model and the settings, the
    // previews read them. Shared by copies until one evaluates anew.
    MeasParList& Parameters() { return *parameters_; }
    const MeasParList& Parameters() const { return *parameters_; }

    void ReadDirectory();
    const Directory& Dir() const { return dir_; }
    int SectionCount() const { return dir_.sectionCount; }
    int FormatVersion() const { return dir_.formatVersion; }

    // Empty when the image starts with a usable directory: 1..14 sections,
    // each entry placing its section inside the readable memory. Otherwise
    // the user text (in `language`) of the first fault found.
    std::string DirectoryProblem(Language language);

    SectionStatus DecodeSection(int k);
    SectionStatus EncodeSection(int k);
    // Decodes sections 1..11 and returns the user texts (in `language`) of any
    // section that could not be decoded whole; empty when all went well.
    std::vector<std::string> DecodeAll(Language language);

    std::span<std::uint8_t> Record(int k);
    std::span<const std::uint8_t> Record(int k) const;

    // The edit procedure: decodes sections 1..10, evaluates the device model
    // from DeviceModelCode and the stored protocol index, snapshots records
    // 1..10 and runs the editor. OK (true) encodes sections 1..10 into the
    // image; otherwise every change to records 1..10 is undone and the image
    // is untouched.
    bool Edit(const std::function<bool(SettingsModel&)>& runEditor, Language language);

    // The journal procedure: decodes sections 7 and 1, runs the viewer, and when
    // it returns true (OK) encodes sections 7, 1 and 11. A cancelled (or
    // failed) viewer leaves records 1, 7 and 11 as they were: a later write to
    // the device encodes every record, so a cancelled clear must not survive.
    bool ViewJournals(const std::function<bool(SettingsModel&)>& runViewer);

    RecordsSnapshot SnapshotRecords(std::span<const int> records = kEditedRecords) const;
    // Throws std::invalid_argument for a snapshot that does not fit the records.
    void RestoreRecords(const RecordsSnapshot& snapshot);

    // Fills both default colour schemes; the night scheme and a few scheme
    // bytes differ on models with a hybrid drive.
    void ResetColourSchemes(bool hybridDrive = false);
    const std::array<std::uint8_t, kColourSchemeSize>& ColourScheme(int n) const { return schemes_.at(static_cast<std::size_t>(n)); }

    // Sets every record to its default from the tables of model/RecordDefaults.h,
    // in `language`; record 9 takes the colour schemes that
    // ResetColourSchemes filled, so call that first. The hot menus stay empty.
    void ResetRecords(Language language);

    // Evaluates the device model (EvaluateCatalog) and fills the hot-menu defaults of record 9 from its menu catalog, so it
    // comes after ResetRecords.
    void FillHotMenuDefaults(Language language);

private:
    // Runs a dialog on the model; a cancel (false) or an exception puts the
    // given records back as they were.
    bool RunRestoringOnCancel(std::span<const int> records, const std::function<bool(SettingsModel&)>& run);

    Directory dir_;
    std::shared_ptr<const Catalog> catalog_;
    std::shared_ptr<MeasParList> parameters_;
    std::array<std::uint8_t, kRecordsTotalSize> records_{};
    std::array<std::array<std::uint8_t, kColourSchemeSize>, 2> schemes_{};
};

std::size_t RecordOffset(int k); // byte offset of record k in the records block

} // namespace tc
