#include "link/Transfers.h"

#include "common/Bytes.h"
#include "common/Error.h"
#include "common/Language.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace tc {

std::string PhaseText(TransferPhase phase, Language language)
{
    switch (phase) {
    case TransferPhase::Connecting: return Tr(language, "Не могу подключиться к МК...", "I can not connect to the device");
    case TransferPhase::Reading: return Tr(language, "Чтение настроек...", "The settings are being read...");
    case TransferPhase::Writing: return Tr(language, "Запись настроек...", "The settings are recorded...");
    case TransferPhase::Verifying: return Tr(language, "Проверка записанного...", "Checking what was written...");
    }
    return {};
}

std::string WriteDoneText(Language language)
{
    return Tr(language, "Настройки записаны в МК", "The settings are recorded in the device");
}

std::string AlreadyHeldText(Language language)
{
    return Tr(language, "В МК уже эти настройки. Ничего не записано.", "The device already holds these settings. Nothing has been written.");
}

std::string SectionsWrittenText(const WriteSummary& summary, Language language)
{
    const std::string of = std::to_string(summary.differing) + Tr(language, " из ", " of ") + std::to_string(summary.count);
    const std::string all = std::to_string(summary.sent);
    if (summary.sent > summary.differing)
        return summary.checked ? Tr(language, "Записаны и проверены все разделы (" + all + "); отличались " + of + ".",
                                    "All " + all + " sections written and checked; " + of + " differed.")
                               : Tr(language, "Записаны все разделы (" + all + "), не проверены; отличались " + of + ".",
                                    "All " + all + " sections written, not checked; " + of + " differed.");
    return summary.checked ? Tr(language, "Отличались разделы: " + of + "; записаны и проверены", of + " sections differed; written and checked")
                           : Tr(language, "Отличались разделы: " + of + "; записаны, не проверены", of + " sections differed; written, not checked");
}

std::string DeviceVersionMismatchText(Language language)
{
    return Tr(language, "Версия настроек не совпадает с версией устройства!", "The settings version does not match the device version!");
}

std::string FirmwareVersionMismatchText(Language language)
{
    return Tr(language, "Версия настроек не совпадает с версией прошивки!", "The settings version does not match the firmware version!");
}

std::string RestorePointSavedText(const std::string& path, Language language)
{
    return Tr(language, "Прежние настройки МК сохранены в точке восстановления \"" + path + "\".",
              "The device's previous settings are saved in the restore point \"" + path + "\".");
}

std::string OutOfStepText(Language language)
{
    return Tr(language, "Ответы МК снова и снова не совпадают с запросами. Чтение памяти МК прервано.",
              "The device's replies keep falling out of step with the requests. The reading of its memory was abandoned.");
}

std::string BlockFailedText(const std::string& reason, int block, Language language)
{
    const auto n = std::to_string(block);
    return reason + "\n"
        + Tr(language, "Блок " + n + " памяти МК не прочитан.", "Block " + n + " of the device memory could not be read.");
}

std::string SectionFailedText(const std::string& reason, int k, int count, Language language)
{
    const std::string at = std::to_string(k) + Tr(language, " из ", " of ") + std::to_string(count);
    return reason + "\n"
        + Tr(language, "Раздел " + at + " не записан.", "Section " + at + " could not be written.");
}

std::string LineTooNoisyText(int block, Language language)
{
    const std::string n = std::to_string(block);
    return Tr(language, "Линия слишком зашумлена, чтобы надёжно прочитать блок " + n + ".",
              "The line is too noisy to read block " + n + " reliably.");
}

std::string NothingWrittenText(const std::string& failure, Language language)
{
    std::string said = Tr(language, "В МК ничего не записано.", "Nothing was written to the device.");
    if (failure.empty())
        return said;
    const auto line = failure.find('\n');
    const std::string reason = failure.substr(0, line);
    if (line != std::string::npos)
        said += " " + failure.substr(line + 1);
    const auto startsWith = [&](const char* text) { return reason.rfind(text, 0) == 0; };
    if (startsWith(kNoLinkText))
        said += Tr(language, " МК не ответил на последний запрос.", " The device did not answer the last request.");
    else if (startsWith(kDelayInBlockText))
        said += Tr(language, " Последний ответ МК оборвался на середине.", " The device's last reply broke off half way.");
    else if (startsWith(kExchangeErrorText))
        said += Tr(language, " Последний ответ МК пришёл искажённым.", " The device's last reply arrived damaged.");
    return said;
}

