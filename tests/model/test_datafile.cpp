#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

#include "model/UCodec.h"
#include "model/UDataLoadSave.h"
#include "support/FileTestSupport.h"

using namespace tervanix;
using namespace tervanix::test;

namespace {

// Extended values used by the golden files.
const std::string Ext0 = Hex("00 00 00 00 00 00 00 00 00 00");
const std::string Ext2 = Hex("00 00 00 00 00 00 00 80 00 40");
const std::string Ext3 = Hex("00 00 00 00 00 00 00 C0 00 40");
const std::string Ext42 = Hex("00 00 00 00 00 00 00 A8 04 40");
const std::string Ext1e10 = Hex("00 00 00 00 00 F9 02 95 20 40");
const std::string ExtMinus1e10 = Hex("00 00 00 00 00 F9 02 95 20 C0");
const std::string NoValueLevel = Hex("00 00 00 00 06 00 00 00");

constexpr std::size_t DefinitionOffset = 4 + 36 + 4 + 4 + 2 * 44;
constexpr std::size_t FirstSectionTagOffset = DefinitionOffset + 133 + 90;

// One material and one single-level analyte with fixed limits, two points, one archive and one
// comment, written from the file layout.
std::string GoldenOneAnalyte() {
    std::string b;
    b += Hex("01 00 00 00");                                     // material count
    b += Hex("00 00 00 00 00 00 00 00");                         // Id 0, ChangeFlag 0
    b += ShortBytes("Lyphocheck 1", 15) + ShortBytes("123456", 10) + Hex("00");
    b += Hex("01 00 00 00");                                     // analyte count
    b += Hex("02 00 00 00");                                     // point count
    b += Hex("00 00 00 00 10 F9 E5 40");                         // 45000.5
    b += Hex("00 00 00 40 00 00 00 00") + NoValueLevel + NoValueLevel; // 2.0 in control
    b += Hex("00 00 00 00") + ShortBytes("AB", 4) + Hex("00 00 00"); // comment 0, operator
    b += Hex("00 00 00 00 30 F9 E5 40");                         // 45001.5
    b += Hex("00 00 90 40 05 00 00 00") + NoValueLevel + NoValueLevel; // 4.5 discarded
    b += Hex("FF FF FF FF") + ShortBytes("", 4) + Hex("00 00 00");
    // definition block
    b += ShortBytes("Glu", 15) + ShortBytes("g/L", 6) + Hex("00");
    b += Hex("01 00 00 00 01 00 00 00");                         // 1 decimal, 1 level
    b += Hex("00 00 00 00 FF FF FF FF FF FF FF FF");             // materials
    b += Hex("02 00 00 00");                                     // fixed, mobile, mobile, padding
    b += Hex("FF FF FF FF FF FF FF FF FF FF FF FF");             // LockFirst
    b += Hex("FF FF FF FF FF FF FF FF FF FF FF FF");             // LockLast
    b += Hex("00 00 00 00 05 00 00 00 0A 00 00 00");             // reserved, options, reserved 10
    b += Ext42 + Ext2 + Ext3 + Ext1e10 + ExtMinus1e10.substr(0, 9);
    // level blocks
    b += Ext42 + Ext2 + Ext3 + Ext0 + Ext0 + Ext0 + Ext0 + Ext0 + Ext0;
    b += TagBytes;
    b += Hex("01 00 00 00 07 00 00 00") + TagBytes;              // archive 7
    b += Hex("01 00 00 00 00 00 00 00 10 00 00 00") + "Wrong calibrator" + TagBytes;
    b += TagBytes;
    return b;
}

void BuildOneAnalyte(TListSerum& materials, TListAnalytes& analytes) {
    materials.AppendStored({0, 0, "Lyphocheck 1", "123456"});
    materials.NextId = 1;
    auto a = std::make_unique<TAnalyte>("Glu", "g/L", 1, 1, false);
    TQCPoint p1;
    p1.DateTime = 45000.5;
    p1.Levels[0] = {2.0f, qsInControl, {}};
    p1.CommentId = 0;
    p1.Operator = "AB";
    TQCPoint p2;
    p2.DateTime = 45001.5;
    p2.Levels[0] = {4.5f, qsDiscarded, {}};
    a->AppendStored(p1);
    a->AppendStored(p2);
    a->MaterialId = {0, -1, -1};
    a->LimitsMode[0] = lmFixed;
    a->Current.fill(TLevelStats{});
    a->Current[0].Mean = 42;
    a->Current[0].AlertHalfWidth = 2;
    a->Current[0].ActionHalfWidth = 3;
    a->Current[0].Min = 1e10L;
    a->Current[0].Max = -1e10L;
    a->Archives = {7};
    a->Comments.Add("Wrong calibrator");
    analytes.Add(std::move(a));
}

void ExpectSameStored(const TAnalyte& a, const TAnalyte& b) {
    SCOPED_TRACE(a.Name.str());
    EXPECT_EQ(a.Name, b.Name);
    EXPECT_EQ(a.UnitName, b.UnitName);
    EXPECT_EQ(a.Decimals, b.Decimals);
    EXPECT_EQ(a.LevelCount, b.LevelCount);
    EXPECT_EQ(a.MaterialId, b.MaterialId);
    EXPECT_EQ(a.LimitsMode, b.LimitsMode);
    EXPECT_EQ(a.LockFirst, b.LockFirst);
    EXPECT_EQ(a.LockLast, b.LockLast);
    EXPECT_EQ(a.Reserved, b.Reserved);
    EXPECT_EQ(a.Options, b.Options);
    EXPECT_EQ(a.Reserved10, b.Reserved10);
    for (int l = 0; l < MaxLevels; ++l) {
        EXPECT_EQ(a.Current[l].Mean, b.Current[l].Mean) << l;
        EXPECT_EQ(a.Current[l].AlertHalfWidth, b.Current[l].AlertHalfWidth) << l;
        EXPECT_EQ(a.Current[l].ActionHalfWidth, b.Current[l].ActionHalfWidth) << l;
    }
    ASSERT_EQ(a.Count(), b.Count());
    for (int i = 0; i < a.Count(); ++i) {
        EXPECT_EQ(a.Point(i).DateTime, b.Point(i).DateTime) << i;
        EXPECT_EQ(a.Point(i).Levels, b.Point(i).Levels) << i;
        EXPECT_EQ(a.Point(i).CommentId, b.Point(i).CommentId) << i;
        EXPECT_EQ(a.Point(i).Operator, b.Point(i).Operator) << i;
    }
    EXPECT_EQ(a.Archives, b.Archives);
    ASSERT_EQ(a.Comments.Count(), b.Comments.Count());
    for (int i = 0; i < a.Comments.Count(); ++i) {
        EXPECT_EQ(a.Comments[i].Id, b.Comments[i].Id);
        EXPECT_EQ(a.Comments[i].Text, b.Comments[i].Text);
    }
    EXPECT_EQ(a.Comments.NextId, b.Comments.NextId);
}

class DataFile : public FileTest {};

} // namespace

