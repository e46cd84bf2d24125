#include "journals/Journals.h"

#include "common/Bytes.h"
#include "common/Error.h"
#include "common/Language.h"
#include "model/ReferenceLayout.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace tc {
namespace {

class Journals : public ::testing::Test {
protected:
    void SetUp() override
    {
        point.language = Language::English;
        LoadReferenceImage(model, 0xC000);
        for (int k = 1; k <= kRecordCount; ++k)
            std::fill(model.Record(k).begin(), model.Record(k).end(), std::uint8_t{0});
    }

    std::span<std::uint8_t> JournalRec(JournalKind kind, int i)
    {
        const std::size_t base = (kind == JournalKind::Trip ? kTripJournalOffset : kRefuelJournalOffset) + static_cast<std::size_t>(i) * kJournalRecordSize;
        return model.Record(7).subspan(base, kJournalRecordSize);
    }
    void PutRecord(JournalKind kind, int i, std::uint16_t minutes, std::uint8_t day, std::uint8_t month, std::uint32_t time,
                   std::uint32_t distance, std::uint32_t petrol, std::uint32_t gas)
    {
        auto r = JournalRec(kind, i);
        PutU16(r, 0, minutes);
        PutU8(r, 2, day);
        PutU8(r, 3, month);
        PutU32(r, 4, time);
        PutU32(r, 8, distance);
        PutU32(r, 12, petrol);
        PutU32(r, 16, gas);
    }
    std::span<std::uint8_t> FaultRec(int i) { return model.Record(11).subspan(kFaultRecordsOffset + static_cast<std::size_t>(i) * kFaultRecordSize, kFaultRecordSize); }
    void SetPid(int p) { model.Record(11)[kPidBitmapOffset + static_cast<std::size_t>(p - 1) / 8] |= static_cast<std::uint8_t>(0x80 >> ((p - 1) % 8)); }

