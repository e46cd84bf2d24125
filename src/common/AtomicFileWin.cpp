// The Windows side of whole-file reads and crash-safe saves: the content goes
// to ".NAME.tmp-XXXXXX" beside the target, opened without sharing, is flushed
// to disk and then moved over the target with MoveFileEx (replace, write
// through). Names are UTF-8 and reach the system as wide characters.
#include "common/AtomicFile.h"
#include "common/AtomicFileTexts.h"

#include "common/Error.h"
#include "common/Language.h"
#include "common/WinSystem.h"

#include <atomic>

#include <windows.h>

namespace tc {

namespace {

using win::SystemReason;
using win::Wide;

class Handle {
public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    ~Handle() { Reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    void Reset(HANDLE h = INVALID_HANDLE_VALUE)
    {
        if (valid())
            CloseHandle(h_);
        h_ = h;
    }

private:
    HANDLE h_;
};

using namespace detail;

std::size_t LastSeparator(const std::string& path)
{
    return path.find_last_of("/\\");
}

} // namespace

std::string detail::FolderOf(const std::string& path)
{
    const auto slash = LastSeparator(path);
    if (slash == std::string::npos)
        return ".";
    return slash == 0 || (slash == 2 && path[1] == ':') ? path.substr(0, slash + 1) : path.substr(0, slash);
}

std::string detail::NameOf(const std::string& path)
{
    const auto slash = LastSeparator(path);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

namespace {

std::string Join(const std::string& folder, const std::string& name)
{
    return folder.empty() || folder.back() == '/' || folder.back() == '\\' ? folder + name : folder + "/" + name;
}

} // namespace

// Temporary files of `name` whose writer is gone: a live writer holds its
// file open without sharing, so only the left-behind ones can be deleted.
void detail::RemoveStaleTemporaries(const std::string& folder, const std::string& name)
{
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(Wide(Join(folder, TemporaryPrefix(name) + "*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    const std::size_t expected = TemporaryPrefix(name).size() + 6;
    do {
        const std::string entry = win::Narrow(found.cFileName);
        if (entry.size() == expected && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileW(Wide(Join(folder, entry)).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// Every temporary file has a name on Windows; the switch is kept for the tests.
void UseNamedTemporaryFiles(bool) {}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path, std::size_t maxSize, Language language)
{
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw Error(NotAFileText(path, language));
    Handle file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        throw Error(OpenFailedText(path, language) + SystemReason(GetLastError()));
    if (GetFileType(file.get()) != FILE_TYPE_DISK)
        throw Error(NotAFileText(path, language));
    return ReadAllChunks(path, maxSize, language, [&](std::uint8_t* into, std::size_t size) -> std::size_t {
        DWORD n = 0;
        if (!ReadFile(file.get(), into, static_cast<DWORD>(size), &n, nullptr))
            throw Error(ReadFailedText(path, language) + SystemReason(GetLastError()));
        return n;
    });
}

std::string CheckSaveTarget(const std::string& path, Language language)
{
    const std::string failed = FailedText(path, language);
    if (path.empty())
        throw Error(failed + SystemReason(ERROR_FILE_NOT_FOUND));
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            throw Error(NotRegularText(path, language));
        // A read-only file stays as it is, as a direct write would leave it.
        if (attributes & FILE_ATTRIBUTE_READONLY)
            throw Error(failed + SystemReason(ERROR_ACCESS_DENIED));
        Handle probe(CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (probe.valid() && GetFileType(probe.get()) != FILE_TYPE_DISK)
            throw Error(NotRegularText(path, language));
    } else if (const DWORD err = GetLastError(); err != ERROR_FILE_NOT_FOUND) {
        throw Error(failed + SystemReason(err));
    }
    const std::string folder = FolderOf(path);
    const DWORD dir = GetFileAttributesW(Wide(folder).c_str());
    if (dir == INVALID_FILE_ATTRIBUTES)
        throw Error(failed + SystemReason(GetLastError()));
    if (!(dir & FILE_ATTRIBUTE_DIRECTORY))
        throw Error(failed + SystemReason(ERROR_DIRECTORY));
    return path;
}

void WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes, Language language)
{
    const SaveTarget save = StartSave(path, language);
    const std::string &failed = save.failed, &target = save.target, &folder = save.folder, &name = save.name;

    RemoveStaleTemporaries(folder, name);

    std::string tempName;
    Handle temp;
    for (int attempt = 0; attempt < 100 && !temp.valid(); ++attempt) {
        tempName = Join(folder, TemporaryPrefix(name) + RandomSuffix());
        temp.Reset(CreateFileW(Wide(tempName).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!temp.valid() && GetLastError() != ERROR_FILE_EXISTS)
            throw Error(failed + SystemReason(GetLastError()));
    }
    if (!temp.valid())
        throw Error(failed + SystemReason(ERROR_FILE_EXISTS));
    auto fail = [&](DWORD err) {
        temp.Reset();
        DeleteFileW(Wide(tempName).c_str());
        throw Error(failed + SystemReason(err));
    };
    for (std::size_t done = 0; done < bytes.size();) {
        DWORD n = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        if (!WriteFile(temp.get(), bytes.data() + done, chunk, &n, nullptr) || n == 0)
            fail(GetLastError());
        done += n;
    }
    if (!FlushFileBuffers(temp.get()))
        fail(GetLastError());
    temp.Reset();
    if (!MoveFileExW(Wide(tempName).c_str(), Wide(target).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD err = GetLastError();
        DeleteFileW(Wide(tempName).c_str());
        throw Error(failed + SystemReason(err));
    }
}

} // namespace tc