TEST_F(DataFile, EmptyProgramWritesSeventeenBytes) {
    EXPECT_EQ(EncodeDataFile(TListSerum{}, TListAnalytes{}), Hex("00 00 00 00 00 00 00 00") + TagBytes);
    SaveDataFile(Path("Tervanix.qcf"));
    EXPECT_EQ(ReadFile(Path("Tervanix.qcf")), Hex("00000000 00000000 08 33 32 B5 FE 70 6F 34 35"));
}

TEST_F(DataFile, OneAnalyteIsWrittenByteForByte) {
    TListSerum materials;
    TListAnalytes analytes;
    BuildOneAnalyte(materials, analytes);
    const std::string golden = GoldenOneAnalyte();
    ASSERT_EQ(golden.size(), DefinitionOffset + 133 + 90 + 9 + 8 + 9 + 28 + 9 + 9);
    EXPECT_EQ(EncodeDataFile(materials, analytes), golden);
}

TEST_F(DataFile, OneAnalyteIsReadFieldByField) {
    TListSerum materials;
    TListAnalytes analytes;
    EXPECT_EQ(DecodeDataFile(GoldenOneAnalyte(), materials, analytes), "32");
    ASSERT_EQ(materials.Count(), 1);
    EXPECT_EQ(materials[0].Name.str(), "Lyphocheck 1");
    EXPECT_EQ(materials[0].Lot.str(), "123456");
    EXPECT_EQ(materials.NextId, 1);
    ASSERT_EQ(analytes.Count(), 1);
    TListSerum expectedMaterials;
    TListAnalytes expected;
    BuildOneAnalyte(expectedMaterials, expected);
    ExpectSameStored(analytes[0], expected[0]);
    const TAnalyte& a = analytes[0];
    // The fixed level keeps the stored target and deviations after the recomputation.
    EXPECT_EQ(a.Current[0].Status, 0);
    EXPECT_EQ(a.Current[0].ChartHigh, 45);
    EXPECT_EQ(a.Current[0].ChartLow, 2); // the smallest value of the series is below the limits
    EXPECT_EQ(a.AllPoints[0].N, 1);
    EXPECT_EQ(a.AllPoints[0].DiscardedCount, 1);
    // Stored statuses are kept, never reclassified: 2.0 is far below 42 - 3.
    EXPECT_EQ(a.Point(0).Levels[0].Status, qsInControl);
    EXPECT_EQ(a.CommentText(a.Point(0).CommentId), "Wrong calibrator");
    EXPECT_EQ(a.Comments.NextId, 1);
    EXPECT_EQ(EncodeDataFile(materials, analytes), GoldenOneAnalyte());
}

