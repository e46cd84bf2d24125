#include "model/RestorePoints.h"

#include "common/AtomicFile.h"
#include "common/Error.h"
#include "common/Language.h"
#include "common/LocalTime.h"
#include "common/WideText.h"
#include "model/SettingsFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <regex>
#include <tuple>

#ifdef _WIN32
#include "common/WinSystem.h"

#include <windows.h>
#include <shlobj.h>
#else
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tc {

namespace {

constexpr int kMaxPerSecond = 999;
constexpr const char* kUnitSuffix = ".unit";
constexpr const char* kMixedSuffix = ".mixed";
constexpr std::size_t kMaxNote = 16384;
constexpr std::size_t kMaxUnitNote = 4096;
#ifdef _WIN32
constexpr const char* kSeparator = "\\";
constexpr const char* kSeparators = "/\\"; // either ends a folder's name
#else
constexpr const char* kSeparator = "/";
constexpr const char* kSeparators = "/";
#endif

#ifdef _WIN32
// The user's roaming application data (%APPDATA%, else the known folder).
std::string AppDataFolder()
{
    if (const wchar_t* data = _wgetenv(L"APPDATA"); data && *data)
        return win::Narrow(data);
    wchar_t* known = nullptr;
    std::string folder;
    if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &known) == S_OK && known)
        folder = win::Narrow(known);
    CoTaskMemFree(known);
    return folder.empty() ? "." : folder;
}