std::string CutOffWriteText(const WriteInProgress& write, Language language)
{
    return Tr(language, "Последняя запись в МК на порту " + write.port + " (начата " + write.started
                  + ") была прервана: в МК может быть смесь новых и прежних настроек. Его последние целые настройки — в точке восстановления \""
                  + write.lastWhole + "\".",
              "The last write to the device on " + write.port + " (started " + write.started
                  + ") was cut off: the device may hold a mix of new and old settings. Its last whole settings are in the restore point \""
                  + write.lastWhole + "\".");
}

std::string MixedPointText(Language language)
{
    return Tr(language, "смесь: прежняя запись была прервана", "a mix: an earlier write was cut off");
}

namespace {

// Opens the port for one transfer and lends the observer's event pump to the
// link; closes the port and takes the pump back in every case.
class PortSession {
public:
    PortSession(DeviceLink& link, TransferObserver& observer) : link_(link), saved_(link.WhileWaiting)
    {
        link_.WhileWaiting = [&observer] { observer.ProcessEvents(); };
        link_.OpenPort(static_cast<int>(link_.PortNumber), observer.language);
        // A port that another program took since the scan is said at once,
        // not found out by a connect that waits for replies on no line.
        if (!link_.IsOpen()) {
            link_.WhileWaiting = saved_;
            throw Error(link_.OpenFailure.empty() ? std::string(kNoFreePortText) : link_.OpenFailure);
        }
        link_.SetBaudRate(device::kBaudRate);
    }
    ~PortSession()
    {
        link_.ClosePort();
        link_.WhileWaiting = saved_;
    }
    PortSession(const PortSession&) = delete;
    PortSession& operator=(const PortSession&) = delete;

private:
    DeviceLink& link_;
    std::function<void()> saved_;
};

// The get operations would read past a reply that is shorter than the
// command's data and take bytes of an earlier reply instead.
void RequireReplyData(const DeviceLink& link, std::size_t count, std::uint8_t cmd, Language language)
{
    if (link.ReplyData().size() < count)
        throw Error(Tr(language, "МК ответил на команду " + std::to_string(cmd) + " без данных.",
                       "The device answered command " + std::to_string(cmd) + " without its data."));
}

// Asks the unit for its model code. The unit answers a connect with a byte
// and the code, nothing more: a reply of any other length answers another
// request (a block still on its way, the rest of an earlier transfer) and
// tells nothing of the model.
std::optional<std::uint16_t> AskModelCode(DeviceLink& link)
{
    link.Command(kTripComputerAddress, kCmdConnect);
    const auto data = link.ReplyData();
    if (data.size() != kConnectReplyData) {
        link.CatchUpWithEarlierReply();
        return std::nullopt;
    }
    return GetU16(data, 1);
}

int Percent(long done, long total)
{
    return static_cast<int>(std::lround(static_cast<double>(done) * 100.0 / static_cast<double>(total)));
}

} // namespace

std::optional<std::uint16_t> ConnectDevice(DeviceLink& link, TransferObserver& observer, const TransferTiming& timing)
{
    observer.Phase(TransferPhase::Connecting);
    std::optional<std::uint16_t> code;
    while (!code) {
        link.ReplyTimeout = timing.connectReplyTimeout;
        try {
            code = AskModelCode(link);
        } catch (const Error&) {
        }
        if (!code) {
            // Every failed attempt is swallowed; only Cancel ends the loop.
            observer.ProcessEvents();
            if (observer.CancelRequested())
                return std::nullopt;
        }
    }
    observer.Phase(TransferPhase::Reading);
    observer.Progress(0);
    observer.ProcessEvents();
    return code;
}

