#pragma once
// What the POSIX and the Windows side of the reads and saves share: their
// messages, the reading of a file in chunks, the names of the temporary
// files and the start of a save.
#include "common/AtomicFile.h"
#include "common/Error.h"
#include "common/Language.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace tc::detail {

inline std::string FailedText(const std::string& path, Language language)
{
    return Tr(language, "Не удаётся записать файл \"" + path + "\": ", "Cannot write file \"" + path + "\": ");
}

inline std::string NotRegularText(const std::string& path, Language language)
{
    return Tr(language, "Файл \"" + path + "\" не записан: это не обычный файл, а папка, канал или устройство.",
              "File \"" + path + "\" was not written: it is not a regular file but a folder, a pipe or a device.");
}

inline std::string OpenFailedText(const std::string& path, Language language)
{
    return Tr(language, "Не удаётся открыть файл \"" + path + "\": ", "Cannot open file \"" + path + "\": ");
}

inline std::string NotAFileText(const std::string& path, Language language)
{
    return Tr(language, "\"" + path + "\" не является обычным файлом (это папка, канал или устройство).",
              "\"" + path + "\" is not a regular file (it is a folder, a pipe or a device).");
}

inline std::string ReadFailedText(const std::string& path, Language language)
{
    return Tr(language, "Ошибка чтения файла \"" + path + "\": ", "Error reading file \"" + path + "\": ");
}

// A file's whole content, chunk by chunk: read(into, size) gives the bytes it
// read (0 at the end) or throws; more than maxSize bytes are refused.
template <class Read>
std::vector<std::uint8_t> ReadAllChunks(const std::string& path, std::size_t maxSize, Language language, Read read)
{
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[8192];
    while (const std::size_t n = read(chunk, sizeof chunk)) {
        if (bytes.size() + n > maxSize)
            throw Error(Tr(language, "Файл \"" + path + "\" слишком велик.", "File \"" + path + "\" is too large."));
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
}

// ".NAME.tmp-": the start of a named temporary file of NAME.
inline std::string TemporaryPrefix(const std::string& name)
{
    return "." + name + ".tmp-";
}

// Six letters or digits that end such a name.
inline std::string RandomSuffix()
{
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 gen{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kChars - 2);
    std::string s(6, 'x');
    for (auto& c : s)
        c = kChars[pick(gen)];
    return s;
}

// Each side's own: a path's folder and file name, and the removal of the
// temporary files that earlier saves of `name` left behind in `folder`.
std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);
void RemoveStaleTemporaries(const std::string& folder, const std::string& name);

// Where a save goes: the head of its failure messages, the target that
// CheckSaveTarget approved, and the target's folder and name.
struct SaveTarget {
    std::string failed, target, folder, name;
};
inline SaveTarget StartSave(const std::string& path, Language language)
{
    SaveTarget save{FailedText(path, language), CheckSaveTarget(path, language), {}, {}};
    save.folder = FolderOf(save.target);
    save.name = NameOf(save.target);
    return save;
}

} // namespace tc::detail
