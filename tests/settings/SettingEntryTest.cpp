#include "settings/SettingEntry.h"

#include "settings/SettingsTable.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

// What a text field shows is what its setting stores: every number the field can hold comes
// back whole when the dialog opens again, or is refused with the field's name and the reason.
TEST(SettingEntryTest, AFieldStoresTheNumberItShowsOrRefusesIt) {
    for (const Setting setting : {Setting::ModelTime, Setting::Stretch, Setting::EndlessAddress}) {
        const bool address = setting == Setting::EndlessAddress;
        for (int number = 0; number <= (address ? 9999 : 99999); ++number) {
            const FieldValue value = fieldValueName(setting, std::to_string(number));
            if (!address || number <= 2048) {
                ASSERT_EQ(value.refusal, "") << number;
                ASSERT_EQ(displayValue(setting, value.name), number) << value.name;
            } else {
                ASSERT_TRUE(value.refusal.starts_with(AddressTooLargeMessage)) << number;
            }
        }
    }
    const std::string endless =
        "„Endlosschleife über folgende Magnetartikeladresse ein- und ausschalten“";
    const std::tuple<Setting, const char*, std::string> cases[] = {
        {Setting::Stretch, "007", "SET_-0004-00007.mp3"},
        {Setting::EndlessAddress, "0000", "SET_-0006-00000.mp3"},
        {Setting::ModelTime, "",
         "Für „Modellzeit für 15 Minuten“ ist kein Wert eingegeben.\r\n"
         "Geben Sie eine Zahl von 0 bis 99999 ein."},
        {Setting::Stretch, "-5",
         "Der Wert „-5“ für „Dehnungsfaktor der Zufallszeit“ ist keine Zahl.\r\n"
         "Geben Sie eine Zahl von 0 bis 99999 ein."},
        {Setting::ModelTime, "999999",
         "Der Wert „999999“ für „Modellzeit für 15 Minuten“ hat mehr als 5 Ziffern.\r\n"
         "Geben Sie eine Zahl von 0 bis 99999 ein."},
        {Setting::EndlessAddress, "12x",
         "Der Wert „12x“ für " + endless +
             " ist keine Zahl.\r\nGeben Sie eine Adresse von 1 bis 2048 ein, oder 0 für keine."},
        {Setting::EndlessAddress, "00001",
         "Der Wert „00001“ für " + endless +
             " hat mehr als 4 Ziffern.\r\nGeben Sie eine Adresse von 1 bis 2048 ein, oder 0 für "
             "keine."},
        {Setting::EndlessAddress, "2049",
         "Maximal Wert überschritten. Geben Sie eine Adresse zwischen 1 und 2048 ein!\r\n\r\n" +
             endless +
             ": Magnetartikeladressen reichen von 1 bis 2048, 2049 liegt außerhalb. 0 steht für "
             "keine Adresse."},
    };
    for (const auto& [setting, text, expected] : cases) {
        const FieldValue value = fieldValueName(setting, text);
        EXPECT_EQ(value.name.empty() ? value.refusal : value.name, expected) << '"' << text << '"';
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
    // A setting's value is padded by its length only.
    EXPECT_EQ(laenge("") + laenge("7") + laenge("180"), "0000"
                                                        "00007"
                                                        "000180");
}

} // namespace
} // namespace tonarion
