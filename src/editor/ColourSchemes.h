#pragma once
// The day and night colour schemes of record 9: 16 packed palette colours and
// the palette indices of the colour roles of every screen type. Choosing the
// edited scheme, a palette row or a role row writes nothing; only the edits do.
#include "editor/FieldTable.h"
#include "model/SettingsModel.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tc {

constexpr int kMaxColourLevel = 31;
constexpr int kRoleLimit = 128; // a role's palette index is stored only below this

// The colour the unit shows nearest to a colour of 8 bits a channel: per
// channel the level (0..31) whose colour on the unit's screen (ScreenColour)
// is closest, the lower level on a tie. The unit shows fewer greens than its
// screen has (bit 5 repeats green's lowest level bit), so green is judged by
// what is shown, not by the level alone.
Rgb5 NearestUnitColour(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

// The role sub-pages, in the window's order.
enum class RoleGroup : std::uint8_t { Digital, Menu, Graph, Dial };
struct RoleDef {
    RoleGroup group;
    std::string_view key; // "digital.colour1": what a user types
    Text caption;
    int offset = 0; // within a scheme
};
std::span<const RoleDef> ColourRoles();
const RoleDef* FindColourRole(std::string_view key);
Text RoleGroupCaption(RoleGroup group);

class ColourSchemes {
public:
    // Works on the caller's record 9; throws std::out_of_range when it is too short.
    explicit ColourSchemes(std::span<std::uint8_t> record9, bool english = false);

    // 0 day, 1 night. Choosing it stores nothing.
    int EditedScheme() const { return edited_; }
    void SelectScheme(int scheme);

    Rgb5 Colour(int index) const; // of the edited scheme (packing: PackColour)
    std::uint16_t Packed(int index) const;
    // Levels outside 0..31 or an index outside 0..15 throw tc::Error and store nothing.
    void SetColour(int index, int r, int g, int b);

    int Role(const RoleDef& role) const;
    // The colour a role uses, or nothing for an index past the palette.
    std::optional<Rgb5> RoleColour(const RoleDef& role) const;
    // 0..127 is stored (16..127 lie past the palette but the device keeps them);
    // a negative index or 128 and above throws tc::Error and stores nothing.
    void SetRole(const RoleDef& role, int index);

    // Asks `ask` the question in the context's language; on Yes both schemes
    // become the given defaults and the day scheme is the edited one again.
    // Returns whether anything was written.
    bool InitializeAll(std::span<const std::uint8_t> dayDefaults, std::span<const std::uint8_t> nightDefaults,
                       const std::function<bool(const std::string& question)>& ask);

private:
    std::size_t Base() const;
    void CheckIndex(int index) const;

    std::span<std::uint8_t> record_;
    bool english_;
    int edited_ = 0;
};

} // namespace tc