namespace {

// The device block that image block i (0..253) comes from: 1..127, then 129..255.
std::uint16_t DeviceBlock(std::size_t i)
{
    return static_cast<std::uint16_t>(i < device::kBlocksPerHalf - 1 ? i + 1 : i + 2);
}

// False when the reply taken answered an earlier request (the line is out of
// step, and `into` is left as it was).
bool ReadBlock(DeviceLink& link, std::uint16_t block, std::span<std::uint8_t> into, Language language)
{
    link.BeginRequest(kTripComputerAddress, kCmdReadBlock);
    link.PutWord(block);
    link.Execute();
    if (!link.ClassicTiming && link.ReplyData().size() != into.size()) {
        // A whole reply of another length answered another request (a
        // connect's, a copy of one): the line is out of step, and the block
        // is read again from where it was last in step.
        link.CatchUpWithEarlierReply();
        return false;
    }
    RequireReplyData(link, into.size(), kCmdReadBlock, language);
    const auto data = link.ReplyData();
    std::copy_n(data.begin(), into.size(), into.begin());
    return true;
}

// Whether the line is in step behind the last reply of a read. A connect
// is sent: its reply is shorter than a block's. Had the reply taken for the
// last block answered an earlier request (a copy of one, or a reply late
// behind its own), the answer still owed for the last block comes first and
// shows itself by its length, or waits on the line before the connect is
// sent, a reply too many. Watching the line stay silent instead would have to
// outwait any pause of the line. A connect that fails leaves the line in
// doubt too: its late answers are let come first.
bool InStepBehindLast(DeviceLink& link)
{
    try {
        return AskModelCode(link).has_value() && !link.OutOfStep();
    } catch (const Error&) {
        link.Settle();
        return false;
    }
}

// Reads the listed blocks of the settings memory into `into`, 32 bytes each
// in list order, every one as the answer to its own request. When the link
// finds a reply too many (before a request, or after the last reply), the
// replies taken since the line was last in step may each have answered the
// request before: those blocks are read again, from a line that is in step
// now. `done(n)` is told whenever the first n blocks are in.
using Block = std::array<std::uint8_t, device::kBlockSize>;

Block BlockAt(std::span<const std::uint8_t> blocks, std::size_t i)
{
    Block b{};
    std::copy_n(blocks.begin() + static_cast<std::ptrdiff_t>(i * device::kBlockSize), device::kBlockSize, b.begin());
    return b;
}

void ReadBlocksInStep(DeviceLink& link, std::span<const std::uint16_t> blocks, std::span<std::uint8_t> into,
                      TransferObserver& observer, const std::function<void(std::size_t)>& done, bool confirm = true);

// The reading two of `readings` agree on; reads the block again until there
// is one, up to kMaxBlockReadings readings in all.
Block Agreed(DeviceLink& link, std::uint16_t block, std::vector<Block> readings, TransferObserver& observer)
{
    for (;;) {
        for (std::size_t a = 0; a < readings.size(); ++a)
            for (std::size_t b = a + 1; b < readings.size(); ++b)
                if (readings[a] == readings[b])
                    return readings[a];
        if (readings.size() >= static_cast<std::size_t>(kMaxBlockReadings))
            throw Error(LineTooNoisyText(block, observer.language));
        Block next{};
        ReadBlocksInStep(link, std::span<const std::uint16_t>(&block, 1), next, observer, [](std::size_t) {}, /*confirm=*/false);
        readings.push_back(next);
    }
}

// With `confirm`, a block read again because the line fell out of step is
// taken only when a reading agrees with another.
void ReadBlocksInStep(DeviceLink& link, std::span<const std::uint16_t> blocks, std::span<std::uint8_t> into,
                      TransferObserver& observer, const std::function<void(std::size_t)>& done, bool confirm)
{
    // Every reading of the blocks read more than once, while they differ.
    std::vector<std::optional<Block>> taken(confirm ? blocks.size() : 0);
    std::map<std::size_t, std::vector<Block>> disputed;
    std::vector<bool> settled(confirm ? blocks.size() : 0);
    // The first block whose reply came after the line was last found in step.
    std::size_t inStepFrom = 0;
    int repeats = 0;
    bool wary = false; // a reply too many came during this read
    const auto backInStep = [&] {
        wary = true;
        if (++repeats > kMaxOutOfStepRepeats)
            throw Error(OutOfStepText(observer.language));
        return inStepFrom;
    };
    for (std::size_t i = 0; i < blocks.size();) {
        // (The last block is read again whatever: the line is checked in step behind it.)
        if (confirm && settled[i] && i + 1 < blocks.size()) {
            ++i;
            done(i);
            continue;
        }
        try {
            if (!ReadBlock(link, blocks[i], into.subspan(i * device::kBlockSize, device::kBlockSize), observer.language)) {
                i = backInStep();
                continue;
            }
        } catch (const Error& failure) {
            if (!observer.ContinueAfterFailure(BlockFailedText(failure.what(), blocks[i], observer.language)))
                throw;
            // The answers the failed attempts may still get are let come
            // first, so that none is taken for another request's. A reply
            // too many, found now or between the failed attempts, puts the
            // blocks taken since the line was last in step in doubt; else
            // the same block is asked for again.
            const bool doubt = link.OutOfStep();
            if (link.Settle() || doubt)
                i = backInStep();
            continue;
        }
        if (confirm) {
            // A block read again is settled once a reading agrees with an
            // earlier one; later steps back over the line skip it.
            const Block reading = BlockAt(into, i);
            if (const auto d = disputed.find(i); d != disputed.end()) {
                settled[i] = std::find(d->second.begin(), d->second.end(), reading) != d->second.end();
                d->second.push_back(reading);
            } else if (taken[i]) {
                if (*taken[i] == reading)
                    settled[i] = true;
                else
                    disputed[i] = {*taken[i], reading};
            }
            taken[i] = reading;
        }
        const bool last = i + 1 == blocks.size();
        if (link.OutOfStep() || (last && !InStepBehindLast(link))) {
            i = backInStep();
            continue;
        }
        if (link.Resynchronised()) {
            inStepFrom = i;
        } else if (wary && !link.ClassicTiming && !last && (i + 1) % kInStepCheckEvery == 0) {
            // Once the line fell out of step, it is seen silent now and then,
            // so that another reply too many sends the read back a few
            // blocks only.
            if (!link.StaysQuiet(device::kLineQuiet)) {
                i = backInStep();
                continue;
            }
            inStepFrom = i;
        }
        ++i;
        done(i);
    }
    for (const auto& [i, readings] : disputed) {
        const Block agreed = Agreed(link, blocks[i], readings, observer);
        std::copy(agreed.begin(), agreed.end(), into.begin() + static_cast<std::ptrdiff_t>(i * device::kBlockSize));
    }
}

} // namespace

