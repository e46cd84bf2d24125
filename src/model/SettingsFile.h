#pragma once
// The settings file: the device model code followed by the scrambled image.
#include "model/SettingsModel.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tc {

constexpr std::size_t kSettingsKeySize = 4096;
constexpr std::size_t kMaxImageSize = 8128; // 8192 bytes without blocks 0 and 128
const std::array<std::uint8_t, kSettingsKeySize>& SettingsKey();

// The file's bytes for a model code and an image (scrambling is its own inverse).
std::vector<std::uint8_t> EncodeSettingsFile(std::uint16_t modelCode, const std::vector<std::uint8_t>& image);

// Writes DeviceModelCode and Image; the old file is replaced only once the new one is complete.
void WriteSettingsFile(const SettingsModel& model, const std::string& fileName, Language language);

// Reads a file into DeviceModelCode and Image without judging its content:
// the file's image bytes replace the whole image. A file without a whole
// header, or with more image bytes than the device has, is refused with a
// tc::Error and changes nothing. Loading settings goes through
// LoadSettingsFile, which judges them.
void ReadSettingsFile(SettingsModel& model, const std::string& fileName, Language language);

// Settings as a file (or a read from the unit) holds them, judged.
struct JudgedSettings {
    std::uint16_t modelCode = 0;
    std::vector<std::uint8_t> image;
    std::vector<std::string> warnings; // user texts (current language) of what is accepted but unusual
};

// Why an image cannot be taken as settings (current language), or empty:
// shorter than its directory, a directory that places a section outside the
// readable memory, a section that runs past the image's end or past its
// record (sections 1..11).
std::string ImageProblem(const std::vector<std::uint8_t>& image, Language language);
// What is unusual but accepted in settings that passed ImageProblem: a model
// code the program does not list, a format version other than the one it
// knows, an image shorter than the unit's memory (how many bytes are missing).
std::vector<std::string> SettingsWarnings(std::uint16_t modelCode, const std::vector<std::uint8_t>& image, Language language);

// The one judgement of a settings file, for the window and the command line
// alike: refused (tc::Error naming the file and why) when it is not settings
// by ImageProblem; otherwise its code, image and warnings.
JudgedSettings LoadSettingsFile(const std::string& fileName, Language language);
// Makes judged settings the model's: the model code and the whole image are
// replaced, every section decoded. Returns the warnings followed by what
// could not be decoded.
std::vector<std::string> ApplySettings(SettingsModel& model, const JudgedSettings& settings, Language language);

// A read from the unit whose image fails ImageProblem is not kept as
// settings: its raw image is saved only as a diagnostic file, and the user is
// told why with this text (the problem and where the diagnostic file is).
std::string DamagedReadText(const std::string& problem, const std::string& diagnosticPath, Language language);
// Saves the raw image in folder as "damaged-read_C000_<time>.bin" (folder
// created when missing) and returns its path; throws tc::Error (user text).
std::string SaveDiagnosticImage(const std::string& folder, std::uint16_t modelCode, const std::vector<std::uint8_t>& image, Language language);

} // namespace tc
