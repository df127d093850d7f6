#include "settings/SettingEntry.h"

#include "settings/SettingsTable.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

using Outcome = EndlessAddressRule::Outcome;

TEST(SettingEntryTest, LaengePadsByLengthOnlyAndNumberFieldsTakeOneToFiveDigits) {
    EXPECT_EQ(laenge(""), "0000");
    EXPECT_EQ(laenge("7"), "00007");
    EXPECT_EQ(laenge("180"), "000180");
    EXPECT_EQ(numberFieldName(Setting::ModelTime, "180"), "SET_-0002-00180.mp3");
    EXPECT_EQ(numberFieldName(Setting::ModelTime, "12345"), "SET_-0002-12345.mp3");
    EXPECT_EQ(numberFieldName(Setting::Stretch, "2"), "SET_-0004-00002.mp3");
    for (const char* text : {"", "-5", "123456", "1234567"}) {
        EXPECT_EQ(numberFieldName(Setting::ModelTime, text), std::nullopt) << '"' << text << '"';
    }
}

TEST(SettingEntryTest, EndlessAddressUpTo2048) {
    const std::tuple<const char*, Outcome, const char*> cases[] = {
        {"2048", Outcome::Accepted, "SET_-0006-02048.mp3"},
        {"2049", Outcome::Refused, ""},
        {"00001", Outcome::Refused, ""}, // five characters
        {"-", Outcome::Unchanged, ""},   // what the field shows after a refusal
        {"12x", Outcome::Unchanged, ""},
    };
    for (const auto& [text, outcome, name] : cases) {
        const auto result = endlessAddressName(text);
        EXPECT_EQ(result.outcome, outcome) << '"' << text << '"';
        EXPECT_EQ(result.name, name) << '"' << text << '"';
    }
}

TEST(SettingEntryTest, DisplayValuesFromNames) {
    const std::tuple<Setting, const char*, std::optional<int>> cases[] = {
        {Setting::Volume, "SET_-0001-00021.mp3", 21},
        {Setting::Volume, "SET_-0001-00000.mp3", std::nullopt}, // the slider starts at 1
        {Setting::ModelTime, "SET_-0002-01200.mp3", 1200},      // the whole field, not 200
        {Setting::Stretch, "SET_-0004-99999.mp3", 99999},
        {Setting::ModelTime, "SET_-0002-0000.mp3", std::nullopt}, // an emptied field
        {Setting::Stretch, "SET_-0004-000-5.mp3", std::nullopt},
        {Setting::StartTime, "SET_-0003-00028.mp3", 28},
        {Setting::StartTime, "SET_-0003-00096.mp3", std::nullopt},
        {Setting::ClockSync, "SET_-0005-00001.mp3", 1},
        {Setting::ClockSync, "SET_-0005-00002.mp3", std::nullopt},
        {Setting::EndlessAddress, "SET_-0006-02048.mp3", 2048},
        {Setting::EndlessAddress, "SET_-0006-02049.mp3", std::nullopt},
        {Setting::EndlessAddress, "SET_-0006-0000-.mp3", std::nullopt},
        {Setting::EndlessAddress, "SET_-0006", std::nullopt},
    };
    for (const auto& [setting, name, value] : cases) {
        EXPECT_EQ(displayValue(setting, name), value) << name;
    }
}

TEST(SettingEntryTest, DefaultsDifferOnlyInTheVolume) {
    const char* fresh[] = {"SET_-0001-00021.mp3", "SET_-0002-00180.mp3", "SET_-0003-00028.mp3",
                           "SET_-0004-00002.mp3", "SET_-0005-00000.mp3", "SET_-0006-00000.mp3"};
    for (const Setting setting : AllSettings) {
        const auto expected = fresh[settingNumber(setting) - 1];
        EXPECT_EQ(freshDefaultName(setting), expected);
        EXPECT_EQ(missingLineDefaultName(setting),
                  setting == Setting::Volume ? "SET_-0001-00031.mp3" : expected);
    }
}

TEST(SettingEntryTest, KeyFilterLetsDigitsMinusAndBackspacePass) {
    for (const int key : {int{'0'}, int{'9'}, int{'-'}, 8}) {
        EXPECT_EQ(TasteFiltern(key), key) << key;
    }
    for (const int key : {int{'a'}, int{'/'}, int{':'}, int{'.'}, 13, 0xE4}) {
        EXPECT_EQ(TasteFiltern(key), 0) << key;
    }
}

} // namespace
} // namespace tonarion
