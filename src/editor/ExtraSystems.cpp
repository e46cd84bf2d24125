#include "editor/ExtraSystems.h"

#include "common/Bytes.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace tc {

namespace {

std::size_t ByteOf(int code)
{
    if (code < 0 || code >= 8 * kSystemsBytes)
        throw std::out_of_range("system code outside the selection bytes");
    return static_cast<std::size_t>(kSystemsOffset + code / 8);
}

bool Listed(std::span<const std::uint8_t> blocks, int code)
{
    return std::find(blocks.begin(), blocks.end(), code) != blocks.end();
}

} // namespace

std::vector<const ExtraSystem*> OfferedSystems(const EditorContext& ctx)
{
    std::array<bool, 256> listed{};
    for (const VehicleProtocol* p : ctx.protocols)
        if (p)
            for (std::uint8_t c : p->Blocks())
                listed[c] = true;
    std::vector<const ExtraSystem*> offered;
    for (const ExtraSystem& s : ExtraSystemCatalog())
        if (listed[static_cast<std::size_t>(s.code)])
            offered.push_back(&s);
    return offered;
}

bool SystemSelected(std::span<const std::uint8_t> record5, int code)
{
    return (GetU8(record5, ByteOf(code)) >> (code & 7)) & 1;
}

void SelectSystem(std::span<std::uint8_t> record5, int code, bool selected)
{
    const std::size_t at = ByteOf(code);
    const auto mask = static_cast<std::uint8_t>(1u << (code & 7));
    const std::uint8_t b = GetU8(record5, at);
    PutU8(record5, at, selected ? static_cast<std::uint8_t>(b | mask) : static_cast<std::uint8_t>(b & ~mask));
}

std::vector<const ExtraSystem*> SelectedSystems(const EditorContext& ctx, std::span<const std::uint8_t> record5)
{
    std::vector<const ExtraSystem*> selected;
    for (const ExtraSystem* s : OfferedSystems(ctx))
        if (SystemSelected(record5, s->code))
            selected.push_back(s);
    return selected;
}

int SystemsShowChoice(std::span<const std::uint8_t> record5)
{
    return GetU8(record5, kSystemsOffset) & 1;
}

void ChooseSystemsShow(const EditorContext& ctx, std::span<std::uint8_t> record5, int choice)
{
    if (choice != 0 && choice != 1)
        throw std::out_of_range("show choice other than 0 or 1");
    for (const ExtraSystem* s : OfferedSystems(ctx)) {
        const bool on = choice == 0 || (ctx.protocol && Listed(ctx.protocol->Blocks(), s->code));
        SelectSystem(record5, s->code, on);
    }
    PutU8(record5, kSystemsOffset, static_cast<std::uint8_t>((GetU8(record5, kSystemsOffset) & 0x80) | choice));
}

int SystemsListChoice(std::span<const std::uint8_t> record5)
{
    return (GetU8(record5, kSystemsOffset) >> 7) & 1;
}

void ChooseSystemsList(std::span<std::uint8_t> record5, int choice)
{
    if (choice != 0 && choice != 1)
        throw std::out_of_range("list choice other than 0 or 1");
    PutU8(record5, kSystemsOffset, static_cast<std::uint8_t>((GetU8(record5, kSystemsOffset) & 0x01) | (choice << 7)));
}

void SelectNoSystems(const EditorContext& ctx, std::span<std::uint8_t> record5)
{
    for (const ExtraSystem* s : OfferedSystems(ctx))
        SelectSystem(record5, s->code, false);
}

} // namespace tc
