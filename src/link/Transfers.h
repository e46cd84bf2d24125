#pragma once
// The two device transfers that the window and the command line share:
// reading the settings memory and writing the settings back section by section.
#include "common/Device.h"
#include "common/Error.h"
#include "common/Language.h"
#include "link/DeviceLink.h"
#include "model/RestorePoints.h"
#include "model/SettingsModel.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace tc {

enum class TransferPhase {
    Connecting, // "I can not connect to the device", Cancel shown, gauge hidden
    Reading,    // "The settings are being read...", gauge shown from 0, Cancel hidden
    Writing,    // "The settings are recorded...", gauge from 0
    Verifying,  // the written sections are read back and compared, gauge from 0
};

// The texts of the transfers, each in the language it is given.
// The progress window's label for a phase.
std::string PhaseText(TransferPhase phase, Language language);
// Shown after a successful write.
std::string WriteDoneText(Language language);
// Said instead when the device already holds every section to be written.
std::string AlreadyHeldText(Language language);
std::string DeviceVersionMismatchText(Language language);
std::string FirmwareVersionMismatchText(Language language);
// Where a write kept the device's previous settings.
std::string RestorePointSavedText(const std::string& path, Language language);
std::string OutOfStepText(Language language);
// The block of the device memory (1..255) that failed all attempts, and why.
std::string BlockFailedText(const std::string& reason, int block, Language language);
// Section k of count that failed all attempts while being written, and why.
std::string SectionFailedText(const std::string& reason, int k, int count, Language language);
// No two readings of the block (1..255) agreed.
std::string LineTooNoisyText(int block, Language language);
// Said after a transfer that failed before it wrote anything, under the
// link's own message: that nothing was written and, when a block failed
// (`failure` as ContinueAfterFailure was told it), the block and what the
// device did last (none: `failure` empty).
std::string NothingWrittenText(const std::string& failure, Language language);
// Said on the next run after a write to the unit was cut off (the program
// ended or the write stopped half way): the unit may hold a mix, and the
// restore point with its last whole settings.
std::string CutOffWriteText(const WriteInProgress& write, Language language);
// A restore point taken of a unit known to hold a mix, as lists mark it.
std::string MixedPointText(Language language);

// What a transfer tells its user interface and asks of it.
class TransferObserver {
public:
    virtual ~TransferObserver() = default;
    // The language of every text the transfer gives it or throws (the
    // failed port, the link's failures, ContinueAfterFailure's question).
    Language language = Language::Russian;
    virtual void Phase(TransferPhase /*phase*/) {}
    virtual void Progress(int /*percent*/) {}
    // Asked after each failed connect attempt; true ends the transfer silently.
    virtual bool CancelRequested() { return false; }
    // Called inside every wait of the link and between steps. May throw
    // TransferInterrupted to abandon the transfer (the port is closed).
    virtual void ProcessEvents() {}
    // A write saved the device's settings as it found them, before it sends
    // the first section.
    virtual void RestorePointSaved(const std::string& /*path*/) {}
    // Asked when one block (or, in a write, one section) failed all the
    // attempts of the link; the text names it and the link's reason. True
    // asks for it again with fresh attempts, on the same line, going on from
    // there: what was read or written before is kept. False (the default)
    // ends the transfer with the link's failure.
    virtual bool ContinueAfterFailure(const std::string& /*text*/) { return false; }
};

// Thrown by an observer to abandon a transfer at once (the command line's Ctrl-C).
class TransferInterrupted : public std::runtime_error {
public:
    TransferInterrupted() : std::runtime_error("interrupted") {}
};

// The first-byte waits of a transfer.
struct TransferTiming {
    std::chrono::milliseconds connectReplyTimeout = device::kConnectReplyTimeout; // connect and the memory read
    std::chrono::milliseconds writeReplyTimeout = device::kWriteReplyTimeout;     // the section writes
};

// Unchanged: a write found the device holding every section it would
// send, and sent nothing.
enum class TransferResult { Done, Cancelled, Unchanged };

// Which sections a write sends.
enum class WriteScope {
    Nothing, // none: the write ends as Cancelled
    Changed, // those whose bytes differ from what the device holds
    Every,   // every section of the device's directory
};

struct WriteOptions {
    // After the last section, read back the blocks the sent sections cover
    // and compare them with what was sent.
    bool verify = true;
    // Send every section, also those the device already holds as they are
    // (else only the ones that differ, and nothing when none does).
    bool allSections = false;
    // Asked once the device's settings are read and checked, before the
    // restore point and the first section: the device's image as found and
    // the image about to be written. Its answer decides what is sent; unset
    // sends what allSections says without asking. Not asked when no
    // section differs and allSections is off.
    std::function<WriteScope(std::span<const std::uint8_t> device, std::span<const std::uint8_t> next)> confirm;
};

// What a write that ended well sent.
struct WriteSummary {
    int sent = 0;        // sections sent
    int differing = 0;   // sections whose bytes differed from the device's
    int count = 0;       // sections in the device's directory
    bool checked = false; // the sent sections were read back and agreed
    std::string restorePoint;
};
// "3 of 11 sections differed; written and checked" (or "…, not checked"),
// said under WriteDoneText().
std::string SectionsWrittenText(const WriteSummary& summary, Language language);

