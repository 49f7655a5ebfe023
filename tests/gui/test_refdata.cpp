#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>

#include "dialogs/UArrowBtn.h"
#include "dialogs/UDefAnalytes.h"
#include "dialogs/UDefSerum.h"
#include "dialogs/UMotPass.h"
#include "dialogs/USerumByAnal.h"
#include "gui/GuiHarness.h"
#include "main/UCommandRunner.h"
#include "main/ULaboratory.h"
#include "main/UMain.h"
#include "main/UTabList.h"
#include "model/UArchive.h"
#include "model/UDataLoadSave.h"
#include "model/UFileStore.h"
#include "model/UGlobals.h"
#include "model/UQualityGoals.h"
#include "support/AnalyteBuilders.h"

static void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace tervanix {
namespace {

using test::Click;
using test::MakeRun;
using test::TScriptedMessages;
using test::TypeText;

// Empty lists in a program folder of their own; no password unless a test sets one.
class RefData : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        savedDir_ = ProgramDir;
        SetProgramDir(folder_.path().toStdString());
        Analytes.FreeAll();
        Materials = TListSerum();
        previousPrompt_ = SetPasswordPrompt([](QWidget*) { return true; });
    }
    void TearDown() override {
        SetPasswordPrompt(previousPrompt_);
        Analytes.FreeAll();
        Materials = TListSerum();
        SetProgramDir(savedDir_);
    }
    // An analyte with a run on each day of `days` on the levels given (nullopt: no value).
    TAnalyte& AddAnalyte(const char* name, int levels, std::initializer_list<std::optional<float>> run = {}, int days = 0) {
        TAnalyte& a = Analytes.Add(std::make_unique<TAnalyte>(name, "g/L", 1, levels, false));
        for (int d = 1; d <= days; ++d) a.AddPoint(MakeRun(d, run));
        a.RecomputeAll();
        return a;
    }
    int ArchiveFiles() const {
        int n = 0;
        for (const auto& e : std::filesystem::directory_iterator(ProgramDir)) n += e.path().extension() == ".qca";
        return n;
    }
    QStringList Texts() const {
        QStringList texts;
        for (const auto& m : boxes_.Recorded()) texts << m.Text;
        return texts;
    }
    static QStringList Lines(const QListWidget* list) {
        QStringList lines;
        for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
        return lines;
    }
    // A drop as the operator's drag ends it: entering the target first makes it the drop's target.
    static void DropOnto(QWidget* target, QPoint pos) {
        QMimeData mime;
        QDragEnterEvent enter(pos, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent drop(pos, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
    }
    // A click on a line as the operator's mouse gives it, also on the line already selected.
    static void ClickLine(QListWidget* list, int row) {
        const QRect line = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, line.center());
    }
    static void Fill(QLineEdit* edit, const QString& text) {
        edit->clear();
        TypeText(edit, text);
    }

    QTemporaryDir folder_;
    std::string savedDir_;
    TPasswordPrompt previousPrompt_;
    TScriptedMessages boxes_;
};

// ---- Analytes ----

class DefAnalytes : public RefData {
protected:
    void Open() {
        dialog_ = std::make_unique<TWinDefAnalytes>();
        test::ShowActive(dialog_.get());
    }
    void Select(int row) { dialog_->LBox()->setCurrentRow(row); }
    void Type(const QString& name, int levels) {
        Fill(dialog_->EditNom(), name);
        dialog_->SELevels()->setValue(levels);
    }
    std::unique_ptr<TWinDefAnalytes> dialog_;
};

TEST_F(DefAnalytes, RefusalsShowTheirMessageAndChangeNothing) {
    TAnalyte& glu = AddAnalyte("Glucose", 3, {1.f, std::nullopt, 3.f}, 2);
    AddAnalyte("Urea", 3, {std::nullopt, 2.f, std::nullopt}, 2);
    AddAnalyte("Iron", 3, {1.f}, 1);
    Open();
    EXPECT_EQ(dialog_->windowTitle(), QStringLiteral("Definition of analytes"));
    const QStringList before = Lines(dialog_->LBox());
    EXPECT_EQ(before[0], QStringLiteral("Glucose\t3\tg/L\t1\tNo"));

    struct Case {
        int row; // -1: add
        QString name;
        int levels;
        QString message;
    } cases[] = {
        {-1, QStringLiteral("   "), 3, QStringLiteral("Missing name")},
        {-1, QStringLiteral("UREA"), 3, QStringLiteral("Duplicate names")},
        {0, QStringLiteral("urea"), 3, QStringLiteral("Duplicate names")},
        {0, QStringLiteral("Glucose"), 2,
         QStringLiteral("You want to reduce the number of QC levels for Glucose\rCannot suppress QC level 3.\rYou must "
                        "first erase/archive data.")},
        {1, QStringLiteral("Urea"), 1,
         QStringLiteral("You want to reduce the number of QC levels for Urea\rCannot suppress QC3 and QC2 levels.\rYou "
                        "must first erase/archive data.")},
    };
    for (const Case& c : cases) {
        Select(c.row);
        Type(c.name, c.levels);
        Click(c.row < 0 ? dialog_->BtAjouter() : dialog_->BtCorriger());
        EXPECT_EQ(boxes_.Last().Text, c.message);
        EXPECT_EQ(Lines(dialog_->LBox()), before);
    }
    dialog_->LBox()->setCurrentRow(-1);
    Click(dialog_->BtCorriger());
    EXPECT_EQ(boxes_.Last().Text, QStringLiteral("Select the analyte to replace"));

    // Typing stops at the limits; another letter case of the line itself is allowed.
    Fill(dialog_->EditNom(), QStringLiteral("ABCDEFGHIJKLMNOP"));
    EXPECT_EQ(dialog_->EditNom()->text(), QStringLiteral("ABCDEFGHIJKLMNO"));
    Select(0);
    Type(QStringLiteral("GLUCOSE"), 3);
    Click(dialog_->BtCorriger());
    Select(2); // Iron: level 3 and level 2 are empty, so 3 -> 1 is accepted
    Type(QStringLiteral("Iron"), 1);
    Click(dialog_->BtCorriger());
    EXPECT_EQ(Lines(dialog_->LBox())[0], QStringLiteral("GLUCOSE\t3\tg/L\t1\tNo"));
    EXPECT_EQ(Lines(dialog_->LBox())[2], QStringLiteral("Iron\t1\tg/L\t1\tNo"));
    EXPECT_EQ(glu.Name.str(), "Glucose"); // nothing live before OK
}

TEST_F(DefAnalytes, DeletionTakesTheArchivesOnlyOnOKAndUndoBringsLinesBack) {
    TAnalyte& glu = AddAnalyte("Glucose", 1, {1.f}, 3);
    ArchiveLevel(glu, 0);
    glu.AddPoint(MakeRun(9, {2.f}));
    glu.RecomputeAll();
    ArchiveLevel(glu, 0);
    AddAnalyte("Urea", 1);
    ASSERT_EQ(ArchiveFiles(), 2);
    Open();
    Type(QStringLiteral("Added"), 1);
    Click(dialog_->BtAjouter());

    boxes_.Answer(TMsgButton::Cancel);
    Select(0);
    Click(dialog_->BtSupprimer());
    EXPECT_EQ(boxes_.Last().Text, QStringLiteral("Warning, you are about to clear all archived data and \rcurrent "
                                                 "control points for GLUCOSE\rConfirm analyte deletion :"));
    EXPECT_EQ(dialog_->LBox()->count(), 3);
    Click(dialog_->BtSupprimer());
    EXPECT_EQ(dialog_->LBox()->currentRow(), 0); // the line now at the place, its fields shown
    EXPECT_EQ(dialog_->EditNom()->text(), QStringLiteral("Urea"));
    Select(1);
    dialog_->LBox()->setFocus();
    QTest::keyClick(dialog_->LBox(), Qt::Key_Delete); // the added line
    EXPECT_EQ(dialog_->LBox()->currentRow(), 0); // the last line deleted: the new last one
    Click(dialog_->BtDefaire());
    EXPECT_EQ(Lines(dialog_->LBox()).size(), 2);

    Select(0);
    Click(dialog_->BtSupprimer());
    Click(dialog_->BtCancel());
    EXPECT_EQ(Analytes.Count(), 2);
    EXPECT_EQ(ArchiveFiles(), 2);

    Open();
    Select(0);
    Click(dialog_->BtSupprimer());
    Click(dialog_->BtOK());
    ASSERT_EQ(Analytes.Count(), 1);
    EXPECT_EQ(Analytes[0].Name.str(), "Urea");
    EXPECT_EQ(ArchiveFiles(), 0);
}

// Deleting an analyte and the erasing changes of materials and of an assignment wait for the password.
// A renamed analyte's quality goals follow it on OK, a deleted one's go, and the goals of names
// the data file does not hold stay; Cancel changes nothing.
TEST_F(DefAnalytes, RenamedAnalytesCarryTheirGoalsAndDeletedOnesDropThem) {
    AddAnalyte("Glucose", 1);
    AddAnalyte("Urea", 1);
    TQualityGoals goals;
    goals.Set("Glucose", {10.0, {5.0}});
    goals.Set("Urea", {9.0, {7.0}});
    goals.Set("Lactate", {20.0, {}});
    const std::string path = BasePath + ".goals";
    const test::TGoalsScope scope;
    ASSERT_TRUE(Laboratory().ChangeGoals(goals));
    const auto onDisk = [&] { return DecodeGoalsFile(ReadWholeFile(path).value_or("")); };
    for (const bool ok : {false, true}) {
        Open();
        Select(0);
        Type(QStringLiteral("Glu"), 1);
        Click(dialog_->BtCorriger());
        Select(1);
        Click(dialog_->BtSupprimer());
        Click(ok ? dialog_->BtOK() : dialog_->BtCancel());
        if (!ok) {
            EXPECT_EQ(onDisk(), goals);
        }
    }
    TQualityGoals expected;
    expected.Set("Glu", {10.0, {5.0}});
    expected.Set("Lactate", {20.0, {}});
    EXPECT_EQ(onDisk(), expected);
    EXPECT_EQ(Laboratory().Goals(), expected);
}

TEST_F(RefData, DestructiveButtonsWaitForThePassword) {
    test::TPasswordScope password("LAB");
    TAnalyte& glu = AddAnalyte("Glucose", 1);
    TWinDefAnalytes analytes;
    TWinDefSerum materials;
    TWinSerumByAnal assignment;
    assignment.Prepare(glu);
    const std::pair<QWidget*, std::pair<QPushButton*, QPushButton*>> dialogs[] = {
        {&analytes, {analytes.BtSupprimer(), analytes.BtCle()}},
        {&materials, {materials.BtErase(), materials.BtCle()}},
        {&assignment, {assignment.BtErase(), assignment.BtCle()}},
    };
    for (const auto& [dialog, buttons] : dialogs) {
        test::ShowActive(dialog);
        EXPECT_FALSE(buttons.first->isEnabled());
        EXPECT_TRUE(buttons.second->isVisible());
        Click(buttons.second);
        EXPECT_TRUE(buttons.first->isEnabled());
        EXPECT_FALSE(buttons.second->isVisible());
    }
    analytes.LBox()->setCurrentRow(0);
    analytes.BtSupprimer()->setEnabled(false);
    analytes.LBox()->setFocus();
    QTest::keyClick(analytes.LBox(), Qt::Key_Delete); // the key works only through its button
    EXPECT_TRUE(boxes_.Recorded().empty());
}

TEST_F(DefAnalytes, ReorderByButtonsDragAndSortBecomesTheOrderOnOK) {
    for (const char* name : {"b", "C", "a", "D"}) AddAnalyte(name, 1);
    Open();
    const auto names = [this] {
        QString s;
        for (const QString& line : Lines(dialog_->LBox())) s += line.section(u'\t', 0, 0);
        return s;
    };
    dialog_->LBox()->setCurrentRow(-1);
    Click(dialog_->BtTop());
    EXPECT_EQ(boxes_.Last().Text, QStringLiteral("Select the analyte to move"));
    Select(2);
    Click(dialog_->BtTop());
    EXPECT_EQ(names(), QStringLiteral("abCD"));
    Click(dialog_->SpeedButton1()); // Up on the first line does nothing
    Click(dialog_->SpeedButton2());
    Click(dialog_->BtBottom());
    EXPECT_EQ(names(), QStringLiteral("bCDa"));
    EXPECT_EQ(dialog_->LBox()->currentRow(), 3);

    // A drop below the last line moves the dragged line to the end.
    Select(0);
    DropOnto(dialog_->LBox()->viewport(), QPoint(5, dialog_->LBox()->viewport()->height() - 2));
    EXPECT_EQ(names(), QStringLiteral("CDab"));
    dialog_->DropOn(0); // onto a line above: it takes that line's place
    EXPECT_EQ(names(), QStringLiteral("bCDa"));

    Click(dialog_->BtSort());
    EXPECT_EQ(names(), QStringLiteral("abCD"));
    Click(dialog_->BtOK());
    EXPECT_EQ(Analytes[0].Name.str() + Analytes[3].Name.str(), "aD");
}

TEST_F(DefAnalytes, OKAppliesDefinitionsAndRecomputesChangedLimits) {
    TAnalyte& glu = AddAnalyte("Glucose", 1, {5.f}, 3);
    glu.MaterialId = {4, 7, 8};
    Open();
    Select(0);
    Fill(dialog_->EditNom(), QStringLiteral("Glu"));
    dialog_->SELevels()->setValue(2);
    dialog_->CBUnite()->setEditText(QStringLiteral("µmol/L"));
    dialog_->SEDecim()->setValue(3);
    dialog_->CBCommonCV()->setChecked(true);
    Click(dialog_->BtCorriger());
    EXPECT_EQ(glu.MaterialId[1], -1); // a level added gets no material at once
    Type(QStringLiteral("Urea"), 2);
    Click(dialog_->BtAjouter());
    Click(dialog_->BtOK());

    ASSERT_EQ(Analytes.Count(), 2);
    EXPECT_EQ(&Analytes[0], &glu);
    EXPECT_EQ(glu.Name.str(), "Glu");
    EXPECT_EQ(glu.UnitName.str(), "\xB5mol/L");
    EXPECT_EQ(glu.Decimals, 3);
    EXPECT_EQ(glu.LevelCount, 2);
    EXPECT_TRUE(glu.HasOption(aoCommonCV));
    EXPECT_EQ(glu.Current[0].Status, qsNoValue); // three equal values: the level's limits follow at once
    EXPECT_EQ(Analytes[1].Name.str(), "Urea");
    EXPECT_EQ(Analytes[1].LevelCount, 2);
}

// After Replace or Add the line stays selected and the fields are reset: a click on that line must
// load it again, or the next Replace writes the reset fields over the analyte.
TEST_F(DefAnalytes, EveryClickLoadsItsLineEvenTheSelectedOne) {
    AddAnalyte("Calcium", 2);
    Open();
    ClickLine(dialog_->LBox(), 0);
    Fill(dialog_->EditNom(), QStringLiteral("Calcium total"));
    Click(dialog_->BtCorriger());
    ASSERT_EQ(dialog_->LBox()->SelectedRow(), 0);
    ClickLine(dialog_->LBox(), 0);
    EXPECT_EQ(dialog_->EditNom()->text(), QStringLiteral("Calcium total"));
    EXPECT_EQ(dialog_->SELevels()->value(), 2);
    EXPECT_EQ(dialog_->CBUnite()->currentText(), QStringLiteral("g/L"));
    EXPECT_EQ(dialog_->SEDecim()->value(), 1);

    Type(QStringLiteral("Iron"), 1);
    Click(dialog_->BtAjouter());
    ASSERT_EQ(dialog_->LBox()->SelectedRow(), 1);
    ClickLine(dialog_->LBox(), 1);
    EXPECT_EQ(dialog_->EditNom()->text(), QStringLiteral("Iron"));
    EXPECT_EQ(dialog_->SELevels()->value(), 1);
}

// ---- Control materials ----

class DefSerum : public RefData {
protected:
    void Open() {
        dialog_ = std::make_unique<TWinDefSerum>();
        test::ShowActive(dialog_.get());
    }
    void SelectLine(const QString& text) {
        const auto found = dialog_->LBSerum()->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        dialog_->LBSerum()->setCurrentItem(found[0]);
    }
    void Type(const QString& name, const QString& lot) {
        Fill(dialog_->EditNom(), name);
        Fill(dialog_->EditLot(), lot);
    }
    std::unique_ptr<TWinDefSerum> dialog_;
};

TEST_F(DefSerum, EveryClickLoadsItsLineEvenTheSelectedOne) {
    Materials.AddMaterial("Lypho", "A1");
    Open();
    ClickLine(dialog_->LBSerum(), 0);
    Type(QStringLiteral("Lyphochek"), QStringLiteral("A1"));
    Click(dialog_->BtReplace());
    const int row = dialog_->LBSerum()->SelectedRow();
    ASSERT_GE(row, 0);
    ClickLine(dialog_->LBSerum(), row);
    EXPECT_EQ(dialog_->EditNom()->text(), QStringLiteral("Lyphochek"));
    EXPECT_EQ(dialog_->EditLot()->text(), QStringLiteral("A1"));
}

TEST_F(DefSerum, RefusalsShowTheirMessageAndChangeNothing) {
    const std::int32_t used = Materials.AddMaterial("Lypho", "A1").Id;
    Materials.AddMaterial("Spare", "S1");
    AddAnalyte("Glucose", 1).MaterialId[0] = used;
    AddAnalyte("Urea", 1).MaterialId[0] = used;
    Open();
    EXPECT_EQ(dialog_->windowTitle(), QStringLiteral("Definition of control materials"));
    const QStringList before = Lines(dialog_->LBSerum());

    Type(QStringLiteral("LYPHO"), QStringLiteral("a1"));
    Click(dialog_->BtAjouter());
    EXPECT_EQ(boxes_.Last().Text, QStringLiteral("Duplicates"));
    SelectLine(QStringLiteral("Lypho\tA1"));
    Type(QStringLiteral("Lypho"), QStringLiteral("A1"));
    Click(dialog_->BtReplace());
    EXPECT_EQ(boxes_.Last().Text, QStringLiteral("Duplicates"));
    Click(dialog_->BtSupprimer());
    EXPECT_EQ(boxes_.Last().Text,
              QStringLiteral("Impossible to delete Lypho (A1).\rThis control material is used by : \r- Glucose\r- Urea"));
    Click(dialog_->BtUsedIn());
    EXPECT_EQ(boxes_.Last().Text, QStringLiteral("Analytes controled by Lypho (A1) : \r   - Glucose\r   - Urea"));
    SelectLine(QStringLiteral("Spare\tS1"));
    Type(QStringLiteral("Spare"), QStringLiteral("S2"));
    Click(dialog_->BtErase());
    EXPECT_EQ(boxes_.Last().Type, TMsgType::Warning);
    EXPECT_EQ(boxes_.Last().Text, QStringLiteral("The old control material Spare (S1) is not used for any analyte.\rNo "
                                                 "data to erase. Press the button <Replace in list>."));
    EXPECT_EQ(Lines(dialog_->LBSerum()), before);

    Type(QStringLiteral(" "), QString());
    Click(dialog_->BtAjouter());
    EXPECT_EQ(boxes_.Last().Text, QStringLiteral("Missing name"));
    dialog_->LBSerum()->setCurrentRow(-1);
    for (QPushButton* b : {dialog_->BtReplace(), dialog_->BtErase(), dialog_->BtSupprimer(), dialog_->BtUsedIn()})
        Click(b);
    EXPECT_EQ(Texts().mid(Texts().size() - 4),
              (QStringList{QStringLiteral("Select the line to replace"), QStringLiteral("Select the line to replace"),
                           QStringLiteral("Select the control material to delete"),
                           QStringLiteral("Select one control material")}));
    EXPECT_EQ(Lines(dialog_->LBSerum()), before);

    // The same name with another lot is a new material; its erase changes nothing.
    Type(QStringLiteral("Lypho"), QStringLiteral("A2"));
    Click(dialog_->BtAjouter());
    Type(QStringLiteral("Lypho"), QStringLiteral("A3"));
    const int messages = static_cast<int>(boxes_.Recorded().size());
    Click(dialog_->BtErase());
    EXPECT_EQ(static_cast<int>(boxes_.Recorded().size()), messages);
    EXPECT_EQ(Lines(dialog_->LBSerum()),
              (QStringList{QStringLiteral("Lypho\tA1"), QStringLiteral("Lypho\tA2"), QStringLiteral("Spare\tS1")}));
}

TEST_F(DefSerum, LotChangeArchivesExactlyTheLevelsMeasuredOnIt) {
    const std::int32_t old = Materials.AddMaterial("Lypho", "A1").Id;
    const std::int32_t other = Materials.AddMaterial("Other", "O1").Id;
    TAnalyte& glu = AddAnalyte("Glucose", 3, {1.f, 2.f, std::nullopt}, 4);
    glu.MaterialId = {old, other, old}; // level 3 holds nothing: no archive
    TAnalyte& urea = AddAnalyte("Urea", 1, {7.f}, 2);
    urea.MaterialId[0] = old;
    AddAnalyte("Iron", 1, {9.f}, 2).MaterialId[0] = other;
    Open();

    SelectLine(QStringLiteral("Lypho\tA1"));
    Type(QStringLiteral("Lypho"), QStringLiteral("B2"));
    Click(dialog_->BtErase());
    EXPECT_EQ(Materials.FindById(old).ChangeFlag, 1);
    boxes_.Answer(TMsgButton::Cancel); // first time: the old lot and every series stay
    Click(dialog_->BtOK());
    EXPECT_EQ(boxes_.Last().Text,
              QStringLiteral("Delete and archive the results of Lypho (A1) for the analyte(s) :\r - Glucose\r - Urea"));
    EXPECT_EQ(Materials.FindById(old).Lot.str(), "A1");
    EXPECT_EQ(Materials.FindById(old).ChangeFlag, 0);
    EXPECT_EQ(ArchiveFiles(), 0);

    // An archive that cannot be numbered stops the change: old lot, every series in place.
    const std::string stray = ProgramDir + "QCabcdef.qca";
    std::ofstream(stray) << "";
    Open();
    SelectLine(QStringLiteral("Lypho\tA1"));
    Type(QStringLiteral("Lypho"), QStringLiteral("B2"));
    Click(dialog_->BtErase());
    Click(dialog_->BtOK());
    EXPECT_EQ(boxes_.Last().Text, QStringLiteral("'abcdef' is not a valid integer value"));
    EXPECT_EQ(Materials.FindById(old).Lot.str(), "A1");
    EXPECT_EQ(urea.Count(), 2);
    std::filesystem::remove(stray);

    Open();
    SelectLine(QStringLiteral("Lypho\tA1"));
    Type(QStringLiteral("Lypho"), QStringLiteral("B2"));
    Click(dialog_->BtErase());
    Click(dialog_->BtOK());
    EXPECT_EQ(Materials.FindById(old).Lot.str(), "B2");
    EXPECT_EQ(ArchiveFiles(), 2);
    EXPECT_EQ(glu.Archives.size(), 1u);
    EXPECT_EQ(urea.Count(), 0);
    EXPECT_EQ(glu.Count(), 4); // level 2 goes on
    EXPECT_EQ(glu.FirstPointWithLevel(0), -1);
    EXPECT_EQ(Analytes[2].Count(), 2);
    const auto archive = ReadArchive(glu.Archives[0]); // the old lot heads the closed series
    ASSERT_TRUE(archive);
    EXPECT_EQ(archive->Material + " " + archive->Lot, "Lypho A1");
}

TEST_F(DefSerum, DeleteUndoAndOKKeepTheMaterialAndAPlainChangeKeepsTheSeries) {
    const std::int32_t id = Materials.AddMaterial("Lypho", "A1").Id;
    Materials.AddMaterial("Zeta", "Z1");
    TAnalyte& glu = AddAnalyte("Glucose", 1, {1.f}, 2);
    glu.MaterialId[0] = id;
    Open();
    SelectLine(QStringLiteral("Zeta\tZ1"));
    Click(dialog_->BtSupprimer());
    EXPECT_EQ(boxes_.Last().Text, QStringLiteral("Delete the control material Zeta (Z1)."));
    EXPECT_EQ(dialog_->LBSerum()->count(), 1);
    Click(dialog_->BtDefaire());
    SelectLine(QStringLiteral("Lypho\tA1"));
    Type(QStringLiteral("Alpha"), QStringLiteral("A1"));
    Click(dialog_->BtReplace());
    Type(QStringLiteral("New"), QString());
    Click(dialog_->BtAjouter());
    Click(dialog_->BtOK());
    ASSERT_EQ(Materials.Count(), 3);
    // Kept in the order of name and lot, ids unchanged.
    EXPECT_EQ(Materials[0].Id, id);
    EXPECT_EQ(Materials[0].Name.str(), "Alpha");
    EXPECT_EQ(Materials[1].Name.str(), "New");
    EXPECT_EQ(Materials[2].Name.str(), "Zeta");
    EXPECT_EQ(glu.Count(), 2);
    EXPECT_EQ(ArchiveFiles(), 0);
}

// ---- Assignment of materials ----

class SerumByAnal : public RefData {
protected:
    void Open(TAnalyte& analyte) {
        dialog_ = std::make_unique<TWinSerumByAnal>();
        dialog_->Prepare(analyte);
        test::ShowActive(dialog_.get());
    }
    void SelectLine(const QString& text) {
        dialog_->LBSerum()->setCurrentItem(dialog_->LBSerum()->findItems(text, Qt::MatchExactly).value(0));
    }
    std::unique_ptr<TWinSerumByAnal> dialog_;
};

TEST_F(SerumByAnal, AssignByArrowDropAndAltDigitColoursChangedLevels) {
    const std::int32_t a = Materials.AddMaterial("Alpha", "1").Id;
    const std::int32_t b = Materials.AddMaterial("Beta", "2").Id;
    TAnalyte& glu = AddAnalyte("Glucose", 2);
    glu.MaterialId = {a, 99, -1};
    Open(glu);
    EXPECT_EQ(dialog_->Panel9()->text(), QStringLiteral("QC materials for Glucose"));
    EXPECT_FALSE(dialog_->Arrow(2)->isVisible());
    EXPECT_EQ(dialog_->LevelPanel(1)->MaterialName(), QStringLiteral("Unknown"));

    Click(dialog_->Arrow(0));
    EXPECT_EQ(boxes_.Last().Text, QStringLiteral("No control material selected"));
    SelectLine(QStringLiteral("Beta\t2"));
    QTest::mouseClick(dialog_->Arrow(0), Qt::LeftButton, {}, QPoint(1, 1)); // a corner is not the arrow
    EXPECT_EQ(dialog_->WorkingAssignment()[0], a);
    Click(dialog_->Arrow(0));
    EXPECT_EQ(dialog_->WorkingAssignment()[0], b);
    EXPECT_TRUE(dialog_->LevelPanel(0)->Changed());
    EXPECT_EQ(dialog_->LevelPanel(0)->MaterialLot(), QStringLiteral("2"));

    DropOnto(dialog_->LevelPanel(1), QPoint(5, 5));
    EXPECT_EQ(dialog_->WorkingAssignment()[1], b);
    QTest::keyClick(dialog_.get(), Qt::Key_3, Qt::AltModifier); // a hidden level takes nothing
    SelectLine(QStringLiteral("Alpha\t1"));
    QTest::keyClick(dialog_.get(), Qt::Key_1, Qt::AltModifier); // the button shows itself pressed, then clicks
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog_->WorkingAssignment()[0] == a; }, 30000));
    EXPECT_EQ(dialog_->WorkingAssignment()[2], -1); // a click of Alt+3 would have come before
    EXPECT_FALSE(dialog_->LevelPanel(0)->Changed()); // back to its own: white again

    Click(dialog_->BtUndo());
    EXPECT_EQ(dialog_->WorkingAssignment()[1], 99);
    Click(dialog_->BitBtn1());
    EXPECT_EQ(boxes_.Last().Text, QStringLiteral("Nothing Changed"));
    EXPECT_EQ(dialog_->result(), QDialog::Accepted);
}

