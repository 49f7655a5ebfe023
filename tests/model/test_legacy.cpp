#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

#include "model/UCompatibilityMorvelle.h"
#include "model/UDataLoadSave.h"
#include "support/FileTestSupport.h"

using namespace tervanix;
using namespace tervanix::test;

namespace {

// Version-2 files are built here byte by byte from the predecessor's layout.
void I32(std::string& b, std::int32_t v) {
    for (int i = 0; i < 4; ++i) b += static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
}
void F32(std::string& b, float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, 4);
    I32(b, static_cast<std::int32_t>(bits));
}
void F64(std::string& b, double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, 8);
    for (int i = 0; i < 8; ++i) b += static_cast<char>((bits >> (8 * i)) & 0xFF);
}

const std::string V2Tag = Hex("08 32 30 B5 FE 70 6F 34 35");

struct V2Level {
    float Value = 0;
    std::uint8_t Status = 1; // no value
};
struct V2Point {
    double Date;
    std::vector<V2Level> Levels;
    std::int32_t CommentId = -1;
};
struct V2Analyte {
    std::string Name = "GLU";
    std::string Unit = "mmol/l";
    std::int32_t Decimals = 1;
    std::vector<V2Point> Points;
    std::array<std::int32_t, 3> LockFirst{-1, -1, -1};
    std::array<std::int32_t, 3> LockLast{-1, -1, -1};
    std::int32_t ExtraRecords = 0;
    std::vector<std::pair<std::int32_t, std::string>> Comments;
};

std::string PointBytes(const V2Point& p) {
    std::string b;
    F64(b, p.Date);
    for (std::size_t level = 0; level < 3; ++level) {
        const V2Level l = level < p.Levels.size() ? p.Levels[level] : V2Level{};
        F32(b, l.Value);
        b += static_cast<char>(l.Status);
        b += std::string(3, '\x55'); // unused bytes hold whatever the predecessor left there
    }
    I32(b, p.CommentId);
    return b;
}

std::string AnalyteBytes(const V2Analyte& a) {
    std::string b;
    I32(b, static_cast<std::int32_t>(a.Points.size()));
    for (const V2Point& p : a.Points) b += PointBytes(p);
    std::string def = ShortBytes(a.Name, 10) + ShortBytes(a.Unit, 12);
    I32(def, a.Decimals);
    def += std::string(108 - def.size(), '\x77');
    for (std::int32_t v : a.LockFirst) I32(def, v);
    for (std::int32_t v : a.LockLast) I32(def, v);
    EXPECT_EQ(def.size(), 132u);
    b += def;
    I32(b, a.ExtraRecords);
    b += std::string(68 * static_cast<std::size_t>(a.ExtraRecords), '\x33');
    I32(b, a.Comments.empty() ? 0 : a.Comments.back().first + 1);
    I32(b, static_cast<std::int32_t>(a.Comments.size()));
    for (const auto& [id, text] : a.Comments) {
        I32(b, id);
        b += ShortBytes(text, 23);
    }
    return b;
}

std::string FileBytes(const std::vector<V2Analyte>& analytes, int materials = 2) {
    std::string b;
    I32(b, materials);
    b += std::string(27 * static_cast<std::size_t>(materials), '\x11');
    I32(b, static_cast<std::int32_t>(analytes.size()));
    for (const V2Analyte& a : analytes) b += AnalyteBytes(a);
    return b + V2Tag;
}

V2Level Value(float v) { return {v, 0}; }
V2Level Discarded(float v) { return {v, 2}; }
V2Level Empty() { return {0, 1}; }

constexpr double Day = 45000; // 2023-03-15

class LegacyTest : public FileTest {
protected:
    void Import(const std::string& bytes) {
        WriteFile(dir_ / "OLD.DAT", bytes);
        ImportVersion2File(Path("OLD.DAT"));
    }
    // Expects the import to fail with the operator's message and returns the analyte count after it.
    int ImportFails(const std::string& bytes) {
        try {
            Import(bytes);
            ADD_FAILURE() << "import accepted a damaged file";
        } catch (const EDataFileError& e) {
            EXPECT_STREQ(e.what(), "Cannot read data");
        }
        return Analytes.Count();
    }
};