// A write that ended after it began changing the device: the link failed or
// was interrupted during the section writes or the check, or the check found
// a section the device did not store as sent. The text names the sections
// written and how to finish; the restore point holds the previous settings.
class WriteIncomplete : public Error {
public:
    WriteIncomplete(const std::string& text, std::string restorePointPath, std::vector<int> written)
        : Error(text), restorePoint(std::move(restorePointPath)), sectionsWritten(std::move(written))
    {
    }
    std::string restorePoint;
    std::vector<int> sectionsWritten; // sections whose end the device acknowledged
};

constexpr std::uint8_t kCmdConnect = 1;
// A connect is answered with a byte and the 16-bit model code.
constexpr std::size_t kConnectReplyData = 3;
constexpr std::uint8_t kCmdReadBlock = 5;
constexpr std::uint8_t kCmdBeginSection = 12;
constexpr std::uint8_t kCmdWriteChunk = 4;
constexpr std::uint8_t kCmdEndSection = 7;
// How often one read may repeat a block because the line fell out of step.
constexpr int kMaxOutOfStepRepeats = 32;
// Once the line fell out of step, a read sees it silent after every this
// many blocks (by default), the last point the line is known in step.
constexpr std::size_t kInStepCheckEvery = 8;
// How many readings of one block a read takes at most to find two that agree.
constexpr int kMaxBlockReadings = 5;

// Building blocks, on an open port. Connect repeats command 1 until the
// device answers (returns its model code) or the observer cancels (nullopt).
std::optional<std::uint16_t> ConnectDevice(DeviceLink& link, TransferObserver& observer, const TransferTiming& timing = {});
// Reads blocks 1..127 and 129..255 into image (8128 bytes), progress 0..100.
// The image is replaced only when every block arrived, each as the answer to
// its own request: a block whose reply may have answered an older request is
// read again; a line that keeps falling out of step ends the read with
// OutOfStepText(). A block that fails its attempts is asked for again while
// the observer's ContinueAfterFailure says so, the blocks before it kept.
// No sum catches a reply spoilt so that it still sums right, but a line that
// spoils replies spoils most of them so that the sum fails: once the read met
// a reply whose sum or length failed (or always, with link.ReadTwice), every
// block is read a second time and taken only when two readings agree. A
// block read again because the line fell out of step must agree with its
// earlier reading too. A block whose readings differ is read again, up to
// kMaxBlockReadings readings, else the read ends with LineTooNoisyText.
void ReadSettingsMemory(DeviceLink& link, std::vector<std::uint8_t>& image, TransferObserver& observer);
// Sends one section: begin (12), chunks of 32 bytes (4), end (7).
void WriteSection(DeviceLink& link, std::uint16_t address, std::span<const std::uint8_t> payload);
// The device blocks (32 bytes each) that sections 1..image[0] of the image's
// own directory cover, ascending, each once. The image must have passed
// CheckSectionsWritable.
std::vector<int> BlocksOfSections(const std::vector<std::uint8_t>& image);
// Only the blocks of the listed sections, when `sections` is not empty.
std::vector<int> BlocksOfSections(const std::vector<std::uint8_t>& image, const std::vector<int>& sections);
// Reads those blocks back and returns the sections whose device bytes differ
// from their payload in the image (of the listed ones, when `sections` is
// not empty); progress 0..100.
std::vector<int> SectionsNotStored(DeviceLink& link, const std::vector<std::uint8_t>& image, TransferObserver& observer,
                                   const std::vector<int>& sections = {});
// The sections 1..next[0] of next's directory whose bytes differ from the
// same places in device (both images checked by CheckSectionsWritable).
std::vector<int> DifferingSections(const std::vector<std::uint8_t>& device, const std::vector<std::uint8_t>& next);
// Throws tc::Error, before anything is sent, when a directory entry of the
// image cannot be written from the image that was read.
void CheckSectionsWritable(const std::vector<std::uint8_t>& image, Language language);

// Throws tc::Error when the model's image (the one its records were decoded
// from) does not hold sections 1..11 whole: those records were not read.
void CheckSettingsComplete(const SettingsModel& model, Language language);

// Whole transfers: open the port, do the work, close the port in every case.
// Read: stores the reported model code and the image; the caller decodes.
TransferResult ReadDeviceSettings(DeviceLink& link, SettingsModel& model, TransferObserver& observer, const TransferTiming& timing = {});
// Write: the settings must be complete (nothing is opened otherwise), then the
// model code and format version checks; the fresh image read from the device
// is saved as a restore point (nothing is written when that fails), then
// the sections of the device's directory that differ from the model's
// records encoded into the fresh image (every one with options.allSections)
// are sent, each its own begin-data-end exchange, and (options.verify) read
// back and compared. Throws WriteIncomplete once the device may hold a mix of settings.
// `summary`, when given, is told what a write that ended well sent.
TransferResult WriteDeviceSettings(DeviceLink& link, SettingsModel& model, TransferObserver& observer,
                                   const RestorePoints& restorePoints, const TransferTiming& timing = {},
                                   const WriteOptions& options = {}, WriteSummary* summary = nullptr);

} // namespace tc
