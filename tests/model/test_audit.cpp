#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "model/UAuditTrail.h"
#include "model/UFileStore.h"
#include "model/USha256.h"

using namespace tervanix;
namespace fs = std::filesystem;

namespace {

class AuditTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("tervanix-audit-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        SetAuditClock([] { return std::string("2026-12-08T16:35:03Z"); });
        SetAuditLogin([] { return std::string("lab1"); });
    }
    void TearDown() override {
        SetAuditClock({});
        SetAuditLogin({});
        SetWriteFault({});
        fs::remove_all(dir_);
    }
    std::string Path() const { return (dir_ / "Tervanix.adt").string(); }
    std::string Text() const { return ReadWholeFile(Path()).value_or(""); }
    void WriteText(const std::string& text) const { std::ofstream(Path(), std::ios::binary) << text; }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::string text = Text();
        for (std::size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
            lines.push_back(text.substr(at, end - at));
        return lines;
    }
    static TAuditNote Note(const std::string& action, const std::string& analyte = "Glucose", int level = 0) {
        TAuditNote note;
        note.Action = action;
        note.Analyte = analyte;
        note.Level = level;
        return note;
    }

    fs::path dir_;
};

} // namespace

TEST(Sha256, FipsVectors) {
    const struct {
        std::string message, digest;
    } vectors[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmno"
         "pqrstnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& v : vectors)
        EXPECT_EQ(Sha256Hex(v.message), v.digest) << v.message.size();
}

TEST_F(AuditTest, FirstChangeStartsTheTrailAndLinksEveryLine) {
    TAuditNote stored = Note("run.stored", "Glu \"A\"\\\n", 2);
    stored.Details = R"({"values":[1.5,null],"comment":"ok"})";
    stored.Operator = "AB";
    AppendAudit(Path(), {stored});
    AppendAudit(Path(), {Note("limits.locked", "Glucose", 1), Note("run.deleted")});
    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 4U);
    EXPECT_EQ(lines[0],
              R"({"seq":1,"time":"2026-12-08T16:35:03Z","login":"lab1","operator":"","source":"program",)"
              R"("action":"audit.started","analyte":"","level":0,"details":{},"prev":""})");
    const std::optional<TAuditEntry> second = DecodeAuditLine(lines[1]);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->Seq, 2);
    EXPECT_EQ(second->Analyte, "Glu \"A\"\\\n");
    EXPECT_EQ(second->Level, 2);
    EXPECT_EQ(second->Operator, "AB");
    EXPECT_EQ(second->Details, stored.Details);
    EXPECT_EQ(second->Prev, Sha256Hex(lines[0]));
    EXPECT_EQ(DecodeAuditLine(lines[3])->Prev, Sha256Hex(lines[2]));
    const TAuditCheck check = VerifyAuditFile(Path()).value();
    EXPECT_EQ(check.Entries, 4);
    EXPECT_TRUE(check.Intact());
    const std::atomic<bool> stop{true}; // a check stopped half-way says nothing
    EXPECT_FALSE(VerifyAuditFile(Path(), nullptr, &stop));
}

TEST_F(AuditTest, AnEditedRemovedOrReorderedLineBreaksTheChain) {
    for (int i = 0; i < 4; ++i)
        AppendAudit(Path(), {Note("run.stored")});
    const std::vector<std::string> lines = Lines(); // 5 with audit.started
    std::string edited = lines[2];
    edited.replace(edited.find("Glucose"), 7, "Glucoze");
    std::string renumbered = lines[4];
    renumbered.replace(renumbered.find("\"seq\":5"), 7, "\"seq\":7");
    const struct {
        const char* what;
        std::vector<std::string> lines;
        long long firstBroken;
    } cases[] = {
        {"renumbered", {lines[0], lines[1], lines[2], lines[3], renumbered}, 5},
        {"edited", {lines[0], lines[1], edited, lines[3], lines[4]}, 4},
        {"edited first", {lines[0].substr(0, lines[0].size() - 1) + " }", lines[1]}, 2},
        {"removed", {lines[0], lines[1], lines[3], lines[4]}, 3},
        {"swapped", {lines[0], lines[2], lines[1], lines[3], lines[4]}, 2},
        {"not json", {lines[0], "garbage", lines[2]}, 2},
        {"intact", lines, 0},
    };
    for (const auto& c : cases) {
        std::string text;
        for (const std::string& line : c.lines)
            text += line + "\n";
        EXPECT_EQ(VerifyAuditText(text).FirstBroken, c.firstBroken) << c.what;
        WriteText(text);
        EXPECT_EQ(VerifyAuditFile(Path())->FirstBroken, c.firstBroken) << c.what;
    }
}

