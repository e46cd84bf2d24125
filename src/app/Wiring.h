#pragma once
// Connects the main window's Edit and View journals buttons to the settings
// editor and the journal viewer of this build.
namespace tc::ui {

class MainWindow;
void WireDialogs(MainWindow& form);

} // namespace tc::ui
