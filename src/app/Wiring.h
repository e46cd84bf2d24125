#pragma once
// Connects the main window's Edit and View journals buttons to the settings
// editor and the journal viewer of this build.
namespace tc::ui {

class TMainForm;
void WireDialogs(TMainForm& form);

} // namespace tc::ui
