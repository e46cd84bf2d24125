#include "SimDevice.h"

#include "common/Bytes.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace tc::sim {

namespace {

constexpr std::uint8_t kOk = 0;
constexpr std::uint8_t kRefused = 1;
constexpr std::uint8_t kBusy = 255;

} // namespace

std::vector<std::vector<std::uint8_t>> FrameAssembler::Feed(std::span<const std::uint8_t> bytes)
{
    std::vector<std::vector<std::uint8_t>> frames;
    for (std::uint8_t b : bytes) {
        // A length below the smallest request cannot start a frame.
        if (partial_.empty() && b < 4)
            continue;
        partial_.push_back(b);
        if (partial_.size() == partial_[0]) {
            frames.push_back(std::move(partial_));
            partial_.clear();
        }
    }
    return frames;
}

SimDevice::SimDevice(std::vector<std::uint8_t> memory, std::uint16_t modelCode, SimFaults faults)
    : memory_(std::move(memory)), modelCode_(modelCode), faults_(faults), random_(faults.seed)
{
    if (memory_.size() != kMemorySize)
        throw std::invalid_argument("the device memory must hold 8192 bytes");
}

bool SimDevice::Chance(double rate)
{
    if (rate <= 0.0)
        return false;
    // mt19937's numbers are the same on every standard library; the
    // library's distributions are not.
    return static_cast<double>(random_()) < rate * 4294967296.0;
}

bool SimDevice::TakeMemoryChanged()
{
    const bool c = changed_;
    changed_ = false;
    return c;
}

std::vector<std::uint8_t> SimDevice::Reply(std::uint8_t status, std::span<const std::uint8_t> data, std::uint8_t address)
{
    std::vector<std::uint8_t> r;
    r.reserve(data.size() + 6);
    for (std::uint8_t b : {std::uint8_t{0}, address, std::uint8_t{0x01}, std::uint8_t{0x00}, status})
        r.push_back(b);
    for (std::uint8_t b : data)
        r.push_back(b);
    r[0] = static_cast<std::uint8_t>(r.size() + 1);
    unsigned sum = 0;
    for (auto b : r)
        sum += b;
    r.push_back(static_cast<std::uint8_t>((256 - sum % 256) % 256));
    return r;
}

SimDevice::Answer SimDevice::Respond(std::span<const std::uint8_t> frame)
{
    // [L][address][01 00][command][parameters][checksum]
    if (frame.size() < 6 || frame[0] != frame.size())
        return {};
    unsigned sum = 0;
    for (auto b : frame)
        sum += b;
    if (sum % 256 != 0)
        return {}; // a garbled request is not answered
    const std::uint8_t address = frame[1];
    const std::uint8_t cmd = frame[4];
    const bool query = address == 0 && cmd == 0;
    if (address != kAddress && !query)
        return {};
    ++requests_;
    if (cmd == 12 && faults_.stallAfterSection >= 0 && sectionsEnded_ >= static_cast<unsigned long>(faults_.stallAfterSection))
        stalled_ = true;
    if (faults_.silent || stalled_ || (faults_.stallAfter >= 0 && requests_ > static_cast<unsigned long>(faults_.stallAfter)))
        return {};
    ++replies_;
    Answer answer;
    answer.twice = faults_.duplicateEvery > 0 && replies_ % faults_.duplicateEvery == 0;
    if (const auto pause = faults_.pauses.find(requests_); pause != faults_.pauses.end())
        answer.delay = pause->second;
    if (faults_.noiseEvery > 0 && replies_ % faults_.noiseEvery == 0)
        for (unsigned k = 0; k < faults_.noiseBytes; ++k)
            answer.noise.push_back(kNoise[k % std::size(kNoise)]);
    if (cmd == 5 && frame.size() >= 8) {
        // A late block is late once; asked again, it is answered at once.
        const auto late = faults_.lateBlocks.find(GetU16(frame, 5));
        if (late != faults_.lateBlocks.end()) {
            answer.delay = late->second;
            faults_.lateBlocks.erase(late);
        }
    }
    if ((faults_.busyEvery > 0 && replies_ % faults_.busyEvery == 0) || Chance(faults_.busyRate)) {
        answer.reply = Reply(kBusy);
        return answer;
    }
    answer.reply = query ? Reply(kOk) : Execute(cmd, frame.subspan(5, frame.size() - 6));
    if ((faults_.corruptEvery > 0 && replies_ % faults_.corruptEvery == 0) || Chance(faults_.corruptRate))
        answer.reply.back() = static_cast<std::uint8_t>(answer.reply.back() + 1);
    else if (Chance(faults_.spoilRate))
        Spoil(answer.reply);
    return answer;
}

