#pragma once
// The extra-systems selection of record 5: one bit per system code in bytes
// 20..51 (bit c & 7 of byte 20 + c / 8), and in byte 20 itself the two show
// settings, which system list the unit shows (bit 0: all or the protocol's)
// and how (bit 7: as a list or by types). Only the systems that the device
// model's protocols list are offered; the bits of the others are kept.
#include "catalogs/ExtraSystems.h"
#include "editor/EditorContext.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tc {

constexpr int kSystemsOffset = 20;    // record 5
constexpr int kSystemsBytes = 32;

// The catalog entries a protocol of the model lists, in catalog order.
std::vector<const ExtraSystem*> OfferedSystems(const EditorContext& ctx);

// Reads and writes record 5.
bool SystemSelected(std::span<const std::uint8_t> record5, int code);
void SelectSystem(std::span<std::uint8_t> record5, int code, bool selected);
std::vector<const ExtraSystem*> SelectedSystems(const EditorContext& ctx, std::span<const std::uint8_t> record5);

// The show choice: 0 "all", 1 "as the protocol lists". Choosing "all"
// selects every offered system; choosing the protocol selects exactly the
// offered systems the current protocol lists (none without a current
// protocol). Byte 20 then keeps bit 7 and takes the choice in bits 0..6.
int SystemsShowChoice(std::span<const std::uint8_t> record5);
void ChooseSystemsShow(const EditorContext& ctx, std::span<std::uint8_t> record5, int choice);
// The list choice: 0 as a list, 1 by types. Byte 20 keeps bit 0 and takes the choice in bit 7.
int SystemsListChoice(std::span<const std::uint8_t> record5);
void ChooseSystemsList(std::span<std::uint8_t> record5, int choice);
// Clears the bits of every offered system.
void SelectNoSystems(const EditorContext& ctx, std::span<std::uint8_t> record5);

} // namespace tc
