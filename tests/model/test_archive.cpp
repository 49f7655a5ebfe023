#include <gtest/gtest.h>

#include "model/UArchive.h"
#include "support/FileTestSupport.h"

using namespace tervanix;
using namespace tervanix::test;

namespace {

class Archive : public FileTest {
protected:
    // Two levels, 2 decimals, twelve daily runs from 2023-03-01 08:30. Level 1 has a value on every
    // run but run 7; level 2 on runs 2..9 but 4 and 6, run 5 discarded. Run 3 has operator and comment.
    std::unique_ptr<TAnalyte> MakeAnalyte() {
        Materials.AddMaterial("Lyphocheck 2", "L42");
        auto a = std::make_unique<TAnalyte>("Calcium", "mmol/L", 2, 2, false);
        a->MaterialId = {-1, 0, -1};
        const std::int32_t comment = a->Comments.Add("New reagent");
        for (int i = 0; i < 12; ++i) {
            TQCPoint p;
            p.DateTime = EncodeDate(2023, 3, 1) + i + EncodeTime(8, 30, 0, 0);
            if (i != 7) p.Levels[0] = {2.5f, qsInControl, {}};
            if (i >= 2 && i <= 9 && i != 4 && i != 6) p.Levels[1] = {5 + i * 0.25f, qsHighAlert, {}};
            if (i == 5) p.Levels[1].Status = qsDiscarded;
            if (i == 3) {
                p.Operator = "JD";
                p.CommentId = comment;
            }
            a->AppendStored(p);
        }
        a->RecomputeAll();
        a->AllPoints[1].Mean = 5.25L;
        a->AllPoints[1].CV = 3.14159f;
        a->AllPoints[1].N = 5;
        return a;
    }
    std::vector<std::string> ArchiveFiles() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir_)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

const std::string ExpectedText =
    "Calcium\r\n"
    "mmol/L\r\n"
    "03/03/2023\t10/03/2023\tLyphocheck 2\tL42\t5.250\t3.1\t5\r\n"
    "03/03/2023\t08:30:00\t5.50\t\t\r\n"
    "04/03/2023\t08:30:00\t5.75\tJD\tNew reagent\r\n"
    "05/03/2023\t08:30:00\t\t\t\r\n"
    "06/03/2023\t08:30:00\tDiscarded\t\t\r\n"
    "07/03/2023\t08:30:00\t\t\t\r\n"
    "08/03/2023\t08:30:00\t6.75\t\t\r\n"
    "09/03/2023\t08:30:00\t7.00\t\t\r\n"
    "10/03/2023\t08:30:00\t7.25\t\t\r\n";

} // namespace

TEST_F(Archive, FileNamesHaveAtLeastSixDigits) {
    EXPECT_EQ(ArchiveFileName(1), (dir_ / "QC000001.qca").string());
    EXPECT_EQ(ArchiveFileName(123456), (dir_ / "QC123456.qca").string());
    EXPECT_EQ(ArchiveFileName(1234567), (dir_ / "QC1234567.qca").string());
}

TEST_F(Archive, NumberingFollowsTheLargestArchive) {
    EXPECT_EQ(NextArchiveNumber(), 1);
    for (const char* name : {"QC000007.qca", "QC000003.qca", "QC000009.txt", "XQ000010.qca", "QC00011.qca"})
        WriteFile(dir_ / name, "x");
    EXPECT_EQ(NextArchiveNumber(), 8);
    WriteFile(dir_ / "qc000010.QCA", "x"); // names are matched without regard to case
    EXPECT_EQ(NextArchiveNumber(), 11);
    // Past 999999 the names grow a digit; they still count, so no archive is overwritten.
    WriteFile(dir_ / "QC1000000.qca", "x");
    EXPECT_EQ(NextArchiveNumber(), 1000001);
    WriteFile(dir_ / "QC1000000x.qca", "x"); // not an archive name
    EXPECT_EQ(NextArchiveNumber(), 1000001);
}

TEST_F(Archive, LevelIsWrittenThenErased) {
    auto a = MakeAnalyte();
    EXPECT_EQ(ArchiveText(*a, 1, Materials), ExpectedText);
    a->Archives = {4};
    ArchiveLevel(*a, 1);
    EXPECT_EQ(ReadFile(dir_ / "QC000001.qca"), ExpectedText);
    EXPECT_EQ(a->Archives, (std::vector<std::int32_t>{4, 1}));
    // Run 7 had a value on level 2 only and is gone; the others stay with level 2 empty.
    ASSERT_EQ(a->Count(), 11);
    for (int i = 0; i < a->Count(); ++i) {
        EXPECT_EQ(a->Point(i).Levels[1].Status, qsNoValue) << i;
        EXPECT_EQ(a->Point(i).Levels[0].Status, qsInControl) << i;
    }
    EXPECT_EQ(a->AllPoints[1].N, 0);

    const auto archive = ReadArchive(1);
    ASSERT_TRUE(archive);
    EXPECT_EQ(archive->Analyte, "Calcium");
    EXPECT_EQ(archive->Unit, "mmol/L");
    EXPECT_EQ(archive->SummaryLine(), "03/03/2023\t10/03/2023\tLyphocheck 2\tL42\t5.250\t3.1\t5");
    ASSERT_EQ(archive->Points.size(), 8u);
    EXPECT_EQ(archive->Points[1].Line(), "04/03/2023\t08:30:00\t5.75\tJD\tNew reagent");
    EXPECT_EQ(archive->Points[1].Operator, "JD");
    EXPECT_EQ(archive->Points[3].Value, "Discarded");
    EXPECT_FALSE(ReadArchive(2));

    // The next archive of the program gets the next number.
    ArchiveLevel(*a, 0);
    EXPECT_EQ(a->Archives.back(), 2);
    EXPECT_EQ(a->Count(), 0);
    EXPECT_EQ(ArchiveFiles(), (std::vector<std::string>{"QC000001.qca", "QC000002.qca"}));
}

