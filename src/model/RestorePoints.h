#pragma once
// Restore points: the device's settings as a write found them, kept as
// ordinary settings files in the user's data folder, so that a write that
// stops half way (or stores something else) can be undone by writing one back.
#include "common/Language.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tc {

struct RestorePoint {
    std::string path;
    std::uint16_t modelCode = 0;
    std::string time; // local time of the save, "2025-01-31 12:00:05"
    std::string unit; // the serial device of the unit the write went to; empty when not known
    // Taken of a unit known to hold a mix: an earlier write to it was cut off.
    bool mixed = false;
    std::string lastWhole; // for a mixed point: the point that holds the unit's last whole settings, when known
};

// A write noted before its first section and not (yet) seen to end well.
struct WriteInProgress {
    std::string port;         // the unit's serial device
    std::uint16_t modelCode = 0;
    std::string started;      // local time, "2025-01-31 12:00:05"
    std::string restorePoint; // the point this write saved
    // The newest point known to hold whole settings of the unit: this
    // write's own point, or, when the unit already held a mix, the one an
    // earlier cut-off write named.
    std::string lastWhole;
};

// Creates the folder and its missing parents, private to the user; throws
// tc::Error (user text) when it cannot.
void MakePrivateFolders(const std::string& folder, Language language);

class RestorePoints {
public:
    // How many points of one device model are kept: saving one more removes the oldest.
    static constexpr std::size_t kKeptPerModel = 50;

    // Keeps its files in folder (created when the first point is saved).
    // unit names the unit the points come from (its serial device); it is
    // kept beside each point in "NAME.qvetp.unit" when not empty.
    // Its user texts (errors) are in `language`.
    explicit RestorePoints(std::string folder, std::string unit = {}, Language language = Language::Russian);

    // $XDG_DATA_HOME/tripconf/restore-points; ~/.local/share/tripconf/restore-points
    // when XDG_DATA_HOME is unset, empty or not an absolute path. On Windows
    // %APPDATA%\tripconf\restore-points (the user's roaming AppData).
    static std::string DefaultFolder();

    // "C000_2025-01-31_12-00-05.qvetp"; a second point within the same second
    // of the same model gets "_2", then "_3", before the extension.
    static std::string FileName(std::uint16_t modelCode, std::chrono::system_clock::time_point when, int counter = 1);

    // "2025-01-31 12:00:05", local time.
    static std::string TimeText(std::chrono::system_clock::time_point when);

    const std::string& Folder() const { return folder_; }
    const std::string& Unit() const { return unit_; }
    Language TextLanguage() const { return language_; }

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

    // A write to this store's unit in progress, noted in a small file of the
    // folder ("write-in-progress-UNIT.txt"), written whole or not at all.
    // Throws tc::Error (user text) when it cannot be written.
    void NoteWriteStarted(const WriteInProgress& write) const;
    // Removes that note once the write ended well; never throws.
    void ClearWriteNote() const noexcept;
    // The note a write to this store's unit left behind: that write was cut
    // off (or stopped half way) and the unit may hold a mix.
    std::optional<WriteInProgress> CutOffWrite() const;
    // Marks the point at path as taken of a unit that held a mix; lastWhole
    // names the point with the unit's last whole settings. Never throws.
    void MarkMixed(const std::string& path, const std::string& lastWhole) const noexcept;

private:
    std::string NotePath() const;

    std::string folder_;
    std::string unit_;
    Language language_ = Language::Russian;
};

} // namespace tc
