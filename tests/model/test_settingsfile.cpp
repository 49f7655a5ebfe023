#include <gtest/gtest.h>

#include "model/USettingsFile.h"
#include "support/FileTestSupport.h"

using namespace tervanix;
using namespace tervanix::test;

namespace {

// A settings record with a password, drive B, 14 days, risks 1 and 3, then two operators.
std::string GoldenSettings(std::string_view versionAndMagic = "33 32 B5 FE 70 6F 34 35") {
    std::string b;
    b += Hex("00 01") + ShortBytes("secret", 10) + "B" + Hex("00 00");
    b += Hex("0E 00 00 00");             // 14 days
    b += Hex("00 00 00 00 10 F9 E5 40"); // 45000.5
    b += Hex("01 03");
    b += Hex("08") + Hex(versionAndMagic) + Hex("00");
    b += Hex("02 00 00 00 02 00 00 00") + "JD" + Hex("03 00 00 00") + "ABC";
    return b;
}

class SettingsFile : public FileTest {};

} // namespace

TEST_F(SettingsFile, RecordAndOperatorsAreReadAndWrittenByteForByte) {
    WriteFile(Path("Tervanix.cfr"), GoldenSettings());
    Settings.FormatTag = {};
    LoadSettings();
    EXPECT_FALSE(FirstRun);
    EXPECT_EQ(Settings.ShowAboutAtStart, 0);
    EXPECT_EQ(Settings.PrintInColour, 1);
    EXPECT_EQ(Settings.Password.str(), "secret");
    EXPECT_EQ(Settings.BackupDrive, 'B');
    EXPECT_EQ(Settings.BackupIntervalDays, 14);
    EXPECT_EQ(Settings.LastBackup, 45000.5);
    EXPECT_EQ(Settings.AlertRisk, 1);
    EXPECT_EQ(Settings.ActionRisk, 3);
    ASSERT_EQ(Operators.Count(), 2);
    EXPECT_EQ(Operators[0], "ABC"); // kept sorted
    EXPECT_EQ(Operators[1], "JD");

    SaveSettings();
    const std::string saved = ReadFile(Path("Tervanix.cfr"));
    EXPECT_EQ(saved.substr(0, 40), GoldenSettings().substr(0, 40));
    EXPECT_EQ(saved.substr(40), Hex("02 00 00 00 03 00 00 00") + "ABC" + Hex("02 00 00 00") + "JD");
}

TEST_F(SettingsFile, OlderFormatTagIsReadAndRenewed) {
    WriteFile(Path("Tervanix.cfr"), GoldenSettings("33 30 B5 FE 70 6F 34 35"));
    LoadSettings();
    EXPECT_FALSE(FirstRun);
    EXPECT_EQ(Settings.Password.str(), "secret");
    EXPECT_EQ(Settings.FormatTag, CurrentFormatTag());
}

TEST_F(SettingsFile, MissingOrDamagedFileGivesDefaultsAndFirstRun) {
    const TDateTime today = EncodeDate(2023, 3, 15);
    std::string cutInOperators = GoldenSettings();
    cutInOperators.resize(cutInOperators.size() - 2);
    std::string hugeCount = GoldenSettings();
    hugeCount.replace(40, 4, Hex("FF FF FF 7F"));
    const std::vector<std::tuple<const char*, std::string, int>> cases = {
        {"wrong magic", GoldenSettings("33 32 B5 FE 70 6F 34 36"), 0},
        {"short record", GoldenSettings().substr(0, 39), 0},
        {"cut in the operator list", cutInOperators, 1},
        {"huge operator count", hugeCount, 0},
    };
    for (const auto& [name, bytes, operatorsKept] : cases) {
        SCOPED_TRACE(name);
        Operators.Clear();
        Settings.Password = "old";
        FirstRun = false;
        WriteFile(Path("Tervanix.cfr"), bytes);
        LoadSettings();
        EXPECT_TRUE(FirstRun);
        EXPECT_EQ(Settings.Password.str(), "");
        EXPECT_EQ(Settings.BackupDrive, 'A');
        EXPECT_EQ(Settings.BackupIntervalDays, 7);
        EXPECT_EQ(Settings.LastBackup, today);
        EXPECT_EQ(Settings.AlertRisk, 0);
        EXPECT_EQ(Settings.ActionRisk, 4);
        EXPECT_EQ(Settings.FormatTag, CurrentFormatTag());
        EXPECT_EQ(Operators.Count(), operatorsKept); // texts read before the fault stay
    }
    std::filesystem::remove(Path("Tervanix.cfr"));
    FirstRun = false;
    LoadSettings();
    EXPECT_TRUE(FirstRun);
    EXPECT_EQ(Settings.ShowAboutAtStart, 1);
}

TEST_F(SettingsFile, FailedSaveIsSilentAndKeepsThePreviousFile) {
    Operators.Add("JD");
    SaveSettings();
    const std::string previous = ReadFile(Path("Tervanix.cfr"));
    std::filesystem::create_directory(Path("Tervanix.cfr.dir"));
    SaveSettings(Path("no such folder/Tervanix.cfr")); // nothing thrown
    Settings.Password = "changed";
    SaveSettings(Path("Tervanix.cfr.dir")); // a folder stands where the file should go
    EXPECT_EQ(ReadFile(Path("Tervanix.cfr")), previous);
    EXPECT_TRUE(std::filesystem::is_directory(Path("Tervanix.cfr.dir")));
}