    SettingsModel model;
    NumberFormat point;
};

using Row = std::vector<std::string>;

// `count` cells of a table row from `first` on.
Row Cells(const Row& row, std::size_t first, std::size_t count)
{
    return Row(row.begin() + static_cast<std::ptrdiff_t>(first), row.begin() + static_cast<std::ptrdiff_t>(first + count));
}

TEST_F(Journals, EmptyJournalShowsEmptyInEveryRowAndNothingElse)
{
    for (bool english : {true, false}) {
        point.language = LanguageOf(english);
        for (auto kind : {JournalKind::Trip, JournalKind::Refuel}) {
            const auto t = FillJournal(model, kind, point);
            ASSERT_EQ(t.size(), 22u);
            EXPECT_EQ(t[0][0], "#");
            EXPECT_EQ(t[0][1], english ? "Date and time of rec." : "Дата и время записи");
            EXPECT_EQ(t[0][8], english ? "Cost" : "Стоимость");
            EXPECT_EQ(t[1][0], english ? "Last" : "Посл.");
            EXPECT_EQ(t[21][0], "20");
            for (std::size_t r = 1; r < 22; ++r) {
                ASSERT_EQ(t[r].size(), 9u);
                EXPECT_EQ(t[r][1], english ? "Empty" : "Пусто");
                for (std::size_t c = 2; c < 9; ++c)
                    EXPECT_EQ(t[r][c], "");
            }
        }
    }
}

TEST_F(Journals, RecordColumnsAveragesAndCost)
{
    PutU16(model.Record(7), kPetrolPriceOffset, 450);
    PutRecord(JournalKind::Trip, 0, 8 * 60 + 5, 7, 3, 600, 10000, 900, 0);
    auto t = FillTripJournal(model, point);
    EXPECT_EQ(Cells(t[1], 1, 8), (Row{"08:05   7.03", "0:10", "10.000", "0.900", "60", "9.0", "5.40", "40.5"}));
    // The refuelling journal is a separate array.
    EXPECT_EQ(FillRefuelJournal(model, point)[1][1], "Empty");

    // The user's separator reaches every fixed-point cell.
    t = FillTripJournal(model, NumberFormat{",", point.language});
    EXPECT_EQ(t[1][3], "10,000");
    EXPECT_EQ(t[1][7], "5,40");
    EXPECT_EQ(t[1][8], "40,5");
}

TEST_F(Journals, ZeroDivisorsShowDashesAndOutOfRangeFieldsShowTheirNumber)
{
    // Time of day wraps at 24 hours; a day and month out of range are shown as numbers.
    PutRecord(JournalKind::Refuel, 20, 25 * 60 + 7, 45, 123, 0, 0, 1500, 250);
    const auto t = FillRefuelJournal(model, point);
    EXPECT_EQ(Cells(t[21], 1, 7), (Row{"01:07   45.123", "0:00", "0.000", "1.750", "---", "---", "---"}));
}

TEST_F(Journals, SpeedRoundsHalvesToEvenOtherColumnsHalfUp)
{
    // 625 m in 100 s = 22.5 km/h -> 22; 875 m in 100 s = 31.5 -> 32.
    PutRecord(JournalKind::Trip, 1, 0, 1, 1, 100, 625, 0, 0);
    PutRecord(JournalKind::Trip, 2, 0, 1, 1, 100, 875, 0, 0);
    // 250 ml over 20 km in 2000 s: 1.25 l/100 km and 0.45 l/h.
    PutRecord(JournalKind::Trip, 3, 0, 1, 1, 2000, 20000, 250, 0);
    const auto t = FillTripJournal(model, point);
    EXPECT_EQ(t[2][5], "22");
    EXPECT_EQ(t[3][5], "32");
    EXPECT_EQ(t[4][6], "1.3"); // 1.25 half up
    EXPECT_EQ(t[4][7], "0.45");
}

TEST_F(Journals, CostUsesAllFourSignedPrices)
{
    auto r7 = model.Record(7);
    PutU16(r7, kPetrolPriceOffset, 450);                      // 45.0 per litre
    PutU16(r7, kHourPriceOffset, 100);                        // 100 per hour
    PutU16(r7, kKmPriceOffset, static_cast<std::uint16_t>(-20)); // -2.0 per km
    PutU16(r7, kGasPriceOffset, 200);                          // 20.0 per litre
    PutRecord(JournalKind::Trip, 0, 0, 1, 1, 1800, 10000, 900, 1000);
    // 40.5 + 50 - 20 + 20 = 90.5
    EXPECT_EQ(FillTripJournal(model, point)[1][8], "90.5");
    PutU16(r7, kKmPriceOffset, static_cast<std::uint16_t>(-1000)); // -100 per km: 40.5 + 50 - 1000 + 20
    EXPECT_EQ(FillTripJournal(model, point)[1][8], "-889.5");
    // The largest values do not overflow: 4294967295 m at 3276.7 per km.
    PutU16(r7, kPetrolPriceOffset, 0);
    PutU16(r7, kHourPriceOffset, 0);
    PutU16(r7, kKmPriceOffset, 32767);
    PutU16(r7, kGasPriceOffset, 0);
    PutRecord(JournalKind::Trip, 0, 0, 1, 1, 0, 0xFFFFFFFFu, 0, 0);
    EXPECT_EQ(FillTripJournal(model, point)[1][8], "14073319335.5");
}

TEST_F(Journals, ClearChangesOnlyTheDayBytes)
{
    for (int i = 0; i < kJournalRecordCount; ++i) {
        PutRecord(JournalKind::Trip, i, 61, 3, 4, 600, 10000, 900, 0);
        PutRecord(JournalKind::Refuel, i, 61, 3, 4, 600, 10000, 900, 0);
    }
    const std::vector<std::uint8_t> before(model.Record(7).begin(), model.Record(7).end());
    ClearJournal(model, JournalKind::Trip);
    const auto r7 = model.Record(7);
    for (std::size_t i = 0; i < r7.size(); ++i) {
        const bool tripDay = i >= kTripJournalOffset && i < kRefuelJournalOffset && (i - kTripJournalOffset) % kJournalRecordSize == 2;
        EXPECT_EQ(r7[i], tripDay ? 0 : before[i]) << "byte " << i;
    }
    EXPECT_EQ(FillTripJournal(model, point)[5][1], "Empty");
    EXPECT_EQ(FillRefuelJournal(model, point)[5][1], "01:01   3.04");
    ClearJournal(model, JournalKind::Refuel);
    EXPECT_EQ(FillRefuelJournal(model, point)[21][1], "Empty");
}

TEST_F(Journals, SummatorRowsAndDashes)
{
    auto t = FillSummator({600, 10000, 600, 300, 0}, point);
    ASSERT_EQ(t.size(), 6u);
    EXPECT_EQ(t[0], (std::vector<std::string>{"Time", "0:10"}));
    EXPECT_EQ(t[1], (std::vector<std::string>{"Mileage,m", "10.000"}));
    EXPECT_EQ(t[2], (std::vector<std::string>{"Expense, l", "0.900"}));
    EXPECT_EQ(t[3], (std::vector<std::string>{"Av.speed, km/h", "60.0"}));
    EXPECT_EQ(t[4], (std::vector<std::string>{"Av.exp., l/100", "9.0"}));
    EXPECT_EQ(t[5], (std::vector<std::string>{"Av.exp., l/h", "5.4"}));
    // Hours do not wrap; the kilometre count enters the mileage only.
    t = FillSummator({90061, 0, 0, 0, 4294967295u}, point);
    EXPECT_EQ(t[0][1], "25:01");
    EXPECT_EQ(t[1][1], "4294967295.000");
    EXPECT_EQ(t[3][1], "0.0");
    EXPECT_EQ(t[4][1], "-----");
    point.language = Language::Russian;
    t = FillSummator({0, 0, 0, 0, 0}, point);
    EXPECT_EQ(t[1][0], "Пробег, км");
    EXPECT_EQ(t[3][1], "-----");
    EXPECT_EQ(t[5][1], "-----");
}

TEST_F(Journals, SummatorsReadTheirOwnFieldsAndResetKeepsOthers)
{
    auto r1 = model.Record(1);
    for (std::size_t off = 0; off + 4 <= 120; off += 4)
        PutU32(r1, off, static_cast<std::uint32_t>(off + 1));
    PutU32(r1, kKilometresOffset, 12345);
    PutU8(r1, 153, 255);
    const std::vector<std::uint8_t> before(r1.begin(), r1.end());

    EXPECT_EQ(ReadSummator(model, Summator::All).kilometres, 12345u);
    EXPECT_EQ(ReadSummator(model, Summator::Trip).kilometres, 0u);
    const auto oil = ReadSummator(model, Summator::OilOnly);
    EXPECT_EQ(oil.time, 97u);
    EXPECT_EQ(oil.distance, 101u);
    EXPECT_EQ(oil.petrol, 105u);
    EXPECT_EQ(oil.gas, 0u);
    const auto gas = ReadSummator(model, Summator::GasOnly);
    EXPECT_EQ(gas.time, 109u);
    EXPECT_EQ(gas.petrol, 0u);
    EXPECT_EQ(gas.gas, 117u);

    // Cumulative reset: mileage row is the kilometre count, all averages dashes.
    ResetSummator(model, Summator::All);
    const auto t = FillSummator(model, Summator::All, point);
    EXPECT_EQ(t[1][1], "12345.000");
    for (std::size_t row = 3; row <= 5; ++row)
        EXPECT_EQ(t[row][1], "-----") << row;
    for (std::size_t i = 0; i < r1.size(); ++i)
        EXPECT_EQ(r1[i], i < 16 ? 0 : before[i]) << "byte " << i;

    // Gas only has three fields: the 12 bytes from 108, nothing beyond.
    ResetSummator(model, Summator::GasOnly);
    for (std::size_t i = 16; i < r1.size(); ++i)
        EXPECT_EQ(r1[i], i >= 108 && i < 120 ? 0 : before[i]) << "byte " << i;
    ResetSummator(model, Summator::OilOnly);
    EXPECT_EQ(GetU32(r1, 92), before[92]);
    EXPECT_EQ(GetU32(r1, 104), 0u);
    EXPECT_EQ(GetU32(r1, kKilometresOffset), 12345u);
}

TEST_F(Journals, SummatorCaptionsInBothLanguages)
{
    EXPECT_EQ(SummatorCaption(Summator::Tank, point.language), "Reset 2 (between gas stations)");
    point.language = Language::Russian;
    EXPECT_EQ(SummatorCaption(Summator::Tank, point.language), "Сброс 2 ( Между заправками )");
    EXPECT_EQ(SummatorCaption(Summator::All, point.language), "Накопительные / Общие");
}

TEST(FaultCodes, TypeZeroLettersAndOtherTypes)
{
    const FaultCodeOptions none;
    EXPECT_EQ(FormatFaultCode(0, 0x0301, none), "P0301");
    EXPECT_EQ(FormatFaultCode(0, 0x4301, none), "C0301");
    EXPECT_EQ(FormatFaultCode(0, 0x8ABC, none), "B0ABC");
    EXPECT_EQ(FormatFaultCode(0, 0xC100, none), "U0100");
    EXPECT_EQ(FormatFaultCode(0, 0x1C100, none), "0100");
    // The letter ranges end exactly at 0x3FFF, 0x7FFF, 0xBFFF and 0xFFFF.
    EXPECT_EQ(FormatFaultCode(0, 0x3FFF, none), "P3FFF");
    EXPECT_EQ(FormatFaultCode(0, 0x4000, none), "C0000");
    EXPECT_EQ(FormatFaultCode(0, 0x7FFF, none), "C3FFF");
    EXPECT_EQ(FormatFaultCode(0, 0x8000, none), "B0000");
    EXPECT_EQ(FormatFaultCode(0, 0xBFFF, none), "B3FFF");
    EXPECT_EQ(FormatFaultCode(0, 0xC000, none), "U0000");
    EXPECT_EQ(FormatFaultCode(0, 0xFFFF, none), "U3FFF");
    EXPECT_EQ(FormatFaultCode(0, 0x10000, none), "0000");
    EXPECT_EQ(FormatFaultCode(1, 0xC1AB, none), "01AB");
    EXPECT_EQ(FormatFaultCode(2, 4000000000u, none), "4000000000");
    EXPECT_EQ(FormatFaultCode(3, 0x8001, none), "32769п");
    EXPECT_EQ(FormatFaultCode(3, 0x4001, none), "16385н");
    EXPECT_EQ(FormatFaultCode(3, 0x2001, none), "8193м");
    EXPECT_EQ(FormatFaultCode(3, 0x1001, none), "4097");
    EXPECT_EQ(FormatFaultCode(4, 0xFF, none), "00FFSub");
    EXPECT_EQ(FormatFaultCode(4, 0x100, none), "0100");
    EXPECT_EQ(FormatFaultCode(4, 0xFFF, none), "0FFF");
    EXPECT_EQ(FormatFaultCode(4, 0x1000, none), "1000Sub");
    EXPECT_EQ(FormatFaultCode(4, 0x12345, none), "12345Sub");
    // SPN 0x5FFFF... : low 16 bits 0x1234, bits 21..23 -> 0x70000 part, FMI 5, count 3.
    EXPECT_EQ(FormatFaultCode(5, 0x03E51234u, none), "SPN = " + std::to_string(0x1234 + 0x70000) + "  FMI = 5  Q = 3");
    EXPECT_EQ(FormatFaultCode(5, 0x7E000064u, none), "SPN = 100  FMI = 0  Q = 126");
    EXPECT_EQ(FormatFaultCode(5, 0x7F000064u, none), "SPN = 100  FMI = 0  Q = ----");
    EXPECT_EQ(FormatFaultCode(5, 0x80000064u, none), "SPN = 100  FMI = 0  Q = ----");
    EXPECT_EQ(FormatFaultCode(10, 0x0A0E, none), "10-" + std::to_string(0x0A0E % 7));
    EXPECT_EQ(FormatFaultCode(6, 0x0301, none), "");
    EXPECT_EQ(FormatFaultCode(1000, 0x0301, none), "");
    EXPECT_EQ(FormatFaultCode(-1, 0x0301, none), "");
}

TEST(FaultCodes, TypesSevenEightNineFollowTheProtocolOptions)
{
    EXPECT_EQ(FormatFaultCode(7, 0x0301, {0, 0}), "0301");
    EXPECT_EQ(FormatFaultCode(7, 0x0301, {0, 1}), "P0301");
    EXPECT_EQ(FormatFaultCode(8, 0x4123, {0, 0}), "P0291");
    EXPECT_EQ(FormatFaultCode(8, 0x4FFF, {0, 0}), "P0023"); // 1023: last three digits
    EXPECT_EQ(FormatFaultCode(8, 0x5000, {0, 0}), "P0000");
    EXPECT_EQ(FormatFaultCode(8, 0x3FFF, {1, 0}), "16383");
    EXPECT_EQ(FormatFaultCode(8, 0x3FFF, {0, 0}), "");
    EXPECT_EQ(FormatFaultCode(9, 0x0301, {0, 0}), "769");
    EXPECT_EQ(FormatFaultCode(9, 0x0301, {0, 2}), "P0301");
}

TEST(FaultCodes, DecimalToPCode)
{
    EXPECT_EQ(DecimalToPCode(0x4123), 0x291u);
    EXPECT_EQ(DecimalToPCode(0x4400 + 420), 0x420u);
    EXPECT_EQ(DecimalToPCode(0x4800 + 7), 0x007u);
    EXPECT_EQ(DecimalToPCode(0x4C00 + 999), 0x999u);
    EXPECT_EQ(DecimalToPCode(0x5000), 0u);
    EXPECT_EQ(DecimalToPCode(0xFFFFFFFFu), 0u);
}

TEST_F(Journals, FaultListRows)
{
    auto f = FaultRec(0);
    PutU16(f, 0, 25 * 60 + 3); // no wrap at 24 in the fault list
    PutU8(f, 2, 9);
    PutU8(f, 3, 11);
    PutU32(f, 4, 0x0301);
    f = FaultRec(6);
    PutU16(f, 0, 5);
    PutU8(f, 2, 1);
    PutU8(f, 3, 2);
    PutU32(f, 4, 0x4123);
    auto t = FillFaultJournal(model, 8, point.language);
    ASSERT_EQ(t.size(), 8u);
    EXPECT_EQ(t[0], (std::vector<std::string>{"#", "Time", "Trouble code"}));
    // Type 8 below 0x4000 with the main option not 1 resolves to type 6, which has no text.
    EXPECT_EQ(t[1], (std::vector<std::string>{"0", "25:03 9.11", ""}));
    EXPECT_EQ(t[7], (std::vector<std::string>{"6", "0:05 1.02", "P0291"}));
    EXPECT_EQ(t[4], (std::vector<std::string>{"3", "", ""}));
}

TEST_F(Journals, FreezeFrameRows)
{
    auto f = FaultRec(2);
    PutU32(f, 4, 0x0301);
    PutU32(f, 8, 0x0301);
    PutU16(f, 32, 2500);
    // Row 0 does nothing; a record without a freeze-frame code gives an empty grid.
    EXPECT_FALSE(ShowFreezeFrame(model, 0, point).has_value());
    EXPECT_FALSE(ShowFreezeFrame(model, 8, point).has_value());
    ASSERT_TRUE(ShowFreezeFrame(model, 1, point).has_value());
    EXPECT_TRUE(ShowFreezeFrame(model, 1, point)->empty());

    SetPid(12);
    auto t = ShowFreezeFrame(model, 3, point);
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(*t, (TextTable{{"Trouble code", "P0301"}, {"Engine RPM", "2500"}}));
    point.language = Language::Russian;
    EXPECT_EQ(*ShowFreezeFrame(model, 3, point), (TextTable{{"Код ошибки", "P0301"}, {"Обороты/мин", "2500"}}));
    point.language = Language::English;

    // Every kind of value.
    for (int p : {3, 10, 18, 20, 96})
        SetPid(p);
    PutU16(f, 12, 0x0210); // system 1: closed loop, system 2: O2 sensor fault
    PutU16(f, 26, static_cast<std::uint16_t>(-15)); // -1.5 kPa
    PutU16(f, 42, 0x0104); // taken as a byte: 4, "Off"
    PutU16(f, 44, 45);     // 0.45 V
    t = ShowFreezeFrame(model, 3, NumberFormat{",", point.language});
    EXPECT_EQ(*t, (TextTable{{"Trouble code", "P0301"},
                             {"Fuel system 1 status", "Closed loop(O2 sens)"},
                             {"Fuel system 2 status", "Closed loop(O2s Flt)"},
                             {"Fuel pressure, kPa", "-1,5"},
                             {"Engine RPM", "2500"},
                             {"Состояние вторичного воздуха", "Off"},
                             {"Oxygen sensor voltage 1, V", "0,45"}}));
}

TEST_F(Journals, PidBitmapAndStatusTexts)
{
    SetPid(1);
    SetPid(96);
    EXPECT_EQ(model.Record(11)[4], 0x80);
    EXPECT_EQ(model.Record(11)[15], 0x01);
    EXPECT_TRUE(PidSupported(model, 1));
    EXPECT_TRUE(PidSupported(model, 96));
    EXPECT_FALSE(PidSupported(model, 2));
    EXPECT_FALSE(PidSupported(model, 0));
    EXPECT_FALSE(PidSupported(model, 97));
    EXPECT_EQ(FuelSystemStatusText(1, point.language), "Open loop(ins.eng.T)");
    EXPECT_EQ(FuelSystemStatusText(3, point.language), "Unknown");
    EXPECT_EQ(SecondaryAirStatusText(2, point.language), "Downstream of catal");
    point.language = Language::Russian;
    EXPECT_EQ(FuelSystemStatusText(8, point.language), "Разомк.(ОшСист)");
    EXPECT_EQ(SecondaryAirStatusText(0, point.language), "Неизвестно");
}

TEST_F(Journals, FreezeFrameTableMatchesTheDevice)
{
    // Every row as the device documents it, against the golden file: PID,
    // offset in the fault record, value kind and both labels (RPM at 32
    // before speed at 30; the secondary air has only its Russian label).
    static const char* const kKinds[] = {"FuelSystem1", "FuelSystem2", "Integer", "Tenths", "Hundredths", "AirStatus"};
    const auto rows = FreezeFrameRows();
    std::string table;
    for (const FreezeFrameRow& row : rows) {
        table += std::to_string(row.pid) + "\t" + std::to_string(row.offset) + "\t" + kKinds[static_cast<int>(row.kind)] + "\t"
                 + std::string(row.english) + "\t" + std::string(row.russian) + "\n";
        EXPECT_LE(row.offset + 2, kFaultRecordSize) << row.english;
    }
    std::ifstream in(std::string(TRIPCONF_SOURCE_DIR) + "/tests/journals/golden/freeze-frame-rows.txt", std::ios::binary);
    std::stringstream golden;
    golden << in.rdbuf();
    EXPECT_EQ(table, golden.str());

    // With every PID present the frame shows the trouble code and all rows in
    // this order, each value read from its own offset.
    for (int p = 1; p <= 96; ++p)
        SetPid(p);
    auto f = FaultRec(4);
    PutU32(f, 8, 0x0301);
    for (std::size_t off = 14; off < kFaultRecordSize; off += 2)
        PutU16(f, off, static_cast<std::uint16_t>(off));
    const auto t = ShowFreezeFrame(model, 5, point);
    ASSERT_TRUE(t.has_value());
    ASSERT_EQ(t->size(), rows.size() + 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ((*t)[i + 1][0], rows[i].english) << "row " << i;
        if (rows[i].kind == FreezeValue::Integer) {
            EXPECT_EQ((*t)[i + 1][1], std::to_string(rows[i].offset)) << "row " << i;
        }
    }
}

TEST_F(Journals, ClearFaultJournalKeepsTimesAndValues)
{
    for (int i = 0; i < kFaultRecordCount; ++i) {
        auto f = FaultRec(i);
        for (std::size_t b = 0; b < kFaultRecordSize; ++b)
            f[b] = static_cast<std::uint8_t>(b + 1);
    }
    for (int p = 1; p <= 96; ++p)
        SetPid(p);
    const std::vector<std::uint8_t> before(model.Record(11).begin(), model.Record(11).end());
    ClearFaultJournal(model);
    const auto r11 = model.Record(11);
    for (std::size_t i = 0; i < r11.size(); ++i) {
        bool cleared = i >= 4 && i < 16;
        if (i >= kFaultRecordsOffset && i < kFaultRecordsOffset + 7 * kFaultRecordSize) {
            const std::size_t in = (i - kFaultRecordsOffset) % kFaultRecordSize;
            cleared = in >= 4 && in < 12;
        }
        EXPECT_EQ(r11[i], cleared ? 0 : before[i]) << "byte " << i;
    }
    const auto t = FillFaultJournal(model, 0, point.language);
    for (std::size_t r = 1; r < 8; ++r)
        EXPECT_EQ(t[r][2], "");
}

TEST_F(Journals, ExportOfAnEmptyJournalHas22LinesOf9TabTerminatedCells)
{
    const std::string text = JournalExportText(FillTripJournal(model, point));
    ASSERT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
    std::istringstream in(text.substr(3));
    std::string line;
    int lines = 0;
    while (std::getline(in, line, '\n')) {
        ++lines;
        ASSERT_FALSE(line.empty());
        EXPECT_EQ(line.back(), '\r');
        line.pop_back();
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 9);
        EXPECT_EQ(line.back(), '\t');
    }
    EXPECT_EQ(lines, 22);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_NE(text.find("Last\tEmpty\t\t\t\t\t\t\t\t\r\n"), std::string::npos);
}