void ReadSettingsMemory(DeviceLink& link, std::vector<std::uint8_t>& image, TransferObserver& observer)
{
    // The image changes only once the whole memory has arrived: a read that
    // fails half way leaves no image cut short behind for a later save.
    std::vector<std::uint8_t> fresh(device::kImageSize);
    std::vector<std::uint16_t> blocks(device::kBlocksRead);
    for (std::size_t i = 0; i < blocks.size(); ++i)
        blocks[i] = DeviceBlock(i);
    int shown = -1;
    link.ForgetDamage();
    ReadBlocksInStep(link, blocks, fresh, observer, [&](std::size_t n) {
        const int percent = Percent(blocks[n - 1], static_cast<long>(device::kBlocksRead));
        if (percent > shown)
            observer.Progress(shown = percent);
    });
    if (link.ReadTwice || link.DamagedReplies() > 0) {
        std::vector<std::uint8_t> again(fresh.size());
        ReadBlocksInStep(link, blocks, again, observer, [](std::size_t) {});
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            const Block first = BlockAt(fresh, i), second = BlockAt(again, i);
            if (first == second)
                continue;
            const Block agreed = Agreed(link, blocks[i], {first, second}, observer);
            std::copy(agreed.begin(), agreed.end(), fresh.begin() + static_cast<std::ptrdiff_t>(i * device::kBlockSize));
        }
    }
    image = std::move(fresh);
}

void WriteSection(DeviceLink& link, std::uint16_t address, std::span<const std::uint8_t> payload)
{
    const auto length = static_cast<std::uint16_t>(payload.size());
    link.BeginRequest(kTripComputerAddress, kCmdBeginSection);
    link.PutWord(address);
    link.PutWord(length);
    link.Execute();
    const std::size_t full = payload.size() / device::kBlockSize;
    const std::size_t tail = payload.size() % device::kBlockSize;
    for (std::size_t c = 0; c <= full; ++c) {
        const std::size_t count = c < full ? device::kBlockSize : tail;
        if (count == 0)
            break;
        link.BeginRequest(kTripComputerAddress, kCmdWriteChunk);
        link.PutWord(static_cast<std::uint16_t>(c));
        link.PutWord(static_cast<std::uint16_t>(count));
        for (std::size_t i = 0; i < count; ++i)
            link.PutByte(payload[c * device::kBlockSize + i]);
        link.Execute();
    }
    link.BeginRequest(kTripComputerAddress, kCmdEndSection);
    link.PutWord(address);
    link.PutWord(length);
    link.Execute();
}

