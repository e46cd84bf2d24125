#include "catalogs/Protocols.h"

#include "catalogs/CodeList.h"
#include "common/Error.h"
#include "common/Language.h"

#include <algorithm>
#include <string_view>

namespace tc {

namespace {

// Descriptor flags that differ from the defaults.
namespace pf {
enum : unsigned {
    NoCoolantTemp = 1u << 0,
    NoFaultAlarm = 1u << 1,
    AtOilTemp = 1u << 2,
    EngineOilTemp = 1u << 3,
    FanControl = 1u << 4,
    ParkLightsType = 1u << 5,
    BatteryVoltageMethod = 1u << 6,
    Hybrid = 1u << 7,
    ExtraCooling = 1u << 8,
    TrimMethod = 1u << 9,
};
} // namespace pf

struct ProtRow {
    std::uint8_t number;
    const char* nameEn;
    const char* nameRu;      // nullptr: the same in both languages
    std::string_view codes;  // parameter codes added after 1..16
    int faultCodeFormat;
    unsigned flags;
    int ecuFuelLevelCount;
};

// number, name, Russian name, added parameter codes, fault-code format, flags, ECU fuel-level variants
constexpr ProtRow kProtRows[] = {
    { 11, "M74CAN", nullptr, "17 18 25 20 33 22 23 24 36 37 19",    1, pf::AtOilTemp | pf::FanControl | pf::ParkLightsType, 2},
    {  7, "M74.8", nullptr, "17 18 25 20 33 22 23 24 19",    1, pf::AtOilTemp | pf::FanControl, 1},
    { 16, "M86", nullptr, "17 25 20 33 22 23 24 36 37 19",    1, pf::AtOilTemp | pf::FanControl | pf::ParkLightsType, 3},
    { 18, "UAZ 17971E5", "УАЗ 17971E5", "17 18 25 20 33 22 23 24 19 37 36",    1, pf::AtOilTemp | pf::FanControl | pf::ParkLightsType, 0},
    {180, "UAZ AECS D", "УАЗ AECS D", "17 18 19 25 20 33 22 23 24 37 21 36",    1, pf::AtOilTemp, 0},
    {181, "M86Pro", nullptr, "17 18 25 20 33 22 23 24 36 37 19",    1, pf::AtOilTemp | pf::BatteryVoltageMethod, 1},
    { 12, "CAN Toyota", nullptr, "17 18 19 24 25 27 20 22 23 36",    0, pf::AtOilTemp, 2},
    {230, "Estima20", nullptr, "17 18 19 24 25 27 20 22 23 36 44 45 46 47 48 49 50 51 53 54 63 64",    0, pf::AtOilTemp | pf::Hybrid | pf::ExtraCooling, 2},
    {234, "Toyota Sai", nullptr, "17 18 19 24 25 27 20 22 23 36 44 45 46 47 48 49 53 54 63",    0, pf::AtOilTemp | pf::Hybrid, 2},
    {231, "Prius2.0", nullptr, "17 18 19 24 25 27 20 22 23 36 44 45 46 47 48 49 52 53 54 63 64",    0, pf::AtOilTemp | pf::Hybrid | pf::ExtraCooling, 0},
    {232, "Prius3.0", nullptr, "17 18 19 24 25 27 20 22 23 36 37 44 45 46 47 48 49 52 53 54 63 64",    0, pf::AtOilTemp | pf::ParkLightsType | pf::BatteryVoltageMethod | pf::Hybrid, 2},
    {235, "Lex RX450H", nullptr, "17 18 19 24 25 27 20 22 23 36 37 44 45 46 47 48 52 53 54 63 64",    0, pf::AtOilTemp | pf::ParkLightsType | pf::BatteryVoltageMethod | pf::Hybrid, 2},
    {236, "Harrier", nullptr, "17 18 19 24 25 27 20 22 23 36 37 44 45 46 47 48 49 52 53 54 63 64",    0, pf::AtOilTemp | pf::ParkLightsType | pf::BatteryVoltageMethod | pf::Hybrid, 2},
    {237, "Prius3.5", nullptr, "17 18 19 24 25 27 20 22 23 36 37 44 45 46 47 48 49 52 53 54 63 64",    0, pf::AtOilTemp | pf::ParkLightsType | pf::BatteryVoltageMethod | pf::Hybrid, 2},
    {233, "Lex RX400H", nullptr, "17 18 19 24 25 27 20 22 23 36 44 45 46 47 48 50 51 53 54 63",    0, pf::AtOilTemp | pf::Hybrid, 2},
    {238, "Prius5.0", nullptr, "17 18 19 24 25 27 20 22 23 44 45 46 47 48 49 52 53 54 63 64",    0, pf::AtOilTemp | pf::ParkLightsType | pf::BatteryVoltageMethod | pf::Hybrid, 2},
    {244, "Highlander7", nullptr, "17 18 19 24 25 27 20 22 23 44 45 46 47 48 49 52 53 54 63 64",    0, pf::AtOilTemp | pf::ParkLightsType | pf::BatteryVoltageMethod | pf::Hybrid, 2},
    {240, "Prius5.1", nullptr, "17 18 19 24 25 27 20 22 23 44 45 46 47 48 49 52 53 54 63 64",    0, pf::AtOilTemp | pf::ParkLightsType | pf::BatteryVoltageMethod | pf::Hybrid, 2},
    {245, "Harrier8.1", nullptr, "17 18 19 24 25 27 20 22 23 44 45 46 47 48 49 52 53 54 63 64",    0, pf::AtOilTemp | pf::ParkLightsType | pf::BatteryVoltageMethod | pf::Hybrid, 2},
    {243, "Prius5.2", nullptr, "17 18 19 24 25 27 20 22 23 44 45 46 47 48 49 52 53 54 63 64",    0, pf::AtOilTemp | pf::ParkLightsType | pf::BatteryVoltageMethod | pf::Hybrid, 2},
    {239, "Camry 4.0", nullptr, "17 18 19 24 25 27 20 22 23 36 44 45 46 47 48 49 52 53 54",    0, pf::AtOilTemp | pf::Hybrid, 2},
    {241, "Lex GS450H", nullptr, "17 18 19 24 25 27 20 22 23 36 44 45 46 47 48 49 51 53 54 63",    0, pf::AtOilTemp | pf::Hybrid, 2},
    {242, "Estima10", nullptr, "17 44 45 46 47 48 49 52 53 54 63",    0, pf::Hybrid | pf::ExtraCooling, 0},
    { 15, "CAN Ford", nullptr, "17 18 19 24 25 27 20 22 23 36 37 38 39",    0, pf::AtOilTemp | pf::EngineOilTemp | pf::ParkLightsType, 1},
    {  5, "CAN Subaru1", nullptr, "17 18 19 24 25 27 20",    0, 0, 0},
    {  6, "CAN Subaru2", nullptr, "17 18 19 24 25 27 20 22 23 21",    0, 0, 0},
    { 13, "EDC16 Iveco", nullptr, "17 18 24 25 20 35 38",    1, pf::EngineOilTemp, 0},
    {  1, "CAN", nullptr, "17 18 19 24 25 27 20 22 23 36 37",    0, pf::AtOilTemp, 3},
    { 17, "EMS3125", nullptr, "17 18 19 24 25 20 33 27 38 37 22 23 36",    0, pf::AtOilTemp | pf::EngineOilTemp, 2},
    {182, "Foton", nullptr, "17 18 19 24 20 33 27 37",    0, 0, 1},
    { 14, "J1939", nullptr, "17 19 27 24 37",    5, pf::BatteryVoltageMethod, 1},
    { 19, "NMEA2000", nullptr, "17 27 37 35 38 41 42",    5, pf::EngineOilTemp | pf::BatteryVoltageMethod | pf::TrimMethod, 1},
    { 20, "BRP", nullptr, "17",    0, 0, 0},
    { 21, "Crysler", "Крайслер", "17 20 18 21",    0, 0, 0},
    { 22, "J1850", nullptr, "17 20 18 22 19",    0, 0, 1},
    { 27, "TOBD1", nullptr, "17 20 28 19 25 21 29 31 30", 1000, pf::NoFaultAlarm, 0},
    { 29, "Mikas", "Микас", "17 18 26 20 21 25",    3, pf::FanControl, 0},
    { 31, "DAEWOO-1", "ДЭУ-1", "17 20 21",    2, 0, 0},
    { 32, "DAEWOO-2", "ДЭУ-2", "17 20 21",    2, 0, 0},
    { 33, "DAEWOO-3", "ДЭУ-3", "17 20 21",    2, 0, 0},
    { 36, "Nissan", nullptr, "17 18 22 23",    1, 0, 0},
    { 37, "Aveo", nullptr, "17 20 21",    7, 0, 1},
    { 38, "Aveo 2", nullptr, "17 20 32 19 18 27 24 25 22 23 21 37",    7, 0, 1},
    { 48, "Mikas 10.3", "Микас 10.3", "17 18 25 20 33 22 23 21 27 19 24",    1, pf::FanControl, 0},
    { 51, "10/11Corvet", "10/11Корвет", "17 25 20 21 38 37 35",    1, pf::FanControl, 0},
    { 41, "Jan", "Январь", "17 18 25 20 22 21",    1, pf::FanControl, 0},
    { 42, "Mikas 7.6", "Микас 7.6", "17 18 25 20 22 21 19 24",    1, 0, 0},
    { 43, "Микас 11", nullptr, "17 18 20 21",    1, 0, 0},
    { 44, "M74", nullptr, "17 18 25 20 33 22 23 24",    1, pf::FanControl, 0},
    { 45, "Bosch M7.9.7", "Бош M7.9.7", "17 18 25 20 22 23 21 24 27",    1, pf::FanControl, 0},
    { 46, "Mikas 11E3", "Микас 11E3", "17 18 20 21 22",    1, pf::FanControl, 0},
    { 47, "M12", nullptr, "17 24 18 22 23 20 33 25",    1, pf::FanControl, 1},
    { 49, "UAZ1797", nullptr, "17 18 25 20 33 24 22 23",    1, pf::FanControl, 0},
    { 50, "EDC16 ЗМЗ", nullptr, "17 18 20 27 24 35",    1, 0, 0},
    { 61, "Bosch M7.0", "Бош M7.0", "17 18 25 20 22 21",    1, 0, 0},
    { 62, "Sonata", nullptr, "17 19 25 20 22 21 24 18",    1, 0, 0},
    { 63, "Tiggo", nullptr, "17 20 21 22 19 24",    1, 0, 0},
    { 64, "Subaru", nullptr, "17 20 27 21 22 23 19 25 28",    4, 0, 1},
    { 65, "Renault", "Рено", "17 20 22 23 19 24 21",    1, 0, 0},
    { 82, "VAG 1", nullptr, "17 20 19 24 18",    8, 0, 0},
    { 83, "VAG 2", nullptr, "17 20 22 18",    8, 0, 0},
    { 84, "VAG 3", nullptr, "17 20 22 23 18 27 24",    8, 0, 0},
    { 85, "VAG 4", nullptr, "17 20 19 27",    8, 0, 0},
    { 86, "VAG 5", nullptr, "17 20 24 27",    8, 0, 0},
    { 87, "VAG 6", nullptr, "17 20 24 27 22",    8, 0, 0},
    { 88, "VAG 7", nullptr, "17 20 18 24 27 22 23",    8, 0, 0},
    { 89, "VAG 8", nullptr, "17 20 18 22",    8, 0, 0},
    { 90, "VAG 9", nullptr, "17 20 27 22 24",    8, 0, 0},
    { 91, "VAG 10", nullptr, "17 20 18 22 24",    8, 0, 0},
    { 92, "VAG 11", nullptr, "17 20 27 23 24",    8, 0, 0},
    { 93, "VAG 12", nullptr, "17 20 18 27 22 23 24",    8, 0, 0},
    { 94, "VAG 13", nullptr, "17 27 22 24",    8, 0, 0},
    { 95, "VAG 14", nullptr, "17 18 27 22 23 24",    8, 0, 0},
    { 81, "GreatWall", nullptr, "17 19 22 24 21",    2, 0, 0},
    { 96, "VAG CE", nullptr, "",    8, pf::NoCoolantTemp, 0},
    {101, "Mitsu3", nullptr, "17 20 19 18",    0, 0, 0},
    {102, "OBD2E", nullptr, "17 20 22 19 18 24",    0, 0, 0},
    {103, "OBD2Q", nullptr, "17 20 22 19 18 24",    0, 0, 0},
    {104, "OBD2S", nullptr, "17 20 19 18 24",    0, 0, 0},
    {105, "OBD2P", nullptr, "17 20 19 18 24",    0, 0, 0},
    {111, "Toyota", nullptr, "17 20 19 18 22 21 24 36",    0, 0, 0},
    {113, "Toyota1", nullptr, "17 20 18 22",    0, 0, 0},
    {112, "Daihatsu", nullptr, "17 20 19 18 22 23 24",    0, 0, 0},
    {116, "Mitsu 1", nullptr, "17 20 22 23 24 27 21",    9, 0, 0},
    {117, "Mitsu 2", nullptr, "17 20 19 18 24",    9, 0, 0},
    {118, "Mitsu 5", nullptr, "17 20 22 23 24 27 21",    9, 0, 0},
    {121, "Opel 1", nullptr, "17 20 21 22 24 27 19",    1, 0, 0},
    {122, "Opel 2", nullptr, "17 20 21 24 22 25 18",    1, 0, 0},
    {123, "Opel 3", nullptr, "17 20 21 22 24 25 18",    1, 0, 0},
    {124, "Opel 4", nullptr, "17 20 22 24 25",    1, 0, 0},
    {125, "Opel 5", nullptr, "17 20 22 24 25 18",    1, 0, 0},
    {126, "Opel 6", nullptr, "17 20 22 24 25 19",    1, 0, 0},
    {127, "Opel 7", nullptr, "17 20 24 18",    1, 0, 0},
    {128, "Opel 8", nullptr, "17 20 21 24 22 25 18",    1, 0, 0},
    {131, "SsYong бен", nullptr, "17 20 22 27 18 24",    1, 0, 0},
    {132, "SsYong диз", nullptr, "17 20 18 24",    1, 0, 0},
    {139, "Mitsu 4", nullptr, "17 20 22 23 24 27 21",    0, 0, 0},
    {141, "Consult1", nullptr, "17 20 28 21 22 24 25 19",    2, 0, 0},
    {142, "Consult1D", nullptr, "17 20 28 24 19",    2, 0, 0},
    {151, "Honda", nullptr, "17 20 22 21 19 24 25",    2, 0, 0},
    {152, "Suzuki", nullptr, "17 20 22 21 18 24",    2, 0, 0},
    {162, "OBDPWM", nullptr, "17 20 18 22 19",    0, 0, 1},
    {220, "Delphi", nullptr, "17 19 25 20 22 23 21 24",    1, 0, 0},
    {221, "Delphi1", nullptr, "17 19 25 20 22 23 21 24",    1, 0, 0},
    {222, "Yamaha", nullptr, "19 25 20 22 21 24 35 57 58 41",    2, pf::NoCoolantTemp | pf::BatteryVoltageMethod, 0},
    {223, "Suzuki", nullptr, "19 25 20 21 24 59 37 38 41",    2, pf::NoCoolantTemp | pf::BatteryVoltageMethod | pf::TrimMethod, 0},
    {224, "Honda", nullptr, "20 21 19 22 24 25 60 61 38",   10, pf::NoCoolantTemp | pf::EngineOilTemp | pf::BatteryVoltageMethod, 0},
    {225, "Evinrude", nullptr, "20 24 41 60 61",    2, pf::BatteryVoltageMethod | pf::TrimMethod, 0},
    {228, "Evinrude2", nullptr, "20 24 57",    2, pf::BatteryVoltageMethod | pf::TrimMethod, 0},
    {171, "74L", nullptr, "17 20 36 37",    1, pf::AtOilTemp | pf::FanControl | pf::ParkLightsType, 1},
    {172, "86L", nullptr, "17 20 36 37",    1, pf::AtOilTemp | pf::FanControl | pf::ParkLightsType, 1},
    {226, "Hidea", nullptr, "17 18 19 25 20 22 21 24",    1, pf::NoFaultAlarm | pf::BatteryVoltageMethod, 0},
    {254, "Carb.", "Карб.", "", 1000, pf::NoCoolantTemp | pf::NoFaultAlarm, 0},
    {227, "Yam2018", nullptr, "17 27 37 35 38 41 42",    2, 0, 0},
    {229, "PM 800T", nullptr, "17 18 19 25 20 22 23 24 21 37",    1, pf::BatteryVoltageMethod, 0},
    {255, "Uni.", "Универс.", "", 1000, pf::NoCoolantTemp | pf::NoFaultAlarm, 0},
};

struct BlockRow {
    std::uint8_t number;
    std::string_view codes;
};

// Diagnosable blocks per protocol, in stored order. Protocols not listed here
// have none: 5, 6, 182, 19, 20, 27, 29, 31, 32, 33, 37, 38, 42, 50, 62, 63, 64, 82, 83, 84, 85, 86, 87, 88, 89, 90, 91, 92, 93, 94, 95, 81, 96, 101, 102, 103, 104, 105, 112, 116, 117, 118, 121, 122, 123, 124, 125, 126, 127, 128, 131, 132, 139, 151, 152, 162, 220, 221, 222, 223, 224, 225, 228, 226, 254, 227, 229, 255.
constexpr BlockRow kBlockRows[] = {
    { 11, "8 10 11 15 25 27 77 28 29 30 36 37 55 56 57 58 59 60 76 83 90 177 178 179 180 181 183 184"},
    {  7, "29 30 37 177 178 179 180 182 183 184"},
    { 16, "55 56 57 58 59 60 61 62 63 64 65 76 83 90 183 184"},
    { 18, "22 23 31 32 34 35 66 25 48 137 138"},
    {180, "22 23 31 32 34 35 66 25 48 137 138 152"},
    {181, "22 23 31 32 34 35 66 25 48 137 138 152"},
    { 12, "139 136 81 172 173 174 161 165 166 167 168 169"},
    {230, "78 81 139 173 174 172 173 161 165 166 167 168 169"},
    {234, "120 139 136 81 172 173 174 161 165 166 167 168 169"},
    {231, "79 130 139 136 81 172 173 174 161 165 166 167 168 169"},
    {232, "80 82 85 119 139 136 81 172 173 174 161 165 166 167 168 169"},
    {235, "84 139 136 81 172 173 174 161 165 166 167 168 169"},
    {236, "121 139 136 81 172 173 174 161 165 166 167 168 169"},
    {237, "134 139 136 81 172 173 174 161 165 166 167 168 169"},
    {233, "115 139 136 81 172 173 174 161 165 166 167 168 169"},
    {238, "140 139 136 81 172 173 174 161 165 166 167 168 169"},
    {244, "171 139 136 81 172 173 174 161 165 166 167 168 169"},
    {240, "142 139 136 81 172 173 174 151 176 161 165 166 167 168 169"},
    {245, "175 172 173 174 151 176 161 165 166 167 168 169"},
    {243, "150 139 136 81 172 173 174 151 161 165 166 167 168 169"},
    {239, "141 81 136 139 174 173 172"},
    {241, "143 139 136 81 172 173 174 161 165 166 167 168 169"},
    {242, "149 144 145 165 166 167 168 169"},
    { 15, "38 39 40 41 42 43 44"},
    { 13, "22 23 31 32 34 35 66 77"},
    {  1, "45 46 47 48 49 50 53 54 69 70 71 72 73 74 75 77 86 87 88 89 133 90 91 92 94 95 96 97 98 99 100 101 102 103 104 105 106 107 108 109 132 110 111 112 113 114 116 117 118 122 123 124 125 126 127 128 129 135 146 147 148 153 154 155 156 157 158 159 160 161 162 163 164 170"},
    { 17, "61 62 63 64 65 76 83 90"},
    { 14, "22 23"},
    { 21, "21"},
    { 22, "21"},
    { 36, "45"},
    { 48, "22 23"},
    { 51, "22 23"},
    { 41, "8 9 12"},
    { 43, "21 22 23"},
    { 44, "8 10 11 12 13 14 15 16 17 18 19 20 22 23 24 67 68"},
    { 45, "8 10 11 12 13 14 16 17 18 19 20 22 23 24 26 67 68"},
    { 46, "22 23"},
    { 47, "22 23"},
    { 49, "22 23 31 32 34 35 66"},
    { 61, "8 12"},
    { 65, "51 52"},
    {111, "165 166 167 168 169"},
    {113, "165 166 167 168 169"},
    {141, "45"},
    {142, "45"},
    {171, "8 10 11 15 25 27 77 28 29 30 36 37 55 56 57 58 59 60 76 83 90"},
    {172, "8 10 11 15 25 27 77 28 29 30 36 37 55 56 57 58 59 60 76 83 90"},
};

constexpr std::string_view kGearboxA =
    "No|Paj.Sport|Outlndr|Niss1|Captiva|Toy1|Toy2|HovH5,St|Niss2|Wrangler|Rexton|Kyr/Act|Niss3|Outl3.0|Paj.WF|Duster|Mazda1|Hyund/Kia1|Hyund/Kia2|Mazda2|Mazda3|Subaru|Niss4|Suz1|Outl16|Astra|Toy3|Chery|Kuga1|Niss5|Suz2|Suz3|Patrt|Hyund/Kia3|A13|A16|Emgrd|Punch|TCU|Toy4|Hyund/Kia4|Kuga2|Sand2|Hyund/Kia5|JComm|U660E|Pg308|Vol60|Skoda|Skoda2|Suz4|NissP|V8AWG|Accrd1|Accrd2";
constexpr std::string_view kGearboxB = "No|Toy1|Toy2|Toy3|Toy4|U660E";

struct OptionRow {
    std::uint8_t number;
    int index;
    const char* caption;     // English; Russian from kRussian
    std::string_view values; // "|"-separated, English; Russian from kRussian
};

// protocol, option index, caption, values in stored order
constexpr OptionRow kOptionRows[] = {
    { 11, 1, "Fan control channel", "1|2|1+2"},
    { 11, 4, "AT oil temper.", "No|Jatco|ZF 2180|Niss5"},
    {  7, 1, "Fan control channel", "1|2|1+2|3|4"},
    {  7, 4, "AT oil temper.", "No|Jatco|ZF 2180|Niss5"},
    { 16, 1, "Fan control channel", "1|2|1+2"},
    { 16, 4, "AT oil temper.", "No|Jatco|ZF 2180|Niss5"},
    { 18, 1, "Fan control channel", "1|2|1+2"},
    { 18, 4, "AT oil temper.", "No|Captiva|Punch"},
    {180, 4, "AT oil temper.", "No|Captiva|Punch"},
    {181, 1, "Fan control channel", "1|2|1+2"},
    {181, 4, "AT oil temper.", "No|Captiva|Punch"},
    { 12, 1, "CAN req/sec", "4|1"},
    { 12, 2, "Expense calculation", "1|2"},
    { 12, 4, "AT oil temper.", kGearboxB},
    {230, 1, "CAN req/sec", "4|1"},
    {230, 4, "AT oil temper.", kGearboxB},
    {234, 1, "CAN req/sec", "4|1"},
    {234, 4, "AT oil temper.", kGearboxB},
    {231, 1, "CAN req/sec", "4|1"},
    {231, 4, "AT oil temper.", kGearboxB},
    {232, 1, "CAN req/sec", "4|1"},
    {232, 4, "AT oil temper.", kGearboxA},
    {235, 1, "CAN req/sec", "4|1"},
    {235, 4, "AT oil temper.", kGearboxA},
    {236, 1, "CAN req/sec", "4|1"},
    {236, 4, "AT oil temper.", kGearboxA},
    {237, 1, "CAN req/sec", "4|1"},
    {237, 4, "AT oil temper.", kGearboxA},
    {233, 1, "CAN req/sec", "4|1"},
    {233, 4, "AT oil temper.", kGearboxB},
    {238, 1, "CAN req/sec", "4|1"},
    {238, 4, "AT oil temper.", kGearboxA},
    {244, 1, "CAN req/sec", "4|1"},
    {244, 4, "AT oil temper.", kGearboxA},
    {240, 1, "CAN req/sec", "4|1"},
    {240, 4, "AT oil temper.", kGearboxA},
    {245, 1, "CAN req/sec", "4|1"},
    {245, 4, "AT oil temper.", kGearboxA},
    {243, 1, "CAN req/sec", "4|1"},
    {243, 4, "AT oil temper.", kGearboxA},
    {239, 1, "CAN req/sec", "4|1"},
    {239, 4, "AT oil temper.", kGearboxB},
    {241, 1, "CAN req/sec", "4|1"},
    {241, 4, "AT oil temper.", kGearboxB},
    { 15, 3, "Throttle type", "1|2|3|4|5|6"},
    { 13, 1, "CAN req/sec", "4|1"},
    {  1, 1, "CAN req/sec", "4|1"},
    {  1, 2, "Expense calculation", "1|2|Cruis|4|5D|DustD"},
    {  1, 3, "Throttle type", "1|2|3|4|5|6"},
    {  1, 4, "AT oil temper.", kGearboxA},
    { 17, 2, "Expense calculation", "1|2"},
    { 17, 4, "AT oil temper.", "No|ZF 2180|Niss5"},
    { 14, 2, "Expense calculation", "1|2|3"},
    { 19, 1, "Engine", "Total|0|1|2|3|4"},
    { 21, 6, "Faults request", "Auto|Man."},
    { 27, 1, "Protocol type", "MAP1|MAP2|VAF"},
    { 27, 2, "T Coolant var.", "fr92|up92"},
    { 27, 3, "ISreg var.", "ISreg|EMV"},
    { 37, 2, "Faults type", "1|2|3"},
    { 38, 2, "Faults type", "1|2|3"},
    { 48, 1, "Fan control channel", "1|2|1+2"},
    { 41, 1, "Fan control channel", "1|2|1+2|3"},
    { 42, 1, "Fan control channel", "1|2|1+2"},
    { 43, 1, "Fan control channel", "1|2|1+2"},
    { 44, 1, "Fan control channel", "1|2|1+2"},
    { 45, 1, "Fan control channel", "1|2|1+2"},
    { 46, 1, "Fan control channel", "1|2|1+2"},
    { 47, 1, "Fan control channel", "1|2|1+2"},
    { 47, 2, "Expense calculation", "1|2"},
    { 49, 1, "Fan control channel", "1|2|1+2"},
    { 62, 0, "Type", "1|2"},
    { 63, 1, "Fan control channel", "1|2|1+2"},
    { 64, 3, "OS2 type", "Lambda|FrntO2"},
    { 93, 1, "OS type", "1|2"},
    {103, 0, "OBD type", "Auto|1|2|3|4|5"},
    {103, 2, "Expense calculation", "1|Cruis"},
    {103, 3, "Throttle type", "1|2|3|4|5|6"},
    {103, 6, "Faults request", "Auto|Man."},
    {104, 0, "OBD type", "Auto|1|2|3|4|5"},
    {104, 2, "Expense calculation", "1|Cruis"},
    {104, 3, "Throttle type", "1|2|3|4|5|6"},
    {104, 6, "Faults request", "Auto|Man."},
    {105, 0, "OBD type", "Auto|1|2|3|4|5"},
    {105, 2, "Expense calculation", "1|Cruis"},
    {105, 3, "Throttle type", "1|2|3|4|5|6"},
    {105, 6, "Faults request", "Auto|Man."},
    {111, 4, "AT oil temper.", "No|Yes"},
    {113, 6, "Faults request", "Auto|Man."},
    {116, 2, "Faults type", "1|2|3"},
    {116, 3, "T Cool/InAir var.", "1|2"},
    {117, 2, "Faults type", "1|2|3"},
    {117, 3, "Expense calculation", "1|2"},
    {118, 2, "Faults type", "1|2|3"},
    {124, 3, "T Coolant var.", "1|2"},
    {132, 0, "Protocol type", "K20E3|K20E4|R27E3|R27E4|R27  "},
    {139, 1, "Engine type", "Petrol|Diesel"},
    {139, 2, "Faults type", "1|2"},
    {151, 1, "Type", "2|1"},
    {171, 1, "Fan control channel", "1|2|1+2"},
    {171, 4, "AT oil temper.", "No|Jatco|ZF 2180|Niss5"},
    {172, 1, "Fan control channel", "1|2|1+2"},
    {172, 4, "AT oil temper.", "No|Jatco|ZF 2180|Niss5"},
};

struct Translation {
    std::string_view en, ru;
};

// Option captions and values that have a Russian text; every other value is
// the same in both languages.
constexpr Translation kRussian[] = {
    {"Fan control channel", "Канал включения вентилятора"},
    {"AT oil temper.", "Темп. масла АКПП"},
    {"CAN req/sec", "Опрос CAN раз/сек"},
    {"Expense calculation", "Расчет расхода"},
    {"Throttle type", "Тип дросселя"},
    {"Faults request", "Запрос ошибок"},
    {"Faults type", "Тип ошибок"},
    {"Protocol type", "Тип протокола"},
    {"OBD type", "Тип ОБД"},
    {"OS type", "Тип ДК"},
    {"OS2 type", "Тип ДК2"},
    {"T Coolant var.", "Вариант ТОЖ"},
    {"T Cool/InAir var.", "Вариант ТОЖ/ТВВ"},
    {"ISreg var.", "Вариант ШД"},
    {"Engine type", "Тип двигателя"},
    {"Type", "Тип"},
    {"Engine", "Двигатель"},
    {"Auto", "Авто"},
    {"Man.", "Руч."},
    {"No", "Нет"},
    {"Yes", "Да"},
    {"Cruis", "Круиз"},
    {"Total", "Все"},
    {"Petrol", "Бензин"},
    {"Diesel", "Дизель"},
    {"ISreg", "ШД"},
    {"EMV", "ЭМК"},
    {"FrntO2", "O2 Пер"},
    {"up92", "до 92"},
};

} // namespace

std::string OptionTextInOtherLanguage(std::string_view text)
{
    for (const auto& t : kRussian) {
        if (t.en == text)
            return std::string(t.ru);
        if (t.ru == text)
            return std::string(t.en);
    }
    return {};
}

namespace {

std::string Localised(std::string_view english, Language language)
{
    if (!IsEnglish(language))
        for (const auto& t : kRussian)
            if (t.en == english)
                return std::string(t.ru);
    return std::string(english);
}

const ProtRow* FindProtRow(std::uint8_t number)
{
    for (const auto& r : kProtRows)
        if (r.number == number)
            return &r;
    return nullptr;
}

std::vector<std::uint8_t> BlocksOf(std::uint8_t number)
{
    for (const auto& r : kBlockRows)
        if (r.number == number)
            return ParseCodeList(r.codes);
    return {};
}

std::vector<std::string> SplitValues(std::string_view values, Language language)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (true) {
        const auto bar = values.find('|', start);
        out.emplace_back(Localised(values.substr(start, bar == std::string_view::npos ? std::string_view::npos : bar - start), language));
        if (bar == std::string_view::npos)
            return out;
        start = bar + 1;
    }
}

void ApplyOptions(VehicleProtocol& p, const ProtRow& row, Language language)
{
    for (const auto& o : kOptionRows) {
        if (o.number != row.number)
            continue;
        const auto k = static_cast<std::size_t>(o.index);
        std::string_view values = o.values;
        auto texts = SplitValues(values, language);
        auto& slots = p.OptionValues.at(k);
        if (texts.size() > slots.size())
            throw Error("option list longer than its slots");
        std::copy(texts.begin(), texts.end(), slots.begin());
        p.OptionCount[k] = static_cast<int>(texts.size());
        p.OptionCaption[k] = Localised(o.caption, language);
    }
    const unsigned f = row.flags;
    p.HasCoolantTemp = !(f & pf::NoCoolantTemp);
    p.HasFaultAlarm = !(f & pf::NoFaultAlarm);
    p.HasAtOilTemp = f & pf::AtOilTemp;
    p.HasEngineOilTemp = f & pf::EngineOilTemp;
    p.HasFanControl = f & pf::FanControl;
    p.HasParkLightsType = f & pf::ParkLightsType;
    p.HasBatteryVoltageMethod = f & pf::BatteryVoltageMethod;
    p.IsHybrid = f & pf::Hybrid;
    p.HasExtraCooling = f & pf::ExtraCooling;
    p.HasTrimMethod = f & pf::TrimMethod;
    p.EcuFuelLevelCount = row.ecuFuelLevelCount;
}

} // namespace

