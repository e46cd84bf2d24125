#pragma once
// The user's guide (docs/guide-ru.md, docs/guide-en.md, built into the
// program with its pictures) in a window of its own, in the current language.
class QWidget;
class QDialog;

namespace tc::ui {

// The guide's window, not yet shown (for tests and pictures).
QDialog* MakeUserGuide(QWidget* parent);
// Shows the guide (Help, F1); it stays open beside the main window.
void ShowUserGuide(QWidget* parent);

} // namespace tc::ui