namespace {

// Directory entry k as the image itself holds it (the model's directory may
// have been read from an earlier image).
DirectoryEntry EntryInImage(const std::vector<std::uint8_t>& image, int k)
{
    const auto off = static_cast<std::size_t>(4 * k);
    return {GetU16(image, off), GetU16(image, off + 2)};
}

std::string SectionRefusedText(int k, unsigned address, unsigned length, Language language)
{
    const std::string where = std::to_string(k) + " (" + std::to_string(address) + ", " + std::to_string(length) + ")";
    return Tr(language, "Раздел настроек " + where + " выходит за пределы памяти, считанной из МК. Ничего не записано.",
              "Settings section " + where + " lies outside the memory read from the device. Nothing has been written.");
}

} // namespace

void CheckSectionsWritable(const std::vector<std::uint8_t>& image, Language language)
{
    if (image.empty())
        throw Error(Tr(language, "Нет настроек для записи в МК.", "There are no settings to write to the device."));
    const int count = image[0];
    if (count > kDirectoryEntries)
        throw Error(Tr(language, "Каталог настроек содержит " + std::to_string(count) + " разделов, допустимо не более "
                           + std::to_string(kDirectoryEntries) + ". Ничего не записано.",
                       "The settings directory lists " + std::to_string(count) + " sections, at most "
                           + std::to_string(kDirectoryEntries) + " are allowed. Nothing has been written."));
    // An image that ends inside its own directory holds no usable entry.
    if (image.size() < kDirectorySize)
        throw Error(Tr(language, "Образ настроек короче своего каталога разделов. Ничего не записано.",
                       "The settings image is shorter than its section directory. Nothing has been written."));
    for (int k = 1; k <= count; ++k) {
        const DirectoryEntry e = EntryInImage(image, k);
        std::size_t imageOffset = 0, payload = 0;
        // A zero-length section at a readable address is still fine.
        if (!SectionPlacement(e, imageOffset, payload) || imageOffset + payload > image.size())
            throw Error(SectionRefusedText(k, e.address, e.deviceLength, language));
    }
}

void CheckSettingsComplete(const SettingsModel& model, Language language)
{
    const auto& image = model.Image;
    for (int k = 1; k <= kRecordCount; ++k) {
        std::size_t imageOffset = 0, payload = 0;
        const bool whole = image.size() >= static_cast<std::size_t>(4 * k + 4)
            && SectionPlacement(EntryInImage(image, k), imageOffset, payload)
            && imageOffset + std::min(payload, kRecordSizes[static_cast<std::size_t>(k - 1)]) <= image.size();
        if (!whole) {
            const auto n = std::to_string(k);
            throw Error(Tr(language, "Раздел " + n + " настроек не был прочитан целиком, его параметры неизвестны. В МК ничего не записано.",
                           "Settings section " + n + " was not read whole, so its settings are unknown. Nothing has been written to the device."));
        }
    }
}

TransferResult ReadDeviceSettings(DeviceLink& link, SettingsModel& model, TransferObserver& observer, const TransferTiming& timing)
{
    PortSession session(link, observer);
    const auto code = ConnectDevice(link, observer, timing);
    if (!code)
        return TransferResult::Cancelled;
    ReadSettingsMemory(link, model.Image, observer);
    model.DeviceModelCode = *code; // together with the image it belongs to
    return TransferResult::Done;
}