TEST_F(SerumByAnal, EraseArchivesOnlyChangedLevelsThatHoldData) {
    const std::int32_t a = Materials.AddMaterial("Alpha", "1").Id;
    const std::int32_t b = Materials.AddMaterial("Beta", "2").Id;
    TAnalyte& glu = AddAnalyte("Glucose", 3, {1.f, 2.f, std::nullopt}, 3);
    glu.MaterialId = {a, a, a};
    Open(glu);
    Click(dialog_->BtErase());
    EXPECT_EQ(boxes_.Last().Text, QStringLiteral("Nothing Changed"));
    EXPECT_TRUE(dialog_->isVisible());

    SelectLine(QStringLiteral("Beta\t2"));
    Click(dialog_->Arrow(0));
    Click(dialog_->Arrow(2));
    boxes_.Answer(TMsgButton::Cancel);
    Click(dialog_->BtErase());
    EXPECT_EQ(boxes_.Last().Text,
              QStringLiteral("Delete and archive Glucose QC data for control material(s) : \r  - Alpha (1)\r  - Alpha (1)"));
    EXPECT_EQ(dialog_->result(), QDialog::Accepted);
    EXPECT_EQ(glu.MaterialId[0], a);

    Open(glu);
    SelectLine(QStringLiteral("Beta\t2"));
    Click(dialog_->Arrow(0));
    Click(dialog_->Arrow(2));
    Click(dialog_->BtErase());
    EXPECT_EQ(glu.MaterialId, (std::array<std::int32_t, 3>{b, a, b}));
    EXPECT_EQ(ArchiveFiles(), 1); // level 3 had no point
    EXPECT_EQ(glu.FirstPointWithLevel(0), -1);
    EXPECT_EQ(glu.FirstPointWithLevel(1), 0);
}