TEST_F(DataFile, OldFormatWithShortDefinitionBlocksLoads) {
    std::string b;
    b += Hex("00 00 00 00 01 00 00 00 00 00 00 00"); // no material, one analyte without points
    b += ShortBytes("Calcium", 15) + ShortBytes("mmol/L", 6) + Hex("00");
    b += Hex("02 00 00 00 02 00 00 00");
    b += Hex("01 00 00 00 02 00 00 00 FF FF FF FF");
    b += Hex("00 00 00 00");
    b += Hex("FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF");
    b += Hex("11 22 33");                                // the first three reserved bytes end the block
    b += Ext0 + Ext0 + Ext0 + Ext0 + Ext0 + Ext0 + Ext0 + Ext0 + Ext0;
    const std::string oldTag = Hex("08 33 30 B5 FE 70 6F 34 35");
    b += oldTag + Hex("00 00 00 00") + oldTag + Hex("00 00 00 00") + oldTag + oldTag;
    WriteFile(Path("old.qcf"), b);

    LoadDataFile(Path("old.qcf"));
    ASSERT_EQ(Analytes.Count(), 1);
    const TAnalyte& a = Analytes[0];
    EXPECT_EQ(a.Name.str(), "Calcium");
    EXPECT_EQ(a.UnitName.str(), "mmol/L");
    EXPECT_EQ(a.Decimals, 2);
    EXPECT_EQ(a.LevelCount, 2);
    EXPECT_EQ(a.MaterialId, (std::array<std::int32_t, 3>{1, 2, -1}));
    EXPECT_EQ(a.Options, aoWestgard | aoCommonCV | aoDefault);
    EXPECT_EQ(a.Reserved10, 10);
    EXPECT_EQ(a.Reserved[0], 0x11);
    EXPECT_EQ(a.Reserved[2], 0x33);
    EXPECT_EQ(a.Comments.Count(), 0);
    EXPECT_EQ(a.Comments.NextId, 0);
    EXPECT_EQ(Materials.NextId, 0);
    // Saving converts to the current format.
    SaveDataFile(Path("new.qcf"));
    const std::string saved = ReadFile(Path("new.qcf"));
    EXPECT_EQ(saved.substr(saved.size() - 9), TagBytes);
    EXPECT_EQ(saved.size(), b.size() + (133 - 75));
}

TEST_F(DataFile, DemonstrationDataSurvivesSaveAndLoad) {
    CreateDefaultData();
    const std::string bytes = EncodeDataFile(Materials, Analytes);
    EXPECT_EQ(bytes.substr(bytes.size() - 9), TagBytes);
    TListSerum materials;
    TListAnalytes analytes;
    DecodeDataFile(bytes, materials, analytes);
    ASSERT_EQ(materials.Count(), Materials.Count());
    for (int i = 0; i < materials.Count(); ++i) {
        EXPECT_EQ(materials[i].Id, Materials[i].Id);
        EXPECT_EQ(materials[i].Name, Materials[i].Name);
        EXPECT_EQ(materials[i].Lot, Materials[i].Lot);
    }
    EXPECT_EQ(materials.NextId, 3);
    ASSERT_EQ(analytes.Count(), 3);
    for (int i = 0; i < 3; ++i) ExpectSameStored(analytes[i], Analytes[i]);
    EXPECT_EQ(EncodeDataFile(materials, analytes), bytes);

    SaveDataFile(Path("Tervanix.qcf"));
    Analytes.FreeAll();
    Materials = TListSerum();
    LoadDataFile(Path("Tervanix.qcf"));
    EXPECT_EQ(EncodeDataFile(Materials, Analytes), bytes);
}

