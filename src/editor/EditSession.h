#pragma once
// One edit of the settings: works on the model's records 1..10 inside the
// model's edit procedure, tells a window (or the command line) what each
// control shows, and stores what the user commits. Opening does the
// show-time writes and nothing else; showing never writes.
#include "editor/EditorContext.h"
#include "editor/FieldTable.h"
#include "model/SettingsModel.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tc {

struct ShownItem {
    std::string text; // current language
    bool enabled = true;
    friend bool operator==(const ShownItem&, const ShownItem&) = default;
};

// Why a control's value is marked.
enum class ValueMark : std::uint8_t {
    None,
    OutOfRange, // the stored value lies outside the control's limits; shown as stored
    Unshowable, // a blank factor, an index past the list: text empty, nothing selected
};

// Everything a control shows, in the current language.
struct ShownControl {
    const Field* field = nullptr;
    ControlKind kind = ControlKind::Number;
    std::string caption;
    std::string group; // group box caption, empty when none
    bool visible = true;
    bool enabled = true;
    std::string text; // the value as shown: "5.0", an item's text, "on"/"off"; empty when unshowable
    ValueMark mark = ValueMark::None;
    // Numbers.
    double min = 0, max = 0, step = 1;
    int decimals = 0;
    bool typing = true;
    // Choices and radio groups.
    std::vector<ShownItem> items;
    int selected = -1; // -1: nothing selected
    int columns = 1;
    // Check boxes.
    bool checked = false;
    friend bool operator==(const ShownControl&, const ShownControl&) = default;
};

struct ShownPage {
    const PageDef* page = nullptr;
    std::string caption;
    bool visible = true;
};

// Indices (into EditorFields()) of the controls whose ShownControl changed
// through a commit, the committed one included when it changed.
using ChangedFields = std::vector<std::size_t>;

class EditSession {
public:
    // Opens the editor on the model's records: the stored protocol becomes
    // current and the show-time writes are done. Never throws for a blank
    // or foreign record content.
    EditSession(SettingsModel& model, EditorContext context);

    const EditorContext& Context() const { return ctx_; }
    std::span<const Field> Fields() const { return EditorFields(); }
    std::vector<ShownPage> Pages() const;
    // Whether the model shows the page. A control is visible only on a shown
    // page and when its own rule allows (Shown().visible says both), for the
    // window, `fields`, `get`, `set`, `import` and the comparisons alike.
    bool PageShown(Page page) const;

    // What a control shows. Throws tc::Error for an unknown key.
    ShownControl Shown(std::string_view key) const;
    ShownControl Shown(std::size_t fieldIndex) const;

    // Stores what the user typed or picked, as shown: "5.0" for a number, an
    // item's text (current language) or "#index" for a choice, "on"/"off" for a
    // check box. The text a control already shows changes nothing. A refused
    // value (out of range, not a number, no such item, a disabled item, or a
    // hidden or disabled control without `force`) throws tc::Error with the
    // user text and changes nothing. Empty text stores nothing.
    ChangedFields Commit(std::string_view key, std::string_view text, bool force = false);
    // The window's ways in: an item index (-1: nothing selected stores nothing) and a check box state.
    ChangedFields Select(std::string_view key, int item, bool force = false);
    ChangedFields SetChecked(std::string_view key, bool checked, bool force = false);

    // A structured edit (a palette colour, a hot-menu list, a voice slot) that
    // works on the records itself: `edit` runs on the model, and the controls
    // it changed are returned. An exception from `edit` passes through; the
    // structured editors check before they write, so nothing is stored then.
    ChangedFields Apply(const std::function<void(SettingsModel&)>& edit);
    // The records, for showing structured editors (never written through this).
    const SettingsModel& Model() const { return model_; }
    // The colour scheme (0 day, 1 night) the display page edits and its
    // previews show: the editor's own state, day when the session opens.
    // Choosing it writes nothing and is no undo step.
    int EditedScheme() const { return scheme_; }
    void SelectScheme(int scheme) { scheme_ = scheme == 1 ? 1 : 0; }

    // Undo and redo over the whole session: every commit, pick, check or
    // structured edit that changed the records is one step; a new change
    // forgets what could be redone. Each returns the controls whose shown
    // value changed (nothing when there is no step to take).
    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    ChangedFields Undo();
    ChangedFields Redo();
    // Back to the records as the session opened them (after its show-time
    // writes), as one step that Undo takes back; nothing when already there.
    ChangedFields RevertToOpened();
    // Whether the records differ from what the session opened.
    bool ChangedSinceOpened() const;

    // The refusal of a value outside a number's limits, with the limits as the
    // control shows them, in the context's language.
    std::string RangeMessage(const ShownControl& control, std::string_view value) const;

private:
    std::vector<ShownControl> ShowAll() const;
    ChangedFields Diff(const std::vector<ShownControl>& before) const;
    ChangedFields Store(const Field& f, const ShownControl& shown, std::int64_t raw);
    void CheckEditable(const ShownControl& shown, bool force) const;
    void ApplyProtocol(bool reset);
    void RunHook(const Field& f);
    // Re-labels the catalog's temperature, forecast and trim entries by the model and the settings.
    void Relabel();
    RuleInput In() const { return RuleInput{ctx_, model_}; }
    // Keeps `before` as an undo step when the records changed since it was taken.
    void Remember(RecordsSnapshot before);
    // Puts `records` in place, the protocol and the catalog's labels following.
    ChangedFields Restore(const RecordsSnapshot& records);
    // Undo and redo: the last step of `from` comes back, the present goes onto `to`.
    ChangedFields StepBack(std::vector<RecordsSnapshot>& from, std::vector<RecordsSnapshot>& to);

    SettingsModel& model_;
    EditorContext ctx_;
    RecordsSnapshot opened_;
    std::vector<RecordsSnapshot> undo_, redo_;
    int scheme_ = 0;
};

// The model's edit procedure with a session: decodes records 1..10, evaluates
// the device model, opens a session on the evaluated context and runs `run`.
// True from `run` is OK (records encoded into the image); false or an
// exception restores records 1..10. The session's texts are in `language`.
bool EditSettings(SettingsModel& model, Language language, const std::function<bool(EditSession&)>& run);

} // namespace tc