TEST(ArrowButton, OutlineCaptionAndHitRegionFollowTheDirection) {
    EXPECT_EQ(ArrowPolygon(btnRIGHT, 60, 40),
              QPolygon({{27, 3}, {57, 20}, {27, 37}, {27, 30}, {3, 30}, {3, 10}, {27, 10}}));
    EXPECT_EQ(ArrowPolygon(btnUP, 80, 45).first(), QPoint(40, 3));
    EXPECT_EQ(ArrowPolygon(btnDOWN, 80, 45)[3], QPoint(40, 42));
    EXPECT_EQ(ArrowPolygon(btnLEFT, 80, 45)[4], QPoint(3, 23));
    EXPECT_EQ(ArrowCaptionOrigin(btnRIGHT, 60, 40, QSize(30, 14)), QPoint(10, 11));
    EXPECT_EQ(ArrowCaptionOrigin(btnDOWN, 80, 45, QSize(30, 14)), QPoint(28, 8));

    TArrowButton arrow;
    EXPECT_EQ(arrow.size(), QSize(80, 45));
    arrow.SetDirection(btnLEFT);
    int clicks = 0;
    QObject::connect(&arrow, &TArrowButton::clicked, [&] { ++clicks; });
    arrow.show();
    QTest::mouseClick(&arrow, Qt::LeftButton, {}, QPoint(77, 3)); // outside the outline
    QTest::mouseClick(&arrow, Qt::LeftButton, {}, QPoint(40, 22));
    EXPECT_EQ(clicks, 1);
}

