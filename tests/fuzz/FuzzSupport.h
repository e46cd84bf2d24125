#pragma once
// Shared pieces of the libFuzzer targets: a findings check that stops the run
// with its condition, a scratch file per process, and a byte reader that
// takes choices from the front of the input.
#include "catalogs/Catalogs.h"
#include "common/Language.h"
#include "model/SettingsModel.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#define FUZZ_REQUIRE(cond)                                                                         \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "finding: %s (%s:%d)\n", #cond, __FILE__, __LINE__);              \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace tc::fuzz {

// The language of the texts the fuzzers ask for: Russian, the language of a
// fresh start. What is accepted or refused does not depend on it.
constexpr Language kLanguage = Language::Russian;

// A file (or folder) of this process in memory-backed storage, rewritten for
// each input and removed when the process ends.
inline std::string ScratchFile(const std::string& name)
{
    static std::vector<std::string> made;
    const char* dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
    if (made.empty())
        std::atexit([] {
            for (const auto& path : made) {
                std::error_code ec;
                std::filesystem::remove_all(path, ec);
            }
        });
    made.push_back(std::string(dir) + "/tripconf-fuzz-" + std::to_string(::getpid()) + "-" + name);
    return made.back();
}

inline void WriteScratch(const std::string& path, std::span<const std::uint8_t> bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    FUZZ_REQUIRE(fd >= 0);
    FUZZ_REQUIRE(::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()));
    ::close(fd);
}

// A fresh model with every default. Building one evaluates the catalogs,
// which costs more than a whole run: copies of one built at start are the same.
inline SettingsModel FreshModel()
{
    static const SettingsModel prototype;
    return prototype;
}

// Evaluates the catalog of the model's device model; the catalog of the same
// code twice in a row is taken from the run before.
inline void EvaluateOnce(SettingsModel& model)
{
    static std::shared_ptr<const Catalog> last;
    if (last && last->ModelCode == model.DeviceModelCode)
        model.UseCatalog(last);
    else
        model.EvaluateCatalog(kLanguage);
    last = model.SharedCatalog();
}

// Takes choices from the front of the input; zeros once it is used up.
class Choices {
public:
    Choices(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::uint32_t U32()
    {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = v << 8 | Byte();
        return v;
    }
    bool Empty() const { return pos_ >= size_; }
    std::vector<std::uint8_t> Rest() const
    {
        return pos_ < size_ ? std::vector<std::uint8_t>(data_ + pos_, data_ + size_) : std::vector<std::uint8_t>{};
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// Fills a fresh model from the input: the model code (two bytes), then the
// rest over the start of the image, decoded. False when the rest is longer
// than the image.
inline bool FillModel(Choices& in, SettingsModel& model)
{
    model.DeviceModelCode = static_cast<std::uint16_t>(in.Byte() | in.Byte() << 8);
    const auto image = in.Rest();
    if (image.size() > model.Image.size())
        return false;
    std::copy(image.begin(), image.end(), model.Image.begin());
    model.DecodeAll(kLanguage);
    return true;
}

} // namespace tc::fuzz
