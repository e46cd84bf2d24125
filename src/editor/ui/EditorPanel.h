#pragma once
// Structured editors of the settings editor's pages (the display sub-pages,
// the voice grid, the tare table, the maintenance dates): widgets that show
// part of the records in their own way and store through the edit session.
// Each registers in the panel table (EditorPanels.cpp) with its page; the
// dialog puts it on the page below the page's columns of controls.
#include "editor/EditSession.h"

#include <QList>
#include <QWidget>

#include <span>
#include <string_view>
#include <vector>

class QLayout;

namespace tc::ui {

class FieldBinder;

// What the dialog offers its panels.
class EditorHost {
public:
    virtual ~EditorHost() = default;
    virtual EditSession& Session() = 0;
    virtual FieldBinder& Binder() = 0;
    // Lays out the given rows (indices into EditorFields(), usually the rows
    // of one `part`) in columns as the pages do, bound and filled; `columns`
    // 0 chooses by height as the pages do.
    virtual QLayout* BuildRows(const std::vector<std::size_t>& fields, QWidget* owner, int columns = 0) = 0;
    // The rows of one part, in table order.
    static std::vector<std::size_t> PartRows(std::string_view part);
    // After a panel stored something: refills the controls that changed and every other panel.
    virtual void Changed(const ChangedFields& changed, QWidget* source) = 0;
};

class EditorPanel : public QWidget {
    Q_OBJECT
public:
    EditorPanel(EditorHost& host, QWidget* parent = nullptr) : QWidget(parent), host_(host) {}

    // Refills everything from the records; never writes. The dialog calls it
    // after every commit elsewhere.
    virtual void Refresh() = 0;
    // The widgets Tab walks through, in order; by default the focusable ones
    // in the order they were made.
    virtual QList<QWidget*> TabChain() const;

protected:
    EditSession& Session() const { return host_.Session(); }
    // Runs a structured edit through the session; a refusal is shown through
    // the Prompter. Everything is refilled either way. True when it stored.
    bool Store(const std::function<void(SettingsModel&)>& edit);

    EditorHost& host_;
};

struct PanelDef {
    Page page;
    std::string_view key; // object name of the panel: "display", "voice.modes"
    EditorPanel* (*make)(EditorHost& host, QWidget* parent);
};
// Every panel, in page order and, within a page, top to bottom.
std::span<const PanelDef> EditorPanels();

} // namespace tc::ui
