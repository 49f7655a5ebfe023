// Special functions › Audit trail: the newest entries the filters select, the details of the
// selected one, the check of the chain and the printout, as the operator and an assessor use it.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "dialogs/UAuditTrail.h"
#include "gui/GuiHarness.h"
#include "gui/PrintHarness.h"
#include "main/UAuditNotes.h"
#include "model/UAuditTrail.h"
#include "model/UFileStore.h"

namespace tervanix {
namespace {

class AuditWindow : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        // Five days of changes, one a day: the trail starts with its own line.
        const struct {
            const char* day;
            const char* action;
            const char* analyte;
        } made[] = {{"2026-12-01", "run.stored", "Glucose"},
                    {"2026-12-02", "limits.locked", "Glucose"},
                    {"2026-12-03", "run.stored", "Calcium"},
                    {"2026-12-04", "run.deleted", "Glucose"}};
        for (const auto& m : made) {
            SetAuditClock([&m] { return std::string(m.day) + "T09:30:00Z"; });
            TAuditNote note;
            note.Action = m.action;
            note.Analyte = m.analyte;
            note.Level = 2;
            note.Operator = "AB";
            note.Details = R"({"values":[4.5,null],"comment":"lamp changed"})";
            AppendAudit(Path(), {note});
        }
        SetAuditClock({});
        window_.Open(Path());
        ASSERT_TRUE(QTest::qWaitFor([this] { return window_.Checked(); }, 10000));
    }
    std::string Path() const { return folder_.filePath(QStringLiteral("Tervanix.adt")).toStdString(); }
    // The actions of the rows shown, top (newest) first.
    QStringList ShownActions() const {
        QStringList actions;
        const QAbstractItemModel* model = window_.List()->model();
        for (int row = 0; row < model->rowCount(); ++row)
            actions << model->index(row, 4).data().toString();
        return actions;
    }

    QTemporaryDir folder_;
    test::TScriptedMessages messages_;
    TWinAuditTrail window_;
};

TEST_F(AuditWindow, FiltersSelectTheNewestEntriesFirst) {
    EXPECT_EQ(ShownActions(),
              (QStringList{"run.deleted", "run.stored", "limits.locked", "run.stored", "audit.started"}));
    EXPECT_EQ(window_.CheckLine()->text(), QStringLiteral("Chain intact, 5 entries"));
    EXPECT_TRUE(window_.Details()->toPlainText().contains(QStringLiteral("Action: run.deleted")));
    EXPECT_TRUE(window_.Details()->toPlainText().contains(QStringLiteral("\"comment\": \"lamp changed\"")));
    const struct {
        const char* analyte;
        const char* action;
        bool dates;
        QStringList shown;
    } filters[] = {
        {"Glucose", "", false, {"run.deleted", "limits.locked", "run.stored"}},
        {"", "run.stored", false, {"run.stored", "run.stored"}},
        {"Glucose", "run.stored", false, {"run.stored"}},
        {"", "", true, {"run.stored", "limits.locked"}}, // 2026-12-02 to 2026-12-03
        {"Urea", "", false, {}},
    };
    for (const auto& f : filters) {
        window_.AnalyteFilter()->setCurrentText(QString::fromLatin1(f.analyte));
        window_.ActionFilter()->setCurrentIndex(
            std::max(0, window_.ActionFilter()->findData(QString::fromLatin1(f.action))));
        window_.FromDate()->setDate(QDate(2026, 12, 3));
        window_.ToDate()->setDate(QDate(2026, 12, 2)); // either order
        window_.DateFilter()->setChecked(f.dates);
        EXPECT_EQ(ShownActions(), f.shown) << f.analyte << " " << f.action;
    }
}

TEST_F(AuditWindow, SaysWhereTheChainIsBrokenAndPrintsWhatIsSelected) {
    std::string text = *ReadWholeFile(Path());
    text.replace(text.find("limits.locked"), 13, "limits.LOCKED"); // line 3
    WriteFileAtomic(Path(), text, "");
    window_.Open(Path());
    ASSERT_TRUE(QTest::qWaitFor([this] { return window_.Checked(); }, 10000));
    EXPECT_EQ(window_.CheckLine()->text(),
              QStringLiteral("Chain broken at line 4 of 5: that line and those after it cannot be trusted"));

    test::TPdfPrintService printed;
    window_.AnalyteFilter()->setCurrentText(QStringLiteral("Glucose"));
    test::Click(window_.BtPrint());
    ASSERT_EQ(printed.JobCount(), 1);
    const QString pdf = test::PdfText(printed.LastPdf());
    EXPECT_TRUE(pdf.contains(QStringLiteral("Audit trail"))) << pdf.toStdString();
    EXPECT_TRUE(pdf.contains(QStringLiteral("Chain broken at line 4"))) << pdf.toStdString();
    EXPECT_LT(pdf.indexOf(QStringLiteral("run.stored")),
              pdf.indexOf(QStringLiteral("run.deleted"))); // oldest first
    EXPECT_FALSE(pdf.contains(QStringLiteral("audit.started")));
}

// What the list and the printout say of an entry's details: a change as only what differs.
TEST(AuditSummary, SaysWhatChanged) {
    const struct {
        const char* details;
        const char* summary;
    } cases[] = {
        {R"({"values":[4.5,null],"comment":"x"})", "comment: x; values: [4.5, -]"},
        {R"({"before":{"mode":"mobile","mean":5},"after":{"mode":"locked","mean":5}})",
         "mode: mobile \u2192 locked"},
        {R"({"levels":{"before":2,"after":3},"why":"queued"})", "levels: 2 \u2192 3; why: queued"},
        {R"({"password_set":{"before":false,"after":true}})", "password_set: no \u2192 yes"},
    };
    for (const auto& c : cases) {
        TAuditEntry entry;
        entry.Details = c.details;
        EXPECT_EQ(AuditSummary(entry), QString::fromUtf8(c.summary)) << c.details;
    }
    EXPECT_EQ(AuditValue(4.1f).toDouble(), 4.1); // as typed, not 4.099999904
}

} // namespace
} // namespace tervanix
