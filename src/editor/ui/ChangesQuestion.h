#pragma once
// What a write would change in the device, as the table the user confirms
// before anything is sent.
#include "editor/SettingsCompare.h"
#include "ui/Prompter.h"

namespace tc::ui {

// One row per control and per structured item that differs: its page, name,
// the device's value, the value to be written, unit, and a mark for what this
// model hides; the runs of bytes no setting owns are listed by record and
// offset in the note.
TableQuestion WriteChangesQuestion(const SettingsComparison& comparison);

// The settings on hand beside a file's, to be read only (no question, a
// Close button): `comparison` compares the file's settings (before) with
// those on hand (after); one row per control or structured item that
// differs, the settings on hand first, unnamed bytes in the note. The file's
// warnings end the note.
TableQuestion FileChangesQuestion(const SettingsComparison& comparison, const QString& fileName, const QStringList& warnings);

} // namespace tc::ui
