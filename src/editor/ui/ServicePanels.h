#pragma once
// The structured editors of the maintenance and extra-systems pages.
#include "editor/ui/EditorPanel.h"

namespace tc::ui {

// "Save to file" and "Load from file" of the maintenance file.
EditorPanel* MakeServiceFilePanel(EditorHost& host, QWidget* parent);
// The offered systems and the selected ones as two lists, and the two show choices.
EditorPanel* MakeExtraSystemsPanel(EditorHost& host, QWidget* parent);

} // namespace tc::ui
