#pragma once
// Reading helpers and the shared visibility rules of the editor's pages: what
// the current protocol and the records say. Every rule reads only its RuleInput.
#include "editor/FieldTable.h"

#include <cstdint>
#include <string>

namespace tc::rules {

// Main option word (record 6, bytes 0..3), bit n.
bool MainBit(const RuleInput& in, int n);
std::int64_t RecordS8(const RuleInput& in, int record, int offset);
const ModelFeatures& Features(const RuleInput& in);
// Code of the current protocol, -1 without one; every protocol rule is false without one.
int Code(const RuleInput& in);
bool HasProtocol(const RuleInput& in);

bool CoolantReported(const RuleInput& in); // the protocol reports coolant temperature
bool CoolantShown(const RuleInput& in);    // coolant limit and warning shown
bool WarmEngineLimitShown(const RuleInput& in);
bool EngineOverheatShown(const RuleInput& in); // codes 222..225
bool FaultReporting(const RuleInput& in);
bool AtOil(const RuleInput& in);
bool EngineOil(const RuleInput& in);
bool FanControl(const RuleInput& in);
bool Hybrid(const RuleInput& in);
bool HybridExtraCooling(const RuleInput& in);
bool Retarder(const RuleInput& in);         // code 14 with HasRetarder
bool TransmissionWear(const RuleInput& in); // code 1, or code 14 with HasRetarder
bool DieselFilterLimit(const RuleInput& in); // code 82
bool AccelerationTest(const RuleInput& in);
bool TrimWarnings(const RuleInput& in);

// A text by what the engine temperature is on the current protocol: the
// water-cooled engine's (code 222), a cylinder's (codes 223..225), or `other`.
std::string ByEngineCooling(const RuleInput& in, const Text& water, const Text& cylinder, const Text& other);

// The tank method stored in record 3 offset 38 (an item index).
std::int64_t TankMethod(const RuleInput& in);

} // namespace tc::rules