// One folder of a path made, there already, or a drive's root (which
// answers access denied); false with the system's reason otherwise.
bool MakeOneFolder(const std::string& path, std::string& reason)
{
    if (path.back() == ':' || CreateDirectoryW(win::Wide(path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS
        || GetLastError() == ERROR_ACCESS_DENIED)
        return true;
    reason = win::SystemReason(GetLastError());
    return false;
}

bool IsFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(win::Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool NameTaken(const std::string& path)
{
    return GetFileAttributesW(win::Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}
#else
std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/";
}

// One folder of a path made (private to the user, as data folders are) or
// there already; false with the system's reason otherwise.
bool MakeOneFolder(const std::string& path, std::string& reason)
{
    if (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST)
        return true;
    reason = std::strerror(errno);
    return false;
}

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool NameTaken(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}
#endif

// Creates the folder and its missing parents.
void MakeFolders(const std::string& folder, Language language)
{
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = folder.find_first_of(kSeparators, pos + 1);
        const std::string path = folder.substr(0, pos);
        std::string reason;
        if (!path.empty() && !MakeOneFolder(path, reason))
            throw Error(Tr(language, "Не удаётся создать папку \"" + path + "\": ", "Cannot create folder \"" + path + "\": ") + reason);
    }
    if (!IsFolder(folder))
        throw Error(Tr(language, "\"" + folder + "\" не является папкой.", "\"" + folder + "\" is not a folder."));
}

std::tm LocalTime(std::chrono::system_clock::time_point when)
{
    return tc::LocalTime(std::chrono::system_clock::to_time_t(when));
}

const std::regex& NamePattern()
{
    static const std::regex pattern(R"(^([0-9A-F]{4})_(\d{4}-\d{2}-\d{2})_(\d{2})-(\d{2})-(\d{2})(?:_(\d{1,3}))?\.qvetp$)");
    return pattern;
}

} // namespace

RestorePoints::RestorePoints(std::string folder, std::string unit, Language language)
    : folder_(std::move(folder)), unit_(std::move(unit)), language_(language)
{
    while (folder_.size() > 1 && (folder_.back() == '/' || folder_.back() == kSeparator[0]))
        folder_.pop_back();
}

void MakePrivateFolders(const std::string& folder, Language language)
{
    MakeFolders(folder, language);
}

std::string RestorePoints::DefaultFolder()
{
#ifdef _WIN32
    return AppDataFolder() + "\\tripconf\\restore-points";
#else
    const char* data = std::getenv("XDG_DATA_HOME");
    const std::string base = data && data[0] == '/' ? std::string(data) : HomeFolder() + "/.local/share";
    return (base.size() > 1 && base.back() == '/' ? base.substr(0, base.size() - 1) : base) + "/tripconf/restore-points";
#endif
}

std::string RestorePoints::FileName(std::uint16_t modelCode, std::chrono::system_clock::time_point when, int counter)
{
    const std::tm t = LocalTime(when);
    char name[64];
    std::snprintf(name, sizeof name, "%04X_%04d-%02d-%02d_%02d-%02d-%02d", static_cast<unsigned>(modelCode), t.tm_year + 1900,
                  t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    std::string result = name;
    if (counter > 1)
        result += "_" + std::to_string(counter);
    return result + ".qvetp";
}

std::string RestorePoints::TimeText(std::chrono::system_clock::time_point when)
{
    const std::tm t = LocalTime(when);
    char text[64]; // room for any year the format could print
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return text;
}

std::string RestorePoints::Save(std::uint16_t modelCode, const std::vector<std::uint8_t>& image,
                                std::chrono::system_clock::time_point when) const
{
    MakeFolders(folder_, language_);
    for (int counter = 1; counter <= kMaxPerSecond; ++counter) {
        const std::string path = folder_ + kSeparator + FileName(modelCode, when, counter);
        if (NameTaken(path))
            continue; // an earlier point is never replaced
        WriteFileAtomically(path, EncodeSettingsFile(modelCode, image), language_);
        if (!unit_.empty()) {
            // The note only labels the point in lists: a point without it is still whole.
            try {
                WriteFileAtomically(path + kUnitSuffix, std::vector<std::uint8_t>(unit_.begin(), unit_.end()), language_);
            } catch (const std::exception&) {
            }
        }
        Prune(modelCode, path);
        return path;
    }
    throw Error(Tr(language_, "В папке \"" + folder_ + "\" слишком много точек восстановления за одну секунду.",
                   "Too many restore points within one second in \"" + folder_ + "\"."));
}

std::vector<RestorePoint> RestorePoints::List() const
{
    struct Found {
        RestorePoint point;
        int counter;
    };
    std::vector<Found> found;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(PathFromUtf8(folder_), ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec))
            continue;
        const std::string name = Utf8FromPath(it->path().filename());
        std::smatch m;
        if (!std::regex_match(name, m, NamePattern()))
            continue;
        RestorePoint p;
        p.path = folder_ + kSeparator + name;
        p.modelCode = static_cast<std::uint16_t>(std::stoul(m[1].str(), nullptr, 16));
        p.time = m[2].str() + " " + m[3].str() + ":" + m[4].str() + ":" + m[5].str();
        try {
            const auto note = ReadWholeFile(p.path + kUnitSuffix, kMaxUnitNote, language_);
            p.unit.assign(note.begin(), note.end());
            // One line of text: a note that is not is shown cut at its first control character.
            const auto cut = std::find_if(p.unit.begin(), p.unit.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
            p.unit.erase(cut, p.unit.end());
        } catch (const std::exception&) {
            p.unit.clear(); // no note, or an unreadable one: the unit is not known
        }
        try {
            const auto mixed = ReadWholeFile(p.path + kMixedSuffix, kMaxUnitNote, language_);
            p.mixed = true;
            p.lastWhole.assign(mixed.begin(), mixed.end());
            const auto cut = std::find_if(p.lastWhole.begin(), p.lastWhole.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
            p.lastWhole.erase(cut, p.lastWhole.end());
        } catch (const std::exception&) {
            // no mark: the point was taken of a unit not known to hold a mix
        }
        found.push_back({std::move(p), m[6].matched ? std::stoi(m[6].str()) : 1});
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return std::tie(a.point.time, a.counter, a.point.modelCode) < std::tie(b.point.time, b.counter, b.point.modelCode);
    });
    std::vector<RestorePoint> points;
    for (auto& f : found)
        points.push_back(std::move(f.point));
    return points;
}

std::vector<std::string> RestorePoints::Prune(std::uint16_t modelCode, const std::string& keep, std::size_t kept) const noexcept
{
    std::vector<std::string> removed;
    try {
        std::vector<std::string> ofModel; // oldest first
        for (const auto& p : List())
            if (p.modelCode == modelCode)
                ofModel.push_back(p.path);
        std::size_t count = ofModel.size();
        for (const auto& path : ofModel) {
            if (count <= kept)
                break;
            if (path == keep)
                continue;
            std::error_code ec;
            if (!std::filesystem::remove(PathFromUtf8(path), ec) || ec)
                continue;
            std::filesystem::remove(PathFromUtf8(path + kUnitSuffix), ec);
            std::filesystem::remove(PathFromUtf8(path + kMixedSuffix), ec);
            removed.push_back(path);
            --count;
        }
    } catch (const std::exception&) {
        // Pruning only tidies up: the points saved stay valid whatever happens here.
    }
    return removed;
}

std::string RestorePoints::NotePath() const
{
    // One note per unit: its serial device with every character but letters
    // and digits made "_".
    std::string key = unit_.empty() ? std::string("unknown") : unit_;
    for (char& c : key)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return folder_ + kSeparator + "write-in-progress-" + key + ".txt";
}

void RestorePoints::NoteWriteStarted(const WriteInProgress& write) const
{
    MakeFolders(folder_, language_);
    char model[8];
    std::snprintf(model, sizeof model, "%04X", static_cast<unsigned>(write.modelCode));
    const std::string text = "port=" + write.port + "\nmodel=" + model + "\nstarted=" + write.started + "\nrestore-point="
        + write.restorePoint + "\nlast-whole=" + write.lastWhole + "\n";
    WriteFileAtomically(NotePath(), std::vector<std::uint8_t>(text.begin(), text.end()), language_);
}

void RestorePoints::ClearWriteNote() const noexcept
{
    std::error_code ec;
    std::filesystem::remove(PathFromUtf8(NotePath()), ec);
}

std::optional<WriteInProgress> RestorePoints::CutOffWrite() const
{
    std::vector<std::uint8_t> bytes;
    try {
        bytes = ReadWholeFile(NotePath(), kMaxNote, language_);
    } catch (const std::exception&) {
        return std::nullopt; // no note: no write was cut off
    }
    WriteInProgress write;
    const std::string text(bytes.begin(), bytes.end());
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "port")
            write.port = value;
        else if (key == "model" && value.size() == 4 && std::all_of(value.begin(), value.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
            write.modelCode = static_cast<std::uint16_t>(std::stoul(value, nullptr, 16));
        else if (key == "started")
            write.started = value;
        else if (key == "restore-point")
            write.restorePoint = value;
        else if (key == "last-whole")
            write.lastWhole = value;
    }
    if (write.lastWhole.empty())
        write.lastWhole = write.restorePoint;
    if (write.port.empty())
        write.port = unit_;
    return write;
}

void RestorePoints::MarkMixed(const std::string& path, const std::string& lastWhole) const noexcept
{
    try {
        WriteFileAtomically(path + kMixedSuffix, std::vector<std::uint8_t>(lastWhole.begin(), lastWhole.end()), language_);
    } catch (const std::exception&) {
        // The mark only labels the point in lists.
    }
}

} // namespace tc