TEST_F(DataFile, DemonstrationDataSet) {
    CreateDefaultData();
    const TDateTime today = EncodeDate(2023, 3, 15);
    ASSERT_EQ(Materials.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Materials[i].Id, i);
        EXPECT_EQ(Materials[i].Name.str(), "Lyphocheck " + std::to_string(i + 1));
        const std::string& lot = Materials[i].Lot.str();
        EXPECT_TRUE(!lot.empty() && lot.size() <= 6 && lot.find_first_not_of("0123456789") == std::string::npos) << lot;
    }
    ASSERT_EQ(Analytes.Count(), 3);

    const TAnalyte& glucose = Analytes[0];
    EXPECT_EQ(glucose.Name.str(), "Glucose");
    EXPECT_EQ(glucose.UnitName.str(), "mmol/L");
    EXPECT_EQ(glucose.Decimals, 1);
    EXPECT_EQ(glucose.LevelCount, 3);
    EXPECT_TRUE(glucose.HasOption(aoCommonCV));
    EXPECT_EQ(glucose.MaterialId, (std::array<std::int32_t, 3>{0, 1, 2}));
    ASSERT_EQ(glucose.Count(), 45);
    EXPECT_EQ(glucose.Point(0).DateTime, today - 44 + 0.5);
    EXPECT_EQ(glucose.Point(44).DateTime, today + 0.5);
    for (int l = 0; l < 3; ++l) {
        EXPECT_EQ(glucose.LimitsMode[l], lmLocked);
        EXPECT_EQ(glucose.LockFirst[l], 0);
        EXPECT_EQ(glucose.LockLast[l], 25);
        EXPECT_EQ(glucose.Current[l].Status, 0);
        EXPECT_EQ(glucose.Point(30).Levels[l].Status, qsDiscarded);
        EXPECT_EQ(glucose.AllPoints[l].N, 44);
        EXPECT_EQ(glucose.AllPoints[l].DiscardedCount, 1);
    }
    EXPECT_EQ(glucose.Point(30).Levels[0].Value, 0.6f);
    EXPECT_EQ(glucose.Point(30).Levels[1].Value, 1.0f);
    EXPECT_EQ(glucose.Point(30).Levels[2].Value, 3.5f);
    EXPECT_EQ(glucose.Point(30).CommentId, 0);
    EXPECT_EQ(glucose.CommentText(0), "Wrong calibrator");
    EXPECT_EQ(glucose.Point(35).CommentId, 1);
    EXPECT_EQ(glucose.CommentText(1), "New reagent");
    EXPECT_EQ(glucose.Comments.NextId, 2);

    ASSERT_EQ(Queue.Count(), 5);
    int k = 1;
    for (const TResu& run : Queue.Entries()) {
        EXPECT_EQ(run.AnalyteName, "Glucose");
        EXPECT_EQ(run.DateTime, today + k++ + 0.375);
        EXPECT_EQ(run.StandaloneFlag, 1);
        for (const auto& level : run.Levels) EXPECT_EQ(level.Status, qsInControl);
    }

    const TAnalyte& calcium = Analytes[1];
    EXPECT_EQ(calcium.Name.str(), "Calcium");
    EXPECT_EQ(calcium.Decimals, 2);
    EXPECT_EQ(calcium.LevelCount, 2);
    EXPECT_FALSE(calcium.HasOption(aoCommonCV));
    ASSERT_EQ(calcium.Count(), 25);
    EXPECT_EQ(calcium.Point(0).DateTime, today - 24 + 10.0 / 24);
    EXPECT_EQ(calcium.Point(0).Levels[2].Status, qsNoValue);
    EXPECT_EQ(calcium.LimitsMode[0], lmMobile);
    EXPECT_NEAR(static_cast<double>(calcium.AllPoints[0].Mean), 2.4, 0.1);
    EXPECT_NEAR(static_cast<double>(calcium.AllPoints[1].Mean), 2.6, 0.1);

    const TAnalyte& albumin = Analytes[2];
    EXPECT_EQ(albumin.Name.str(), "Albumin");
    EXPECT_EQ(albumin.UnitName.str(), "g/L");
    EXPECT_EQ(albumin.Decimals, 0);
    EXPECT_EQ(albumin.LevelCount, 1);
    ASSERT_EQ(albumin.Count(), 50);
    EXPECT_EQ(albumin.Point(0).DateTime, today - 49 + 2.0 / 3);
    EXPECT_EQ(albumin.LimitsMode[0], lmFixed);
    EXPECT_EQ(albumin.Current[0].Mean, 42);
    EXPECT_EQ(albumin.Current[0].AlertHalfWidth, 2);
    EXPECT_EQ(albumin.Current[0].ActionHalfWidth, 3);

    // The same seed gives the same data set.
    const std::string first = EncodeDataFile(Materials, Analytes);
    ResetGlobals();
    Random().SetSeed(12345);
    CreateDefaultData();
    EXPECT_EQ(EncodeDataFile(Materials, Analytes), first);
}