TEST_F(Archive, MaterialUnknownAndMeanWithOneMoreDecimal) {
    auto a = MakeAnalyte();
    a->MaterialId[1] = 99;
    a->Decimals = 0;
    a->AllPoints[1].Mean = 1234.56L;
    const std::string text = ArchiveText(*a, 1, Materials);
    EXPECT_NE(text.find("\tUnknown\t\t1234.6\t3.1\t5\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\t08:30:00\t6\tJD\tNew reagent\r\n"), std::string::npos) << text; // 5.75, no decimal
}

TEST_F(Archive, ArchiveNameWithoutNumberStopsBeforeAnyChange) {
    auto a = MakeAnalyte();
    WriteFile(dir_ / "QC12ab56.qca", "x");
    EXPECT_THROW(NextArchiveNumber(), EQCError);
    EXPECT_THROW(ArchiveLevel(*a, 1), EQCError);
    EXPECT_TRUE(a->Archives.empty());
    EXPECT_EQ(a->Count(), 12);
    EXPECT_EQ(a->Point(2).Levels[1].Status, qsHighAlert);
    EXPECT_EQ(ArchiveFiles(), (std::vector<std::string>{"QC12ab56.qca"}));
}

TEST_F(Archive, WriteFailureKeepsThePointsButNotesTheNumber) {
    auto a = MakeAnalyte();
    SetProgramDir((dir_ / "missing").string());
    EXPECT_THROW(ArchiveLevel(*a, 1), EQCError);
    EXPECT_EQ(a->Archives, (std::vector<std::int32_t>{1}));
    EXPECT_EQ(a->Count(), 12);
    EXPECT_EQ(a->Point(2).Levels[1].Status, qsHighAlert);
}

TEST_F(Archive, EmptyOrMissingLevelIsRefused) {
    auto a = MakeAnalyte();
    EXPECT_THROW(ArchiveLevel(*a, 2), EQCError); // beyond the analyte's levels
    a->EraseLevel(1);
    EXPECT_THROW(ArchiveLevel(*a, 1), EQCError); // nothing left on the level
    EXPECT_TRUE(a->Archives.empty());
    EXPECT_TRUE(ArchiveFiles().empty());
}

TEST_F(Archive, DamagedArchivesAreNotRead) {
    const std::string summary = "01/03/2023\t02/03/2023\tLypho\tL1\t5.0\t1.0\t2\r\n";
    struct TCase {
        std::string Text;
        bool Readable;
    } cases[] = {
        {"Ca\r\nmmol/L\r\n" + summary + "01/03/2023\t08:00:00\t5.0\t\tTab\tin comment\r\n", true},
        {"Ca\r\n\r\n" + summary, true},                                  // no unit, no point line
        {"Ca\r\nmmol/L\r\n", false},                                     // no summary
        {"Ca\r\nmmol/L\r\n01/03/2023\t02/03/2023\r\n", false},         // short summary
        {"Ca\r\nmmol/L\r\n" + summary + "01/03/2023\t08:00:00\r\n", false}, // short point line
        {"Ca\r\nmmol/L\r\n" + summary + "\r\n", false},                   // blank point line
        {"", false},
    };
    for (const TCase& c : cases) EXPECT_EQ(ParseArchive(c.Text).has_value(), c.Readable) << c.Text;
    EXPECT_EQ(ParseArchive(cases[0].Text)->Points[0].Comment, "Tab\tin comment");
    // A hostile file of empty point lines is refused without holding millions of points.
    EXPECT_FALSE(ParseArchive("Ca\r\nmmol/L\r\n" + summary + std::string(1000000, '\n')));
}

TEST_F(Archive, DeletingRemovesNumbersAndFiles) {
    auto a = MakeAnalyte();
    for (const char* name : {"QC000001.qca", "QC000003.qca"}) WriteFile(dir_ / name, "x");
    a->Archives = {1, 2, 3, 4};
    // Number 2 has no file any more: only its number goes.
    EXPECT_TRUE(DeleteArchives(*a, {3, 2}).empty());
    EXPECT_EQ(a->Archives, (std::vector<std::int32_t>{1, 4}));
    EXPECT_EQ(ArchiveFiles(), (std::vector<std::string>{"QC000001.qca"}));

    // A file that cannot be deleted keeps its number.
    std::filesystem::create_directory(dir_ / "QC000004.qca");
    WriteFile(dir_ / "QC000004.qca" / "inside", "x");
    EXPECT_EQ(DeleteArchives(*a, {4}), (std::vector<std::string>{ArchiveFileName(4)}));
    EXPECT_EQ(a->Archives, (std::vector<std::int32_t>{1, 4}));
}
