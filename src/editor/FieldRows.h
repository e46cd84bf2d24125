#pragma once
// The field table's rows by area, each kept in a file of its own; the table
// (EditorFields) puts them in page order.
#include "editor/FieldTable.h"

#include <span>

namespace tc::rows {

std::span<const Field> Display(); // FieldsDisplay.cpp: the display page
std::span<const Field> Voice();   // FieldsVoice.cpp: voice, averages, parking, tank
std::span<const Field> Service(); // FieldsService.cpp: maintenance, extra systems, universal input and trim

} // namespace tc::rows
