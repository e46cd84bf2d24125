#pragma once
// SettingsEditor: the modal settings editor. One tab per page of the field
// table in the table's order, every control made by the widget factory and
// kept by the binder; the edit session behind it writes into the model's
// records as the user commits, and the model's edit procedure keeps or undoes
// them on OK or Cancel.
#include "editor/EditSession.h"
#include "editor/ui/EditorPanel.h"
#include "editor/ui/FieldBinder.h"

#include <QDialog>

#include <string_view>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QTabWidget;

namespace tc::ui {

class SettingsEditor : public QDialog, public EditorHost {
    Q_OBJECT
public:
    // Builds every page the session offers that has rows in the field table.
    explicit SettingsEditor(EditSession& session, QWidget* parent = nullptr);

    QTabWidget* pages = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
    // The session's undo and redo (also Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y), and
    // Revert to opened, which asks nothing and is undone like any change.
    QPushButton* undoButton = nullptr;
    QPushButton* redoButton = nullptr;
    QPushButton* revertButton = nullptr;
    // Ctrl+F: any part of a setting's caption (either language) or key; Enter
    // shows the next match's page and puts the focus on it.
    QLineEdit* search = nullptr;
    QLabel* searchResult = nullptr;

    // The tab of a page, nullptr when the dialog does not show it.
    QScrollArea* PageTab(Page page) const;
    // The control of a key, nullptr when the dialog does not show its page.
    const FieldWidget* Control(std::string_view key) const { return binder_->Widget(key); }
    // The structured editors of the pages, in page order.
    const std::vector<EditorPanel*>& Panels() const { return panels_; }
    EditorPanel* Panel(std::string_view key) const;

    // EditorHost
    EditSession& Session() override { return session_; }
    FieldBinder& Binder() override { return *binder_; }
    QLayout* BuildRows(const std::vector<std::size_t>& fields, QWidget* owner, int columns = 0) override;
    void Changed(const ChangedFields& changed, QWidget* source) override;

    // The size the dialog may take on a 1024 x 600 screen, title bar excluded.
    static QSize LargestSize();

public slots:
    // OK commits a spin box still being edited first; a refused value keeps the dialog open.
    void accept() override;
    // Esc, Cancel and the close box: with anything changed since the dialog
    // opened, asks first (Apply / Discard / Back to editing; Esc is back).
    void reject() override;
    // The next control matching the search text: its page shown, the focus on it. False when none matches.
    bool FindNext();
    // Takes back the last change of the session, puts back the last one taken
    // back, or goes back to the settings as opened; every control and panel
    // then shows what the session holds.
    void Undo();
    void Redo();
    void RevertToOpened();

private:
    QScrollArea* BuildPage(const ShownPage& page);
    void ApplyTabOrder();
    // Shows what an undo, redo or revert changed, and which of them can be done now.
    void Restored();
    void UpdateUndoButtons();

    EditSession& session_;
    FieldBinder* binder_ = nullptr;
    std::vector<std::pair<Page, QScrollArea*>> tabs_;
    // What Tab walks through: field rows page by page, column by column, and panels.
    struct TabStop {
        std::size_t field = 0;
        EditorPanel* panel = nullptr; // set: the panel's own chain
    };
    std::vector<TabStop> layoutOrder_;
    std::vector<EditorPanel*> panels_;
    int searchAt_ = -1; // the match shown last
};

// The dialog, modal, on the session as it is (the callback that EditSettings
// runs); true for OK.
bool ExecSettingsEditor(EditSession& session, QWidget* parent);

// The whole edit: the model's edit procedure with the dialog; true for OK.
bool RunSettingsEditor(SettingsModel& model, QWidget* parent);

} // namespace tc::ui
