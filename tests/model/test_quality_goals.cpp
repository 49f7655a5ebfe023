#include <gtest/gtest.h>

#include <string>

#include "model/UQualityGoals.h"
#include "model/UTypes.h"

using namespace tervanix;

namespace {

TAnalyteGoals Goals(std::optional<double> tea, std::optional<double> t1, std::optional<double> t2 = {},
                    std::optional<double> t3 = {}) {
    return {tea, {t1, t2, t3}};
}

} // namespace

// What is written is read back whole: names in UTF-8 on disk, 8-bit in memory, nulls kept.
TEST(QualityGoals, FileRoundTrip) {
    TQualityGoals goals;
    goals.Set("Glucose", Goals(10.0, 3.0, 5.0));
    goals.Set("B\xB5" "2", Goals(std::nullopt, 0.1, std::nullopt, -2.5)); // "µ" is the byte B5
    goals.Set("Urea", Goals(std::nullopt, std::nullopt));                  // nothing: no entry
    const std::string text = EncodeGoalsFile(goals);
    EXPECT_NE(text.find("\"Glucose\": {\"tea_percent\": 10, \"targets\": [3, 5, null]}"), std::string::npos) << text;
    EXPECT_NE(text.find("B\xC2\xB5" "2"), std::string::npos);
    EXPECT_EQ(goals.Count(), 2);
    EXPECT_EQ(DecodeGoalsFile(text), goals);
    EXPECT_EQ(DecodeGoalsFile("{\"analytes\": {}}").Count(), 0);
    // Written as other tools write it: members in any order, escapes, unknown members passed over.
    const TQualityGoals read = DecodeGoalsFile(
        " {\"version\": 2, \"analytes\": {\"gluc\\u006fse\": {\"targets\": [3.0], \"note\": [1, {}], \"tea_percent\": 7.5}}}");
    ASSERT_NE(read.Find("GLUCOSE"), nullptr); // looked up as the analyte list does
    EXPECT_EQ(*read.Find("Glucose"), Goals(7.5, 3.0));
}

// Anything but a goals file is refused with a reason, never half read.
TEST(QualityGoals, DamagedFilesAreRefused) {
    const char* const damaged[] = {
        "",
        "{",
        "[]",
        "{\"analytes\": []}",
        "{\"analytes\": {\"G\": 3}}",
        "{\"analytes\": {\"G\": {\"tea_percent\": \"10\"}}}",
        "{\"analytes\": {\"G\": {\"tea_percent\": 0}}}",
        "{\"analytes\": {\"G\": {\"tea_percent\": -5}}}",
        "{\"analytes\": {\"G\": {\"tea_percent\": 1e999}}}",
        "{\"analytes\": {\"G\": {\"targets\": [1, 2, 3, 4]}}}",
        "{\"analytes\": {\"G\": {\"targets\": [1e21]}}}",
        "{\"analytes\": {\"G\": {\"targets\": 5}}}",
        "{\"analytes\": {\"G\": {\"tea_percent\": 5}, \"g\": {\"tea_percent\": 6}}}",
        "{\"analytes\": {\"G\": {\"tea_percent\": 5}}} x",
        "{\"analytes\": {\"G\": {\"tea_percent\": 5,}}}",
        "{\"analytes\": {\"G\\q\": {\"tea_percent\": 5}}}",
        "{\"analytes\": {\"G\": {\"tea_percent\": 05x}}}",
        "{\"a\": [[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]}",
    };
    for (const char* text : damaged) EXPECT_THROW(DecodeGoalsFile(text), EQCError) << text;
}

// A renamed analyte carries its goals, a deleted one drops them, unknown names stay; two analytes
// that swap names swap goals.
TEST(QualityGoals, RenamesAndDeletionsCarryOrDrop) {
    TQualityGoals goals;
    goals.Set("Glucose", Goals(10, 5));
    goals.Set("Urea", Goals(9, 7));
    goals.Set("Calcium", Goals(4, 2.4));
    goals.Set("Lactate", Goals(20, 1)); // an analyte the data file does not have
    goals.Carry({{"Glucose", "Glc"}, {"Urea", "Calcium"}, {"Calcium", "Urea"}}, {"Lactate2"});
    EXPECT_EQ(goals.Find("Glucose"), nullptr);
    EXPECT_EQ(*goals.Find("Glc"), Goals(10, 5));
    EXPECT_EQ(*goals.Find("Calcium"), Goals(9, 7));
    EXPECT_EQ(*goals.Find("Urea"), Goals(4, 2.4));
    EXPECT_EQ(*goals.Find("Lactate"), Goals(20, 1));
    goals.Carry({}, {"glc"});
    EXPECT_EQ(goals.Find("Glc"), nullptr);
    EXPECT_EQ(goals.Count(), 3);
}
