#pragma once
// The tank page's structured editors: the tare table as a grid with its
// count, and the tank file's save and load buttons.
#include "editor/ui/EditorPanel.h"

namespace tc::ui {

EditorPanel* MakeTarePanel(EditorHost& host, QWidget* parent);
EditorPanel* MakeTankFilePanel(EditorHost& host, QWidget* parent);

} // namespace tc::ui