namespace {

// "1, 2, 3"
std::string SectionList(const std::vector<int>& sections)
{
    std::string list;
    for (int k : sections)
        list += (list.empty() ? "" : ", ") + std::to_string(k);
    return list;
}

std::string MixText(bool certain, Language language)
{
    return certain ? Tr(language, "В МК теперь смесь новых и прежних настроек.", "The device now holds a mix of new and old settings.")
                   : Tr(language, "В МК теперь может быть смесь новых и прежних настроек.", "The device may now hold a mix of new and old settings.");
}

std::string FinishText(const std::string& restorePoint, Language language)
{
    return Tr(language, "Чтобы закончить, запишите настройки ещё раз или восстановите прежние настройки из точки восстановления \"" + restorePoint + "\".",
              "To finish, write the settings again, or restore the previous settings from the restore point \"" + restorePoint + "\".");
}

std::string InterruptedText(Language language)
{
    return Tr(language, "Запись прервана.", "The write was interrupted.");
}

// The link failed (reason) while section k of count was being written.
std::string StoppedText(const std::string& reason, int k, int count, const std::vector<int>& written, const std::string& restorePoint,
                        Language language)
{
    const std::string at = std::to_string(k) + Tr(language, " из ", " of ") + std::to_string(count);
    const std::string where = written.empty()
        ? Tr(language, "Запись остановилась на разделе " + at + "; ни один раздел не записан целиком.",
             "The write stopped at section " + at + "; no section has been written completely.")
        : Tr(language, "Запись остановилась на разделе " + at + ". Уже записаны разделы: " + SectionList(written) + ".",
             "The write stopped at section " + at + ". Sections already written: " + SectionList(written) + ".");
    return reason + "\n" + where + " " + MixText(!written.empty(), language) + "\n" + FinishText(restorePoint, language);
}

// Every section to be sent was sent (sent of count), but reading them back failed (reason).
std::string CheckFailedText(const std::string& reason, int sent, int count, const std::string& restorePoint, Language language)
{
    const std::string n = std::to_string(sent);
    const std::string which = sent < count
        ? Tr(language, "Отличавшиеся разделы (" + n + ") записаны, но прочитать их для проверки не удалось, поэтому неизвестно, сохранил ли их МК.",
             "The " + n + " differing sections were written, but reading them back for the check failed, so it is not known whether the device stored them.")
        : Tr(language, "Все разделы (" + n + ") записаны, но прочитать их для проверки не удалось, поэтому неизвестно, сохранил ли их МК.",
             "All " + n + " sections were written, but reading them back for the check failed, so it is not known whether the device stored them.");
    return reason + "\n" + which + " " + MixText(false, language) + "\n" + FinishText(restorePoint, language);
}

std::string NotStoredText(const std::vector<int>& sections, const std::string& restorePoint, Language language)
{
    const bool one = sections.size() == 1;
    const std::string list = SectionList(sections);
    return Tr(language, "Проверка после записи: МК не сохранил " + std::string(one ? "раздел " : "разделы ") + list + " в том виде, в каком "
                  + (one ? "он был отправлен." : "они были отправлены."),
              "The check after writing found that the device did not store " + std::string(one ? "section " : "sections ") + list
                  + " as sent.")
        + " " + MixText(true, language) + "\n" + FinishText(restorePoint, language);
}

} // namespace

std::vector<int> BlocksOfSections(const std::vector<std::uint8_t>& image)
{
    return BlocksOfSections(image, {});
}

std::vector<int> BlocksOfSections(const std::vector<std::uint8_t>& image, const std::vector<int>& sections)
{
    constexpr std::uint32_t kMemory = device::kMemorySize, kBlock = device::kBlockSize;
    std::vector<bool> covered(device::kBlockCount, false);
    const int count = std::min<int>(image.at(0), kDirectoryEntries);
    for (int k = 1; k <= count; ++k) {
        if (!sections.empty() && std::find(sections.begin(), sections.end(), k) == sections.end())
            continue;
        const DirectoryEntry e = EntryInImage(image, k);
        const std::uint32_t payload = e.deviceLength >= 4 ? e.deviceLength - 4u : 0u;
        for (std::uint32_t a = e.address; a < e.address + payload && a < kMemory; a = (a / kBlock + 1) * kBlock)
            covered[a / kBlock] = true;
    }
    std::vector<int> blocks;
    for (std::size_t b = 0; b < covered.size(); ++b)
        if (covered[b])
            blocks.push_back(static_cast<int>(b));
    return blocks;
}

