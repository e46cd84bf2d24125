#pragma once
// SettingsEditor: the modal settings editor. One tab per page of the field
// table in the table's order, every control made by the widget factory and
// kept by the binder; the edit session behind it writes into the model's
// records as the user commits, and the model's edit procedure keeps or undoes
// them on OK or Cancel.
#include "editor/EditSession.h"
#include "editor/ui/FieldBinder.h"

#include <QDialog>

#include <string_view>
#include <vector>

class QPushButton;
class QScrollArea;
class QTabWidget;

namespace tc::ui {

class SettingsEditor : public QDialog {
    Q_OBJECT
public:
    // Builds every page the session offers that has rows in the field table.
    explicit SettingsEditor(EditSession& session, QWidget* parent = nullptr);

    QTabWidget* pages = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

    // The tab of a page, nullptr when the dialog does not show it.
    QScrollArea* PageTab(Page page) const;
    // The control of a key, nullptr when the dialog does not show its page.
    const FieldWidget* Control(std::string_view key) const { return binder_->Widget(key); }
    FieldBinder& Binder() { return *binder_; }

    // The size the dialog may take on a 1024 x 600 screen, title bar excluded.
    static QSize LargestSize();

public slots:
    // OK commits a spin box still being edited first; a refused value keeps the dialog open.
    void accept() override;
    void reject() override;

private:
    QScrollArea* BuildPage(const ShownPage& page);
    void ApplyTabOrder();

    EditSession& session_;
    FieldBinder* binder_ = nullptr;
    std::vector<std::pair<Page, QScrollArea*>> tabs_;
    std::vector<std::size_t> layoutOrder_; // field indices, page by page, column by column
};

// The dialog, modal, on the session as it is (the callback that EditSettings
// runs); true for OK.
bool ExecSettingsEditor(EditSession& session, QWidget* parent);

// The whole edit: the model's edit procedure with the dialog; true for OK.
bool RunSettingsEditor(SettingsModel& model, QWidget* parent);

} // namespace tc::ui
