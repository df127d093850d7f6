#include "cli/CliArguments.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

EventSelection selectionFor(std::vector<std::string> words) {
    words.insert(words.begin(), {"bind", "/stick", "--row", "1"});
    return selectionFromOptions(CliArguments::parse(words));
}

TEST(CliArgumentsTest, OptionsBecomeTheDialogsChoices) {
    const EventSelection m = selectionFor(
        {"--event", "R", "--status", "F", "--mode", "M", "--prio", "2", "--adr1", "12"});
    EXPECT_EQ(m.selEreignis, 1);
    EXPECT_EQ(m.selStatus, "FREI");
    EXPECT_EQ(m.selModus, "MIT ERLAUBNISS");
    EXPECT_EQ(m.selWert->position, 1);
    EXPECT_EQ(m.selWert->text, "2");
    EXPECT_EQ(m.selAdr1, "12");
    EXPECT_EQ(m.selAdr2, "-"); // the untouched bis box

    const EventSelection l = selectionFor(
        {"--event", "L", "--status", "1", "--adr1", "7", "--category", "loco", "--loco", "42"});
    EXPECT_EQ(l.selStatus, "1S1 nach S2");
    EXPECT_EQ(l.selAdresse->index, 5);
    EXPECT_EQ(l.selAdr1, "7");
    EXPECT_EQ(l.selAdr2, "42");

    const EventSelection u = selectionFor({"--event", "U", "--mode", "O", "--time", "23:45"});
    EXPECT_EQ(u.selWert->position, 95);
    EXPECT_EQ(u.selModus, "OHNE ERLAUBNISS");

    // A last contact chosen without a first one records nothing.
    EXPECT_FALSE(selectionFor({"--event", "K", "--contact-to", "10"}).selKontaktBis);
    const EventSelection k = selectionFor({"--event", "K", "--contact-from", "3"});
    EXPECT_EQ(k.selKontaktVon, "3");
    EXPECT_EQ(k.selKontaktBis, "");
}

TEST(CliArgumentsTest, ChoicesTheKindDoesNotOfferAreUsageErrors) {
    const std::vector<std::vector<std::string>> refused = {
        {"--event", "Z", "--status", "U"},   {"--event", "E", "--mode", "M"},
        {"--event", "M", "--status", "B"},   {"--event", "M", "--loco", "12"},
        {"--event", "L", "--adr2", "12"},    {"--event", "K", "--contact-from", "11"},
        {"--event", "U", "--time", "07:10"}, {"--event", "E", "--position", "128"},
        {"--event", "M", "--prio", "5"},     {"--event", "X"},
        {"--event", "R", "--mode", "S"},     {"--event", "L", "--category", "5"},
    };
    for (const auto& words : refused) {
        EXPECT_THROW(selectionFor(words), UsageError) << words[1] << " " << words.back();
    }
}

} // namespace
} // namespace tonarion
