#pragma once
// The settings editor's binder: fills every control from what the edit
// session shows and commits what the user does, on the events a user expects:
// a spin box when it is left or Enter is pressed, a combo box when the user
// picks an item, a radio button or check box when it is clicked. Filling never
// commits. After a commit it refills the committed control and exactly the
// controls the session reports as changed; a refused value is shown through
// the Prompter and the control goes back to what the session shows.
#include "editor/ui/FieldWidgets.h"

#include <QKeySequence>
#include <QList>
#include <QObject>

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

class QGroupBox;
class QKeyEvent;

namespace tc::ui {

class FieldBinder : public QObject {
    Q_OBJECT
public:
    explicit FieldBinder(EditSession& session, QObject* parent = nullptr);

    // Takes a control from the factory and connects its user events.
    void Bind(FieldWidget widget);
    // Fills every bound control.
    void FillAll();
    // Fills one control; controls of pages the window does not show are skipped.
    void Fill(std::size_t fieldIndex);

    // Commits a spin box the user typed into or stepped and has not left yet
    // (OK pressed with the focus still there). False when the session refused it.
    bool CommitPending();
    // Forgets what was typed and not committed (the dialog is cancelled).
    void DiscardPending();
    // Whether a field holds typing or steps not yet committed.
    bool HasPending() const;
    bool Pending(const FieldWidget& w) const;
    // The keys of the session's undo (Ctrl+Z) and redo (Ctrl+Shift+Z, Ctrl+Y).
    static QList<QKeySequence> UndoKeys();
    static QList<QKeySequence> RedoKeys();
    static bool IsUndoKey(const QKeyEvent* event);
    // Asked when a spin box is left: true makes the binder drop what was typed
    // instead of committing it (the focus went to Cancel).
    std::function<bool()> leavingToCancel;

    const std::vector<FieldWidget>& Widgets() const { return widgets_; }
    // Valid as long as the binder lives.
    const FieldWidget* Widget(std::size_t fieldIndex) const;
    const FieldWidget* Widget(std::string_view key) const;
    // Whether `w` is one of the bound controls' editors or radio buttons.
    bool Owns(const QWidget* w) const;

signals:
    // A radio group got new buttons after the dialog was laid out.
    void ButtonsRebuilt();
    // A control stored a value; `changed` are the controls it changed (already refilled).
    void Committed(const tc::ChangedFields& changed);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct SpinEdit {
        std::optional<QString> typed; // what the user typed since the last fill
        bool stepped = false;         // arrows, keys or wheel moved the value
    };

    int SlotOf(std::size_t fieldIndex) const;
    bool FinishSpin(std::size_t fieldIndex);
    bool FinishLine(std::size_t fieldIndex);
    bool Commit(std::size_t fieldIndex, const std::function<ChangedFields()>& store);
    void FillNumber(FieldWidget& w, const ShownControl& c);
    void FillChoice(FieldWidget& w, const ShownControl& c);
    void FillRadio(FieldWidget& w, const ShownControl& c);
    void UpdateGroup(QGroupBox* group);
    QString MarkText(const ShownControl& c) const;
    // The control's tooltip: caption, limits and unit, the model's default
    // value and the key tripconf-cli get/set takes.
    QString Description(std::size_t fieldIndex, const ShownControl& c);

    EditSession& session_;
    std::vector<FieldWidget> widgets_;
    std::vector<SpinEdit> spinEdits_; // parallel to widgets_
    std::vector<int> slots_;          // field index -> index into widgets_, -1 when not bound
    bool laidOut_ = false;            // the first fill is done
    std::vector<std::string> defaults_; // each control's text in the model's reference settings (made at first use)
};

} // namespace tc::ui