// ---- Commands of the main window: what an OK confirmed is on disk ----

class RefDataCommands : public RefData {
protected:
    void SetUp() override {
        RefData::SetUp();
        window_ = std::make_unique<TWinMain>();
    }
    void TearDown() override {
        window_.reset();
        RefData::TearDown();
    }
    bool DataFileHas(const char* text) const {
        std::ifstream in(BasePath + ".qcf", std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        return bytes.find(text) != std::string::npos;
    }
    // The Analytes command with a new analyte typed in and OK.
    void AddAnalyteByCommand(const QString& name) {
        test::WhenModalOpens([name](QWidget* modal) {
            auto* d = qobject_cast<TWinDefAnalytes*>(modal);
            d->EditNom()->setText(name);
            Click(d->BtAjouter());
            Click(d->BtOK());
        });
        RunCommand([&] { window_->AnalytesClick(); });
    }
    std::unique_ptr<TWinMain> window_;
};

TEST_F(RefDataCommands, EachOKWritesTheDataFileAtOnce) {
    EXPECT_EQ(window_->MnuAnalytes()->text(), QStringLiteral("&Analytes"));
    EXPECT_EQ(window_->BtAffectation()->toolTip(), QStringLiteral("Change QC material or lot number"));
    RunCommand([&] { window_->AssignLotsClick(); });
    EXPECT_EQ(boxes_.Last().Text, QStringLiteral("No analyte."));

    AddAnalyteByCommand(QStringLiteral("Calcium"));
    EXPECT_TRUE(DataFileHas("Calcium"));
    EXPECT_EQ(window_->LBAnalytes()->count(), 1);

    test::WhenModalOpens([](QWidget* modal) {
        auto* d = qobject_cast<TWinDefSerum*>(modal);
        d->EditNom()->setText(QStringLiteral("Lyphochek"));
        Click(d->BtAjouter());
        Click(d->BtOK());
    });
    RunCommand([&] { window_->ControlMaterialsClick(); });
    EXPECT_TRUE(DataFileHas("Lyphochek"));

    test::WhenModalOpens([](QWidget* modal) {
        auto* d = qobject_cast<TWinSerumByAnal*>(modal);
        d->LBSerum()->setCurrentRow(0);
        Click(d->Arrow(0));
        Click(d->BitBtn1());
    });
    RunCommand([&] { window_->AssignLotsClick(); });
    EXPECT_EQ(Analytes[0].MaterialId[0], Materials[0].Id);
    TListSerum materials;
    TListAnalytes analytes;
    std::ifstream in(BasePath + ".qcf", std::ios::binary);
    DecodeDataFile(std::string{std::istreambuf_iterator<char>(in), {}}, materials, analytes);
    EXPECT_EQ(analytes[0].MaterialId[0], materials[0].Id);

    // A failed write says so and keeps the change for the exit save.
    std::filesystem::remove(BasePath + ".qcf");
    std::filesystem::create_directory(BasePath + ".qcf");
    AddAnalyteByCommand(QStringLiteral("Iron"));
    EXPECT_EQ(boxes_.Last().Text, QStringLiteral("Cannot save data"));
    EXPECT_EQ(Analytes.Count(), 2);
}

TEST_F(RefDataCommands, DeletingTheCurrentAnalyteLeavesTheFirstOneCurrent) {
    AddAnalyte("Glucose", 1);
    AddAnalyte("Urea", 1);
    window_->RebuildAnalyteList();
    window_->LBAnalytes()->setCurrentRow(0);
    test::WhenModalOpens([](QWidget* modal) {
        auto* d = qobject_cast<TWinDefAnalytes*>(modal);
        d->LBox()->setCurrentRow(0);
        Click(d->BtSupprimer());
        Click(d->BtOK());
    });
    RunCommand([&] { window_->AnalytesClick(); });
    ASSERT_EQ(window_->CurrentAnalyte(), &Analytes[0]);
    EXPECT_EQ(window_->PanelNomAnal()->text(), QStringLiteral("Urea"));
}

} // namespace
} // namespace tervanix
