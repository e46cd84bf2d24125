#pragma once
// The field table's rows by area, each kept in a file of its own; the table
// (EditorFields) puts them in page order.
#include "editor/FieldTable.h"
#include "editor/StructuredKeys.h"

#include <span>

namespace tc::rows {

std::span<const Field> Display(); // FieldsDisplay.cpp: the display page
std::span<const Field> Voice();   // FieldsVoice.cpp: voice, averages, parking, tank
std::span<const Field> Service(); // FieldsService.cpp: maintenance, extra systems, universal input and trim

// The structured KEY=VALUE handlers of the same areas, in the same files.
std::span<const StructuredKey> DisplayKeys();
std::span<const StructuredKey> VoiceKeys();
std::span<const StructuredKey> ServiceKeys();

} // namespace tc::rows