std::vector<int> SectionsNotStored(DeviceLink& link, const std::vector<std::uint8_t>& image, TransferObserver& observer,
                                   const std::vector<int>& sections)
{
    const auto covered = BlocksOfSections(image, sections);
    const std::vector<std::uint16_t> blocks(covered.begin(), covered.end());
    std::vector<std::uint8_t> read(blocks.size() * device::kBlockSize);
    int shown = -1;
    ReadBlocksInStep(link, blocks, read, observer, [&](std::size_t n) {
        const int percent = Percent(static_cast<long>(n), static_cast<long>(blocks.size()));
        if (percent > shown)
            observer.Progress(shown = percent);
    });
    std::vector<std::uint8_t> memory(device::kMemorySize);
    for (std::size_t i = 0; i < blocks.size(); ++i)
        std::copy_n(read.begin() + static_cast<std::ptrdiff_t>(i * device::kBlockSize), device::kBlockSize,
                    memory.begin() + static_cast<std::ptrdiff_t>(blocks[i] * device::kBlockSize));
    std::vector<int> differing;
    const int count = std::min<int>(image.at(0), kDirectoryEntries);
    for (int k = 1; k <= count; ++k) {
        if (!sections.empty() && std::find(sections.begin(), sections.end(), k) == sections.end())
            continue;
        const DirectoryEntry e = EntryInImage(image, k);
        std::size_t imageOffset = 0, payload = 0;
        if (!SectionPlacement(e, imageOffset, payload) || imageOffset + payload > image.size())
            continue; // such a section is refused before anything is written
        if (!std::equal(memory.begin() + e.address, memory.begin() + e.address + static_cast<std::ptrdiff_t>(payload),
                        image.begin() + static_cast<std::ptrdiff_t>(imageOffset)))
            differing.push_back(k);
    }
    return differing;
}

std::vector<int> DifferingSections(const std::vector<std::uint8_t>& device, const std::vector<std::uint8_t>& next)
{
    std::vector<int> differing;
    const int count = next.empty() ? 0 : std::min<int>(next[0], kDirectoryEntries);
    for (int k = 1; k <= count; ++k) {
        const DirectoryEntry e = EntryInImage(next, k);
        std::size_t imageOffset = 0, payload = 0;
        const bool placed = SectionPlacement(e, imageOffset, payload) && imageOffset + payload <= next.size();
        // A section the device image does not hold whole counts as differing.
        if (!placed || imageOffset + payload > device.size()
            || !std::equal(next.begin() + static_cast<std::ptrdiff_t>(imageOffset),
                           next.begin() + static_cast<std::ptrdiff_t>(imageOffset + payload),
                           device.begin() + static_cast<std::ptrdiff_t>(imageOffset)))
            differing.push_back(k);
    }
    return differing;
}