TEST_F(Journals, SaveWritesTheExportAndRefusesAnUnwritablePlace)
{
    point.language = Language::Russian;
    const auto table = FillTripJournal(model, point);
    const auto dir = std::filesystem::path(TRIPCONF_BINARY_DIR) / "journals_test_out";
    std::filesystem::create_directories(dir);
    const auto file = dir / "trip.txt";
    SaveJournalText(table, file.string(), point.language);
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, JournalExportText(table));
    EXPECT_NE(bytes.find("Посл.\tПусто\t"), std::string::npos); // UTF-8 Cyrillic after the mark

    EXPECT_THROW(SaveJournalText(table, (dir / "no-such-folder" / "x.txt").string(), point.language), Error);
    EXPECT_EQ(bytes, JournalExportText(table));
}

TEST(NumberTexts, FixedRoundsHalfAwayFromZero)
{
    const NumberFormat point;
    EXPECT_EQ(FormatFixed(125, 1000, 2, point), "0.13");
    EXPECT_EQ(FormatFixed(-125, 1000, 2, point), "-0.13");
    EXPECT_EQ(FormatFixed(-4, 100, 1, point), "0.0");
    EXPECT_EQ(FormatFixed(7, 1, 0, point), "7");
    EXPECT_EQ(FormatFixed(1, 3, 3, NumberFormat{"٫"}), "0٫333");
    EXPECT_THROW(FormatFixed(1, 0, 1, point), std::invalid_argument);
    EXPECT_EQ(FormatHoursMinutes(0), "0:00");
    EXPECT_EQ(FormatHoursMinutes(6001), "100:01");
}

} // namespace
} // namespace tc