void SimDevice::Spoil(std::vector<std::uint8_t>& reply)
{
    // The data bytes lie between the status byte and the check byte.
    constexpr std::size_t kFirstData = 5;
    const std::size_t spoilt = faults_.spoilBytes;
    if (spoilt == 0 || reply.size() < kFirstData + 1 + spoilt)
        return;
    const std::size_t stretch = (reply.size() - 1 - kFirstData) / spoilt;
    const bool keepSum = Chance(faults_.spoilValid);
    int balance = 0;
    for (std::size_t k = 0; k < spoilt; ++k) {
        // One byte in each of spoilBytes stretches, so that no byte is changed twice.
        const std::size_t at = kFirstData + k * stretch + random_() % stretch;
        const bool last = k + 1 == spoilt;
        const int change = keepSum && last ? -balance : static_cast<int>(random_() % 255) + 1;
        reply[at] = static_cast<std::uint8_t>(reply[at] + change);
        balance += change;
    }
    // Changes that happened to cancel out still spoil the sum when it should fail.
    if (!keepSum && balance % 256 == 0)
        reply[kFirstData] = static_cast<std::uint8_t>(reply[kFirstData] + 1);
}

SimLine::SimLine(SimDevice& device, std::chrono::nanoseconds charTime) : device_(device), charTime_(charTime) {}

std::vector<SimLine::Outgoing> SimLine::Receive(std::span<const std::uint8_t> bytes, Clock::time_point now)
{
    std::vector<Outgoing> out;
    if (assembler_.Partial() && now - lastByte_ > kFrameGap)
        assembler_.Reset();
    lastByte_ = now;
    for (std::uint8_t b : bytes) {
        requestIn_ = std::max(requestIn_, now) + charTime_;
        for (auto& frame : assembler_.Feed(std::span<const std::uint8_t>(&b, 1))) {
            SimDevice::Answer answer = device_.Respond(frame);
            if (answer.reply.empty())
                continue;
            const auto at = std::max(requestIn_ + answer.delay, replyOut_);
            if (answer.twice) {
                const std::vector<std::uint8_t> copy = answer.reply;
                answer.reply.insert(answer.reply.end(), copy.begin(), copy.end());
            }
            answer.reply.insert(answer.reply.end(), answer.noise.begin(), answer.noise.end());
            replyOut_ = at + charTime_ * static_cast<long>(answer.reply.size());
            out.push_back({at, std::move(answer.reply)});
        }
    }
    return out;
}

std::vector<std::uint8_t> SimDevice::Execute(std::uint8_t cmd, std::span<const std::uint8_t> p)
{
    switch (cmd) {
    case 1: { // connect: one byte, then the model code
        std::uint8_t data[3] = {1, 0, 0};
        PutU16(data, 1, modelCode_);
        return Reply(kOk, data);
    }
    case 5: { // read one 32-byte block
        if (p.size() < 2 || GetU16(p, 0) >= device::kBlockCount)
            return Reply(kRefused);
        const std::size_t at = GetU16(p, 0) * device::kBlockSize;
        return Reply(kOk, std::span<const std::uint8_t>(memory_.data() + at, device::kBlockSize));
    }
    case 12: { // begin a section
        if (p.size() < 4 || GetU16(p, 0) + std::size_t{GetU16(p, 2)} > kMemorySize)
            return Reply(kRefused);
        sectionOpen_ = true;
        sectionAddress_ = GetU16(p, 0);
        section_.assign(memory_.begin() + sectionAddress_, memory_.begin() + sectionAddress_ + GetU16(p, 2));
        return Reply(kOk);
    }
    case 4: { // one chunk of the open section
        if (!sectionOpen_ || p.size() < 4)
            return Reply(kRefused);
        const std::size_t at = GetU16(p, 0) * device::kBlockSize;
        const std::size_t count = GetU16(p, 2);
        if (count != p.size() - 4 || at > section_.size() || count > section_.size() - at)
            return Reply(kRefused);
        std::copy(p.begin() + 4, p.end(), section_.begin() + static_cast<std::ptrdiff_t>(at));
        return Reply(kOk);
    }
    case 7: { // end the section: its bytes become the memory
        if (p.size() < 4)
            return Reply(kRefused);
        if (!sectionOpen_) // a repeated end after a lost reply
            return Reply(kOk);
        if (GetU16(p, 0) != sectionAddress_ || GetU16(p, 2) != section_.size())
            return Reply(kRefused);
        sectionOpen_ = false;
        if (++sectionsEnded_ == faults_.dropSection)
            return Reply(kOk); // acknowledged, but the memory keeps its old bytes
        std::copy(section_.begin(), section_.end(), memory_.begin() + sectionAddress_);
        changed_ = true;
        return Reply(kOk);
    }
    default:
        return Reply(kRefused);
    }
}

} // namespace tc::sim