TransferResult WriteDeviceSettings(DeviceLink& link, SettingsModel& model, TransferObserver& observer,
                                   const RestorePoints& restorePoints, const TransferTiming& timing, const WriteOptions& options,
                                   WriteSummary* summary)
{
    const Language language = observer.language;
    const int formatVersion = model.FormatVersion();
    CheckSettingsComplete(model, language);
    PortSession session(link, observer);
    const auto code = ConnectDevice(link, observer, timing);
    if (!code)
        return TransferResult::Cancelled;
    if (model.DeviceModelCode != *code)
        throw Error(DeviceVersionMismatchText(language));
    ReadSettingsMemory(link, model.Image, observer);
    const std::vector<std::uint8_t> previous = model.Image; // the device's settings as found
    for (int k = 1; k <= kRecordCount; ++k)
        model.EncodeSection(k);
    model.ReadDirectory();
    if (model.FormatVersion() != formatVersion)
        throw Error(FirmwareVersionMismatchText(language));
    CheckSectionsWritable(model.Image, language);
    // The directory is the device's own (the records were encoded into its
    // image), so each section sits where the device holds it.
    const std::vector<int> differing = DifferingSections(previous, model.Image);
    // A write to this unit that was cut off before: the unit may hold a mix
    // (unless it is another model now, on the same port).
    std::optional<WriteInProgress> cutOff = restorePoints.CutOffWrite();
    if (cutOff && cutOff->modelCode != *code)
        cutOff.reset();
    if (differing.empty() && !options.allSections) {
        // The unit holds every section of these settings: whole, not a mix.
        if (cutOff)
            restorePoints.ClearWriteNote();
        return TransferResult::Unchanged;
    }
    WriteScope scope = options.allSections ? WriteScope::Every : WriteScope::Changed;
    if (options.confirm)
        scope = options.confirm(previous, model.Image);
    if (scope == WriteScope::Nothing)
        return TransferResult::Cancelled;
    const int count = model.Image[0];
    std::vector<int> toSend;
    if (scope == WriteScope::Every)
        for (int k = 1; k <= count; ++k)
            toSend.push_back(k);
    else
        toSend = differing;

    // Without a way back nothing is written.
    std::string restorePoint;
    try {
        restorePoint = restorePoints.Save(*code, previous);
    } catch (const Error& e) {
        throw Error(Tr(language, "Точка восстановления не сохранена. ", "The restore point could not be saved. ") + e.what()
                    + Tr(language, " В МК ничего не записано.", " Nothing has been written to the device."));
    }
    // What the unit held was a mix when an earlier write was cut off: the
    // point says so and names the one with the last whole settings. This
    // write is noted before its first section, so that a run after it was
    // cut off knows.
    if (cutOff)
        restorePoints.MarkMixed(restorePoint, cutOff->lastWhole);
    try {
        restorePoints.NoteWriteStarted({restorePoints.Unit(), *code, RestorePoints::TimeText(std::chrono::system_clock::now()),
                                        restorePoint, cutOff ? cutOff->lastWhole : restorePoint});
    } catch (const Error& e) {
        throw Error(Tr(language, "Не удалось отметить начало записи. ", "The start of the write could not be noted. ") + e.what()
                    + Tr(language, " В МК ничего не записано.", " Nothing has been written to the device."));
    }
    observer.RestorePointSaved(restorePoint);

    std::vector<int> written;
    int current = toSend.front(); // the section being sent; 0 once all were sent
    std::vector<int> notStored;
    // From here on the device may change: every way out says what it holds.
    const auto incomplete = [&](const std::string& reason) {
        return WriteIncomplete(current > 0 ? StoppedText(reason, current, count, written, restorePoint, language)
                                           : CheckFailedText(reason, static_cast<int>(toSend.size()), count, restorePoint, language),
                               restorePoint, written);
    };
    try {
        observer.Phase(TransferPhase::Writing);
        observer.Progress(0);
        observer.ProcessEvents();
        for (std::size_t i = 0; i < toSend.size(); ++i) {
            const int k = toSend[i];
            current = k;
            const DirectoryEntry e = EntryInImage(model.Image, k);
            std::size_t imageOffset = 0, payload = 0;
            SectionPlacement(e, imageOffset, payload); // checked above
            const std::vector<std::uint8_t> buffer(model.Image.begin() + static_cast<std::ptrdiff_t>(imageOffset),
                                                   model.Image.begin() + static_cast<std::ptrdiff_t>(imageOffset + payload));
            link.ReplyTimeout = timing.writeReplyTimeout;
            // A section that failed is sent again whole, from its begin
            // command, when the user goes on; the sections acknowledged
            // before it are not sent again.
            for (;;) {
                try {
                    WriteSection(link, e.address, buffer);
                    break;
                } catch (const Error& failure) {
                    if (!observer.ContinueAfterFailure(SectionFailedText(failure.what(), k, count, language)))
                        throw;
                    // No late acknowledgement of the failed attempts may
                    // stand for one of the commands sent again.
                    link.Settle();
                }
            }
            written.push_back(k);
            observer.Progress(Percent(static_cast<long>(i + 1), static_cast<long>(toSend.size())));
        }
        current = 0;
        if (options.verify) {
            observer.Phase(TransferPhase::Verifying);
            observer.Progress(0);
            link.ReplyTimeout = timing.connectReplyTimeout;
            notStored = SectionsNotStored(link, model.Image, observer, toSend);
        }
    } catch (const Error& failure) {
        throw incomplete(failure.what());
    } catch (const TransferInterrupted&) {
        throw incomplete(InterruptedText(language));
    }
    if (!notStored.empty())
        throw WriteIncomplete(NotStoredText(notStored, restorePoint, language), restorePoint, written);
    restorePoints.ClearWriteNote(); // ended well: the unit holds these settings whole
    if (summary)
        *summary = WriteSummary{static_cast<int>(toSend.size()), static_cast<int>(differing.size()), count, options.verify, restorePoint};
    return TransferResult::Done;
}

} // namespace tc
