#pragma once
// The voice page: the warnings grid (a first and a following mode for each
// warning) and the general sound settings, on two sub-pages.
#include "editor/ui/EditorPanel.h"

namespace tc::ui {

EditorPanel* MakeVoicePanel(EditorHost& host, QWidget* parent);

} // namespace tc::ui
