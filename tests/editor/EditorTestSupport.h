#pragma once
// Settings of the reference layout for the editor tests, and byte helpers.
#include "common/Bytes.h"
#include "common/Error.h"
#include "editor/EditSession.h"
#include "model/ReferenceLayout.h"
#include "model/SettingsModel.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tc::test {

// A model holding the reference image of `modelCode` with the protocol index stored.
inline SettingsModel LoadedModel(std::uint16_t modelCode, std::uint16_t protocolIndex)
{
    SettingsModel model;
    LoadReferenceImage(model, modelCode);
    PutU16(model.Record(10), 4, protocolIndex);
    model.EncodeSection(10);
    return model;
}

// Records 1..10 as they stand, to see that nothing changed.
inline std::vector<std::uint8_t> Records(const SettingsModel& model)
{
    return model.SnapshotRecords().bytes;
}

inline std::vector<std::uint8_t> Bytes(const SettingsModel& model, int record, std::size_t offset, std::size_t length)
{
    const auto r = model.Record(record);
    return {r.begin() + static_cast<std::ptrdiff_t>(offset), r.begin() + static_cast<std::ptrdiff_t>(offset + length)};
}

inline std::string Hex(const std::vector<std::uint8_t>& bytes)
{
    std::string text;
    char buf[4];
    for (auto b : bytes) {
        std::snprintf(buf, sizeof buf, "%02x", b);
        text += buf;
    }
    return text;
}

// "a;b;c" into its non-empty parts.
inline std::vector<std::string> Split(std::string_view text, char separator)
{
    std::vector<std::string> parts;
    while (!text.empty()) {
        const auto at = text.find(separator);
        if (at != 0)
            parts.emplace_back(text.substr(0, at));
        if (at == std::string_view::npos)
            break;
        text.remove_prefix(at + 1);
    }
    return parts;
}

// The user text an action is refused with, or "(accepted)".
inline std::string Message(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Error& e) {
        return e.what();
    }
    return "(accepted)";
}

} // namespace tc::test