VehicleProtocol::VehicleProtocol(std::string name, std::uint8_t number, int faultCodeFormat,
                     std::span<const std::uint8_t> addedParCodes, std::span<const std::uint8_t> blockCodes,
                     const ModelFeatures& features, BlockPresence& blockPresence, Language language)
    : TextLanguage(language), ProtName(std::move(name)), ProtNumber(number), FaultCodeFormat(faultCodeFormat)
{
    // Value lists before the protocol's own: "Auto", 1..9 for option 0,
    // 1..13 for the gearbox option, 1..10 for the others.
    for (int k = 0; k < kProtOptionCount; ++k) {
        auto& values = OptionValues[static_cast<std::size_t>(k)];
        values.assign(k == kGearboxOption ? 61 : 21, std::string());
        const int numbered = k == 0 ? 9 : k == kGearboxOption ? 13 : 10;
        std::size_t slot = 0;
        if (k == 0)
            values[slot++] = Tr(language, "Авто", "Auto");
        for (int n = 1; n <= numbered; ++n)
            values[slot++] = std::to_string(n);
    }

    for (std::uint8_t code = 1; code <= 16; ++code)
        AddParCode(code);
    for (auto code : addedParCodes)
        AddParCode(code);
    if (features.KmPerLitre)
        AddParCode(65);
    if (features.LowBeamControl && !features.LowBeamOnAirInput)
        AddParCode(34);
    if (features.HasTrim)
        AddParCode(62);
    if (features.HasAccelerometer) {
        AddParCode(55);
        AddParCode(56);
    }

    if (blockCodes.size() > BlockCodes.size())
        throw Error(Tr(language, "Список блоков протокола длиннее 101 кода", "The protocol's block list is longer than 101 codes"));
    std::copy(blockCodes.begin(), blockCodes.end(), BlockCodes.begin());
    BlockCount = static_cast<int>(blockCodes.size());
    for (auto c : blockCodes)
        if (c >= kFirstBlockCode && c <= kLastBlockCode)
            blockPresence[c] = true;
}

