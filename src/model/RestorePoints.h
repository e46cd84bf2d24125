#pragma once
// Restore points: the device's settings as a write found them, kept as
// ordinary settings files in the user's data folder, so that a write that
// stops half way (or stores something else) can be undone by writing one back.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tc {

struct RestorePoint {
    std::string path;
    std::uint16_t modelCode = 0;
    std::string time; // local time of the save, "2025-01-31 12:00:05"
    std::string unit; // the serial device of the unit the write went to; empty when not known
};

// Creates the folder and its missing parents, private to the user; throws
// tc::Error (user text) when it cannot.
void MakePrivateFolders(const std::string& folder);

class RestorePoints {
public:
    // How many points of one device model are kept: saving one more removes the oldest.
    static constexpr std::size_t kKeptPerModel = 50;

    // Keeps its files in folder (created when the first point is saved).
    // unit names the unit the points come from (its serial device); it is
    // kept beside each point in "NAME.qvetp.unit" when not empty.
    explicit RestorePoints(std::string folder, std::string unit = {});

    // $XDG_DATA_HOME/tripconf/restore-points; ~/.local/share/tripconf/restore-points
    // when XDG_DATA_HOME is unset, empty or not an absolute path. On Windows
    // %APPDATA%\tripconf\restore-points (the user's roaming AppData).
    static std::string DefaultFolder();

    // "C000_2025-01-31_12-00-05.qvetp"; a second point within the same second
    // of the same model gets "_2", then "_3", before the extension.
    static std::string FileName(std::uint16_t modelCode, std::chrono::system_clock::time_point when, int counter = 1);

    const std::string& Folder() const { return folder_; }

    // Saves the model code and image as a settings file and returns its path.
    // Never replaces an earlier point. Throws tc::Error (user text) when the
    // folder or the file cannot be written. Then the oldest points of the
    // model beyond kKeptPerModel are removed (Prune); that never fails a save.
    std::string Save(std::uint16_t modelCode, const std::vector<std::uint8_t>& image,
                     std::chrono::system_clock::time_point when = std::chrono::system_clock::now()) const;

    // Every restore point in the folder, oldest first; other files are left out.
    // An absent folder holds none.
    std::vector<RestorePoint> List() const;

    // Removes the oldest points of modelCode (and their unit notes) until at
    // most `kept` remain, never the point at `keep`. Returns the paths removed;
    // a point that cannot be removed is passed over, nothing throws.
    std::vector<std::string> Prune(std::uint16_t modelCode, const std::string& keep, std::size_t kept = kKeptPerModel) const noexcept;

private:
    std::string folder_;
    std::string unit_;
};

} // namespace tc