TEST_F(LegacyTest, ImportsSeriesDefinitionAndCommentsAtNoon) {
    Analytes.Add(std::make_unique<TAnalyte>("Existing", "g/L", 0, 1, false));
    V2Analyte a;
    a.Name = "Glucose\t 2"; // control characters are dropped from every text
    a.Unit = "mmol\r/l long"; // longer than the current unit field: cut to six characters
    a.Decimals = 2;
    a.Comments = {{2, "two"}, {5, "Calibration done \ntoday"}, {9, "nine"}};
    // Out of date order on purpose: the series is ordered by date.
    a.Points = {{Day + 2, {Value(5.5f), Empty(), Discarded(1.5f)}, 5},
                {Day, {Value(5.0f), Value(7.0f), Empty()}, -1},
                {Day + 1, {Value(5.2f), {3.0f, 7}, Value(2.0f)}, 3}}; // unknown code 7; id 3 not in the list
    Import(FileBytes({a}));

    ASSERT_EQ(Analytes.Count(), 2);
    const TAnalyte& g = Analytes[1];
    EXPECT_EQ(g.Name.str(), "Glucose 2");
    EXPECT_EQ(g.UnitName.str(), "mmol/l");
    EXPECT_EQ(g.Decimals, 2);
    EXPECT_EQ(g.LevelCount, 3);
    EXPECT_FALSE(g.HasOption(aoCommonCV));
    EXPECT_EQ(g.MaterialId, (std::array<std::int32_t, 3>{-1, -1, -1}));
    ASSERT_EQ(g.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_DOUBLE_EQ(g.Point(i).DateTime, Day + i + 0.5);
        EXPECT_TRUE(g.Point(i).Operator.empty());
    }
    EXPECT_EQ(g.Point(0).Levels[1].Status, qsInControl);
    EXPECT_FLOAT_EQ(g.Point(0).Levels[1].Value, 7.0f);
    EXPECT_EQ(g.Point(0).Levels[2].Status, qsNoValue);
    EXPECT_EQ(g.Point(1).Levels[1].Status, qsNoValue); // code 7 has no meaning
    EXPECT_EQ(g.Point(2).Levels[1].Status, qsNoValue);
    EXPECT_EQ(g.Point(2).Levels[2].Status, qsDiscarded);
    EXPECT_FLOAT_EQ(g.Point(2).Levels[2].Value, 1.5f);
    EXPECT_EQ(g.CommentText(g.Point(2).CommentId), "Calibration done today");
    EXPECT_EQ(g.Point(1).CommentId, -1);
    EXPECT_EQ(g.Point(0).CommentId, -1);
    EXPECT_EQ(g.AllPoints[0].N, 3);
}

TEST_F(LegacyTest, LockedIntervalsAreKeptOrFallBackToMobile) {
    V2Analyte a;
    for (int i = 0; i < 25; ++i) {
        const float v1 = 10.0f + static_cast<float>(i % 5) * 0.1f;
        a.Points.push_back({Day + i, {Value(v1), Value(3.0f), Value(1.0f + static_cast<float>(i % 3))}});
    }
    a.Points.back().Levels[0] = Value(30.0f); // far outside: classified against the new limits
    a.LockFirst = {5, 5, -1};
    a.LockLast = {20, 20, 7};
    Import(FileBytes({a}));

    const TAnalyte& g = Analytes[0];
    EXPECT_EQ(g.LimitsMode[0], lmLocked);
    EXPECT_EQ(g.LockFirst[0], 5);
    EXPECT_EQ(g.LockLast[0], 20);
    EXPECT_EQ(g.Current[0].N, 16);
    // Level 2 holds one value only inside its interval: no limits, back to mobile.
    EXPECT_EQ(g.LimitsMode[1], lmMobile);
    EXPECT_EQ(g.LockFirst[1], -1);
    EXPECT_EQ(g.LimitsMode[2], lmMobile);
    EXPECT_EQ(g.Point(24).Levels[0].Status, qsHighAction);
    EXPECT_EQ(g.Point(5).Levels[0].Status, qsInControl);
}