TEST_F(DataFile, DamagedFilesLeaveTheGlobalsUntouched) {
    CreateDefaultData();
    const std::string before = EncodeDataFile(Materials, Analytes);
    const std::string golden = GoldenOneAnalyte();
    auto withInt = [&](std::size_t offset, std::string_view four) {
        std::string b = golden;
        b.replace(offset, 4, Hex(four));
        return b;
    };
    std::string wrongMagic = golden;
    wrongMagic.back() = '6';
    std::string wrongSectionTag = golden;
    wrongSectionTag[FirstSectionTagOffset + 5] = 0;
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"empty", ""},
        {"shorter than a tag", Hex("08 33 32 B5 FE")},
        {"wrong magic", wrongMagic},
        {"wrong section tag", wrongSectionTag},
        {"cut before the final tag", golden.substr(0, golden.size() - 9)},
        {"huge material count", withInt(0, "FF FF FF 7F")},
        {"negative analyte count", withInt(40, "FF FF FF FF")},
        {"huge point count", withInt(44, "FF FF FF 7F")},
        {"four levels", withInt(DefinitionOffset + 28, "04 00 00 00")},
        {"decimals out of range", withInt(DefinitionOffset + 24, "00 00 00 40")},
        {"huge archive count", withInt(FirstSectionTagOffset + 9, "00 00 00 10")},
        {"huge comment text", withInt(FirstSectionTagOffset + 9 + 8 + 9 + 8, "FF FF FF 7F")},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        WriteFile(Path("bad.qcf"), bytes);
        try {
            LoadDataFile(Path("bad.qcf"));
            ADD_FAILURE() << "loaded";
        } catch (const EDataFileError& e) {
            EXPECT_STREQ(e.what(), "Cannot read data");
        }
        EXPECT_EQ(EncodeDataFile(Materials, Analytes), before);
    }
    EXPECT_THROW(LoadDataFile(Path("missing.qcf")), EDataFileError);
    EXPECT_EQ(EncodeDataFile(Materials, Analytes), before);
}

TEST_F(DataFile, EveryTruncationIsRefused) {
    // Cut anywhere before the final tag, with a valid tag put back at the end.
    CreateDefaultData();
    const std::string full = EncodeDataFile(Materials, Analytes);
    TListSerum materials;
    TListAnalytes analytes;
    materials.AddMaterial("Kept", "1");
    for (std::size_t cut = 0; cut + 9 < full.size(); cut += (cut < 600 ? 1 : 7)) {
        EXPECT_THROW(DecodeDataFile(full.substr(0, cut) + TagBytes, materials, analytes), EDataFileError) << cut;
        ASSERT_EQ(materials.Count(), 1);
        ASSERT_EQ(analytes.Count(), 0);
    }
}

TEST_F(DataFile, FailedSaveKeepsThePreviousFile) {
    CreateDefaultData();
    SaveDataFile(Path("Tervanix.qcf"));
    const std::string previous = ReadFile(Path("Tervanix.qcf"));
    Analytes.FreeAll();
    // A save cut short (here by a file size limit, as a full disk would) must not touch the file.
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
    Materials.AddMaterial(std::string(15, 'x'), "");
    for (int i = 0; i < 5; ++i) Analytes.Add(std::make_unique<TAnalyte>("Big", "u", 1, 1, false));
    bool threw = false;
    try {
        SaveDataFile(Path("Tervanix.qcf"));
    } catch (const EQCError& e) {
        threw = true;
        EXPECT_STREQ(e.what(), "Cannot save data");
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(threw);
    EXPECT_EQ(ReadFile(Path("Tervanix.qcf")), previous);
    // A leftover temporary file of a killed save is no obstacle either.
    WriteFile(Path("Tervanix.qcf.tmp999-0"), previous.substr(0, 50));
    LoadDataFile(Path("Tervanix.qcf"));
    EXPECT_EQ(Analytes.Count(), 3);
}
