#pragma once
// The tank page: the linear calibrations, the tare table as a grid with its
// count, and the tank file's save and load buttons.
#include "editor/ui/EditorPanel.h"

namespace tc::ui {

EditorPanel* MakeTankPanel(EditorHost& host, QWidget* parent);

} // namespace tc::ui