TEST_F(LegacyTest, LockPastTheSeriesIsCutToTheLastPoint) {
    V2Analyte a;
    for (int i = 0; i < 10; ++i) a.Points.push_back({Day + i, {Value(5.0f + static_cast<float>(i % 4))}});
    a.LockFirst = {2, 40, -1};
    a.LockLast = {99, 50, -1};
    Import(FileBytes({a}));
    const TAnalyte& g = Analytes[0];
    EXPECT_EQ(g.LimitsMode[0], lmLocked);
    EXPECT_EQ(g.LockLast[0], 9);
    EXPECT_EQ(g.LimitsMode[1], lmMobile);
}

TEST_F(LegacyTest, RefusesOtherTagsAndShortFilesWithoutChange) {
    V2Analyte a;
    a.Points = {{Day, {Value(1.0f)}}};
    std::string current = FileBytes({a});
    current[current.size() - 8] = '3';
    current[current.size() - 7] = '2';
    EXPECT_EQ(ImportFails(current), 0);
    std::string wrongMagic = FileBytes({a});
    wrongMagic.back() = 'X';
    EXPECT_EQ(ImportFails(wrongMagic), 0);
    EXPECT_EQ(ImportFails(V2Tag.substr(1)), 0);
    EXPECT_EQ(ImportFails(V2Tag), 0); // tag alone: no analyte count
    EXPECT_THROW(ImportVersion2File(Path("missing.dat")), EDataFileError);
}

TEST_F(LegacyTest, AnalyteReadBeforeAFaultStays) {
    V2Analyte first, second;
    first.Name = "First";
    first.Points = {{Day, {Value(1.0f)}}, {Day + 1, {Value(2.0f)}}};
    second.Name = "Second";
    second.Points = {{Day, {Value(3.0f)}}};
    second.ExtraRecords = 2;
    const std::string whole = FileBytes({first, second});
    // Cut inside the second analyte's skipped records, keeping the tag.
    const std::string cut = whole.substr(0, whole.size() - 9 - 8 - 68) + V2Tag;
    EXPECT_EQ(ImportFails(cut), 1);
    EXPECT_EQ(Analytes[0].Name.str(), "First");
    EXPECT_EQ(Analytes[0].Count(), 2);

    // A point count far beyond the file is refused before anything is allocated.
    std::string huge = FileBytes({first, second});
    const std::size_t secondStart = 4 + 54 + 4 + AnalyteBytes(first).size();
    huge[secondStart + 3] = '\x7F';
    EXPECT_EQ(ImportFails(huge), 2);
}

TEST_F(LegacyTest, DamagedValuesAreSafeAndTheResultSavesAndReloads) {
    V2Analyte a;
    a.Decimals = 9;
    a.Points = {{Day, {Value(std::numeric_limits<float>::quiet_NaN()), Value(4.0f)}},
                {Day + 1, {Value(2.0f), Value(4.5f)}},
                {Day + 2, {Value(2.5f), Value(4.2f)}}};
    Import(FileBytes({a}));
    Import(FileBytes({a})); // twice: each analyte twice
    ASSERT_EQ(Analytes.Count(), 2);
    const TAnalyte& g = Analytes[0];
    EXPECT_EQ(g.Decimals, 3);
    EXPECT_EQ(g.Point(0).Levels[0].Status, qsNoValue);
    EXPECT_EQ(g.AllPoints[0].N, 2);
    EXPECT_FALSE(std::isnan(static_cast<double>(g.Current[0].Mean)));

    TListSerum materials;
    TListAnalytes reread;
    EXPECT_NO_THROW(DecodeDataFile(EncodeDataFile(Materials, Analytes), materials, reread));
    EXPECT_EQ(reread.Count(), 2);

    V2Analyte badDate;
    badDate.Points = {{std::numeric_limits<double>::infinity(), {Value(1.0f)}}};
    EXPECT_EQ(ImportFails(FileBytes({badDate})), 2);
}

} // namespace