void VehicleProtocol::AddParCode(std::uint8_t code)
{
    if (code == 0)
        return;
    if (ParCount >= kMaxProtCodes)
        throw Error(Tr(TextLanguage, "Список параметров протокола переполнен (101 код)", "The protocol's parameter list is full (101 codes)"));
    ParCodes[static_cast<std::size_t>(ParCount++)] = code;
}

bool VehicleProtocol::OptionOffered(int k) const
{
    return k >= 0 && k < kProtOptionCount && !OptionCaption[static_cast<std::size_t>(k)].empty();
}

std::vector<std::string> VehicleProtocol::OfferedValues(int k) const
{
    if (k < 0 || k >= kProtOptionCount)
        return {};
    const auto& values = OptionValues[static_cast<std::size_t>(k)];
    const auto n = std::min<std::size_t>(static_cast<std::size_t>(OptionCount[static_cast<std::size_t>(k)]), values.size());
    return {values.begin(), values.begin() + static_cast<std::ptrdiff_t>(n)};
}

std::vector<std::uint8_t> ProtocolNumbers()
{
    std::vector<std::uint8_t> numbers;
    for (const auto& r : kProtRows)
        numbers.push_back(r.number);
    return numbers;
}

std::optional<VehicleProtocol> MakeProtocol(std::uint8_t number, const ModelFeatures& features,
                                      BlockPresence& blockPresence, Language language, bool bosch63)
{
    const ProtRow* row = FindProtRow(number);
    if (!row)
        return std::nullopt;
    std::string name = (!IsEnglish(language) && row->nameRu) ? row->nameRu : row->nameEn;
    if (number == 63 && bosch63)
        name = "Bosch";
    const auto codes = ParseCodeList(row->codes);
    const auto blocks = BlocksOf(number);
    std::optional<VehicleProtocol> p;
    p.emplace(std::move(name), number, row->faultCodeFormat, codes, blocks, features, blockPresence, language);
    ApplyOptions(*p, *row, language);
    return p;
}

} // namespace tc
