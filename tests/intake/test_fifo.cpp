#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "intake/UFifoResult.h"
#include "model/UFileStore.h"

using namespace tervanix;
namespace fs = std::filesystem;

namespace {

// A queued run with values on the given levels (1-based), 10 x level each.
TResu Entry(std::uint8_t flag, const std::string& analyte, std::vector<int> levels) {
    TResu e;
    e.StandaloneFlag = flag;
    e.AnalyteName = analyte;
    for (int level : levels) {
        e.Levels[level - 1].Value = 10.0f * level;
        e.Levels[level - 1].Status = qsInControl;
    }
    return e;
}

std::vector<std::uint8_t> Statuses(const TResu& e) {
    return {e.Levels[0].Status, e.Levels[1].Status, e.Levels[2].Status};
}

std::vector<std::string> Analytes(const TFifo& q) {
    std::vector<std::string> names;
    for (const auto& e : q.Entries()) names.push_back(e.AnalyteName);
    return names;
}

void ExpectSameEntry(const TResu& a, const TResu& b) {
    EXPECT_EQ(a.StandaloneFlag, b.StandaloneFlag);
    EXPECT_EQ(a.DateTime, b.DateTime);
    EXPECT_EQ(a.Levels, b.Levels);
    EXPECT_EQ(a.Comment, b.Comment);
    EXPECT_EQ(a.Operator, b.Operator);
    EXPECT_EQ(a.AnalyteName, b.AnalyteName);
}

constexpr std::uint8_t V = qsInControl;
constexpr std::uint8_t N = qsNoValue;

class TempFolder {
public:
    TempFolder() : path_(fs::temp_directory_path() / ("tervanix-fifo-" + std::to_string(::getpid()))) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// Runs the scope as an ordinary user when the tests run as root, so that folder permissions apply.
class UnprivilegedScope {
public:
    UnprivilegedScope() : switched_(::geteuid() == 0 && ::seteuid(65534) == 0) {}
    ~UnprivilegedScope() {
        if (switched_ && ::seteuid(0) != 0) std::abort();
    }
    bool permissionsApply() const { return ::geteuid() != 0; }

private:
    bool switched_;
};

} // namespace

TEST(FifoMerge, ThreeSingleLevelEntriesBecomeOneRun) {
    TFifo q;
    q.Push(Entry(0, "Glucose", {1}));
    q.Push(Entry(0, "Glucose", {2}));
    q.Push(Entry(0, "Glucose", {3}));
    const auto run = q.Pop();
    ASSERT_TRUE(run);
    EXPECT_EQ(Statuses(*run), (std::vector<std::uint8_t>{V, V, V}));
    EXPECT_EQ(run->Levels[1].Value, 20.0f);
    EXPECT_EQ(run->Levels[2].Value, 30.0f);
    EXPECT_EQ(run->StandaloneFlag, 1);
    EXPECT_EQ(q.Count(), 0);
    EXPECT_FALSE(q.Pop());
}

TEST(FifoMerge, PartlyAbsorbedEntryKeepsItsRemainingLevel) {
    TFifo q;
    q.Push(Entry(0, "Glucose", {1}));
    q.Push(Entry(0, "Glucose", {1, 2}));
    const auto run = q.Pop();
    EXPECT_EQ(Statuses(*run), (std::vector<std::uint8_t>{V, V, N}));
    EXPECT_EQ(run->Levels[0].Value, 10.0f);
    ASSERT_EQ(q.Count(), 1);
    EXPECT_EQ(Statuses(q.Entries().front()), (std::vector<std::uint8_t>{V, N, N}));
    EXPECT_EQ(q.Entries().front().StandaloneFlag, 0);
}

TEST(FifoMerge, OtherAnalytesArePassedOverAndStayInOrder) {
    TFifo q;
    q.Push(Entry(0, "Glucose", {1}));
    q.Push(Entry(0, "Calcium", {2}));
    q.Push(Entry(0, "Glucose", {2}));
    const auto run = q.Pop();
    EXPECT_EQ(Statuses(*run), (std::vector<std::uint8_t>{V, V, N}));
    EXPECT_EQ(Analytes(q), (std::vector<std::string>{"Calcium"}));
    q.Push(Entry(1, "Albumin", {1}));
    EXPECT_EQ(Analytes(q), (std::vector<std::string>{"Calcium", "Albumin"}));
    EXPECT_EQ(q.Pop()->AnalyteName, "Calcium");
    EXPECT_EQ(q.Pop()->AnalyteName, "Albumin");
}

TEST(FifoMerge, CompleteEntryEndsTheWalk) {
    TFifo q;
    q.Push(Entry(0, "Glucose", {1}));
    q.Push(Entry(1, "Glucose", {1, 2, 3}));
    q.Push(Entry(0, "Glucose", {2}));
    EXPECT_EQ(Statuses(*q.Pop()), (std::vector<std::uint8_t>{V, N, N}));
    ASSERT_EQ(q.Count(), 2);
    EXPECT_EQ(Statuses(q.Entries().back()), (std::vector<std::uint8_t>{N, V, N}));
}

TEST(FifoMerge, NamesDifferingInCaseAreNotMerged) {
    TFifo q;
    q.Push(Entry(0, "Glucose", {1}));
    q.Push(Entry(0, "GLUCOSE", {2}));
    EXPECT_EQ(Statuses(*q.Pop()), (std::vector<std::uint8_t>{V, N, N}));
    EXPECT_EQ(q.Count(), 1);
}

TEST(FifoMerge, EntriesWithoutValuesAreAbsorbedOnlyUntilTheRunIsComplete) {
    TFifo q;
    q.Push(Entry(0, "Glucose", {1}));
    q.Push(Entry(0, "Glucose", {}));
    q.Push(Entry(0, "Glucose", {2, 3}));
    q.Push(Entry(0, "Glucose", {}));
    EXPECT_EQ(Statuses(*q.Pop()), (std::vector<std::uint8_t>{V, V, V}));
    ASSERT_EQ(q.Count(), 1);
    EXPECT_EQ(Statuses(q.Entries().front()), (std::vector<std::uint8_t>{N, N, N}));
}

TEST(FifoPop, FirstEntryKeepsItsOwnDataAndOnlyPartialEntriesMerge) {
    TFifo q;
    TResu first = Entry(0, "Glucose", {1});
    first.DateTime = 45000.25;
    first.Operator = "AB";
    first.Comment = "first";
    TResu later = Entry(0, "Glucose", {2});
    later.DateTime = 45001.0;
    later.Operator = "CD";
    later.Comment = "later";
    q.Push(first);
    q.Push(later);
    const auto run = q.Pop();
    EXPECT_EQ(run->DateTime, 45000.25);
    EXPECT_EQ(run->Operator, "AB");
    EXPECT_EQ(run->Comment, "first");

    // A complete first entry takes nothing from the partial entries after it.
    q.Push(Entry(1, "Glucose", {1}));
    q.Push(Entry(0, "Glucose", {2}));
    EXPECT_EQ(Statuses(*q.Pop()), (std::vector<std::uint8_t>{V, N, N}));
    EXPECT_EQ(q.Count(), 1);
}

TEST(FifoFile, GoldenBytesOfOneEntry) {
    const std::string golden(
        "\x00" "\x00\x00\x00"                    // flag 0, padding
        "\x00\x00\x00\x00\x10\xF9\xE5\x40"      // 45000.5
        "\x00\x00\xC0\x3F" "\x00" "\x00\x00\x00" // level 1: 1.5, in control
        "\x00\x00\x00\x00" "\x06" "\x00\x00\x00" // level 2: no value
        "\x00\x00\x10\x40" "\x05"                // level 3: 2.25, rejected, no padding
        "\x02\x00\x00\x00" "ok"
        "\x02\x00\x00\x00" "JD"
        "\x07\x00\x00\x00" "Glucose",
        33 + 6 + 6 + 11);
    TResu e;
    e.StandaloneFlag = 0;
    e.DateTime = 45000.5;
    e.Levels[0] = {1.5f, qsInControl, {}};
    e.Levels[1] = {0.0f, qsNoValue, {}};
    e.Levels[2] = {2.25f, qsDiscarded, {}};
    e.Comment = "ok";
    e.Operator = "JD";
    e.AnalyteName = "Glucose";
    TFifo q;
    q.Push(e);
    EXPECT_EQ(q.Encode(), golden);

    TFifo read;
    ASSERT_TRUE(read.Decode(golden));
    ASSERT_EQ(read.Count(), 1);
    ExpectSameEntry(read.Entries().front(), e);
}

TEST(FifoFile, SeveralEntriesSurviveSaveAndLoad) {
    TempFolder dir;
    TFifo q;
    TResu a = Entry(0, "Glucose", {1, 3});
    a.DateTime = 45123.75;
    a.Comment = std::string("lot \xE9\x00 changed", 14);
    a.Operator = "JD";
    TResu b = Entry(1, "", {});
    TResu c = Entry(1, "Calcium", {2});
    c.Levels[0].Padding = {1, 2, 3}; // raw padding bytes are kept as they were read
    q.Push(a);
    q.Push(b);
    q.Push(c);
    q.Save(dir / "run.fif");

    TFifo loaded;
    loaded.Push(Entry(1, "stale", {1}));
    loaded.Load(dir / "run.fif");
    ASSERT_EQ(loaded.Count(), 3);
    auto it = loaded.Entries().begin();
    for (const TResu* expected : {&a, &b, &c}) ExpectSameEntry(*it++, *expected);
    EXPECT_EQ(loaded.Encode(), q.Encode());
}

TEST(FifoFile, DamagedOrMissingFileGivesEmptyQueue) {
    TFifo good;
    good.Push(Entry(0, "Glucose", {1}));
    const std::string one = good.Encode();
    const std::string head = one.substr(0, 33);
    const std::vector<std::pair<const char*, std::string>> damaged = {
        {"short head", head.substr(0, 20)},
        {"head without texts", head},
        {"negative length", head + std::string("\xFF\xFF\xFF\xFF", 4)},
        {"huge length", head + std::string("\xFF\xFF\xFF\x7F", 4) + "abc"},
        {"length past the end", head + std::string("\x05\x00\x00\x00", 4) + "ab"},
        {"good entry then a torn one", one + one.substr(0, one.size() - 1)},
    };
    for (const auto& [what, bytes] : damaged) {
        TFifo q;
        q.Push(Entry(1, "stale", {1}));
        EXPECT_FALSE(q.Decode(bytes)) << what;
        EXPECT_EQ(q.Count(), 0) << what;
    }

    TempFolder dir;
    WriteFileAtomic(dir / "empty.fif", "", "x");
    WriteFileAtomic(dir / "torn.fif", head, "x");
    for (const char* name : {"empty.fif", "torn.fif", "missing.fif"}) {
        TFifo q;
        q.Push(Entry(1, "stale", {1}));
        q.Load(dir / name);
        EXPECT_EQ(q.Count(), 0) << name;
    }
}

TEST(FifoFile, FailedSaveKeepsThePreviousFile) {
    TempFolder dir;
    const std::string path = dir / "run.fif";
    TFifo previous;
    previous.Push(Entry(1, "Glucose", {1}));
    previous.Save(path);
    const std::string before = *ReadWholeFile(path);

    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    TFifo next;
    next.Push(Entry(1, "Calcium", {2}));
    {
        UnprivilegedScope scope;
        if (!scope.permissionsApply()) GTEST_SKIP() << "folder permissions do not apply to this user";
        try {
            next.Save(path);
            ADD_FAILURE() << "save into a read-only folder succeeded";
        } catch (const EQCError& e) {
            EXPECT_STREQ(e.what(), "Unable to save fifo");
        }
    }
    EXPECT_EQ(*ReadWholeFile(path), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}