TEST_F(AuditTest, AFullDiskRefusesTheLineAndLeavesTheFileAsItWas) {
    AppendAudit(Path(), {Note("run.stored")});
    const std::string before = Text();
    for (const char* step : {"append", "write", "sync"}) {
        SetWriteFault([step](std::string_view at, const std::string&) { return at == step ? ENOSPC : 0; });
        try {
            AppendAudit(Path(), {Note("run.deleted")});
            ADD_FAILURE() << step;
        } catch (const EAuditWriteError& e) {
            EXPECT_STREQ(e.what(), "Cannot write the audit trail");
            EXPECT_EQ(e.Path(), Path());
            EXPECT_EQ(e.Reason(), "No space left on device");
        }
        EXPECT_EQ(Text(), before) << step;
    }
    SetWriteFault({});
    AppendAudit(Path(), {Note("run.deleted")});
    EXPECT_TRUE(VerifyAuditFile(Path())->Intact());
}

TEST_F(AuditTest, ReadsTheNewestEntriesTheFilterAccepts) {
    const struct {
        const char* time;
        const char* analyte;
        const char* action;
    } made[] = {
        {"2026-12-01T10:00:00Z", "Glucose", "run.stored"},  {"2026-12-02T10:00:00Z", "Calcium", "run.stored"},
        {"2026-12-03T10:00:00Z", "Glucose", "run.deleted"}, {"2026-12-04T23:59:59Z", "Glucose", "run.stored"},
        {"2026-12-05T00:00:00Z", "Glucose", "run.stored"},
    };
    for (const auto& m : made) {
        SetAuditClock([&m] { return std::string(m.time); });
        AppendAudit(Path(), {Note(m.action, m.analyte)});
    }
    const auto seqs = [&](const TAuditFilter& filter, std::size_t max) {
        std::vector<long long> out;
        for (const TAuditEntry& e : ReadAuditEntries(Path(), filter, max))
            out.push_back(e.Seq);
        return out;
    };
    EXPECT_EQ(seqs({}, 100), (std::vector<long long>{6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(seqs({}, 2), (std::vector<long long>{6, 5}));
    EXPECT_EQ(seqs({"Glucose", "", "", ""}, 100), (std::vector<long long>{6, 5, 4, 2}));
    EXPECT_EQ(seqs({"", "run.stored", "2026-12-02", "2026-12-04"}, 100), (std::vector<long long>{5, 3}));
    EXPECT_TRUE(ReadAuditEntries((dir_ / "none.adt").string(), {}).empty());
    // A trail longer than the first pieces read from its end: no line lost or cut at their seams.
    for (int i = 0; i < 400; ++i)
        AppendAudit(Path(), {Note("run.stored", std::string(std::size_t(i % 97), 'x'))});
    const std::vector<TAuditEntry> all = ReadAuditEntries(Path(), {});
    ASSERT_EQ(all.size(), 406U);
    for (std::size_t i = 0; i < all.size(); ++i)
        EXPECT_EQ(all[i].Seq, 406 - static_cast<long long>(i));
    EXPECT_TRUE(VerifyAuditFile(Path())->Intact());
}

TEST_F(AuditTest, ReaderRefusesWhatIsNotAnEntry) {
    const char* refused[] = {"",
                             "{}",
                             "[1]",
                             R"({"seq":1,"action":"x"})",
                             R"({"seq":"1","action":"x","prev":""})",
                             R"({"seq":1,"action":"x","prev":"","level":7})",
                             R"({"seq":1,"action":"x","prev":""} x)",
                             R"({"seq":1,"action":"x","prev":"","details":[]})",
                             R"({"seq":1,"action":"\ud800","prev":""})"};
    for (const char* line : refused)
        EXPECT_FALSE(DecodeAuditLine(line)) << line;
    const auto later =
        DecodeAuditLine(R"({"seq":1,"action":"\u00e9\ud83d\ude00","prev":"","new":{"a":[1,true,null]}})");
    ASSERT_TRUE(later);
    EXPECT_EQ(later->Action, "\xc3\xa9\xf0\x9f\x98\x80");
}

TEST(AuditPath, BesideTheDataFile) {
    EXPECT_EQ(AuditPathOf("/lab/Tervanix.qcf"), "/lab/Tervanix.adt");
    EXPECT_EQ(AuditPathOf("/lab.d/data"), "/lab.d/data.adt");
}
