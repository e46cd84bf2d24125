#pragma once
// Settings of the reference layout for the editor tests, and byte helpers.
#include "common/Bytes.h"
#include "editor/EditSession.h"
#include "model/ReferenceLayout.h"
#include "model/SettingsModel.h"

#include <cstdint>
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

inline std::vector<std::uint8_t> Bytes(const SettingsModel& model, int record, std::size_t offset, std::size_t length)
{
    const auto r = model.Record(record);
    return {r.begin() + static_cast<std::ptrdiff_t>(offset), r.begin() + static_cast<std::ptrdiff_t>(offset + length)};
}

} // namespace tc::test
