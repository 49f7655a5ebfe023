// A laboratory's day through the real windows: a run typed and validated, the queue recalled,
// limits locked, runs deleted, reference data edited, a text imported, the first start. Each
// scenario checks the program's lists, the data and queue files, and the lists after a restart.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QJsonArray>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cerrno>
#include <cstring>
#include <deque>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

#include "dialogs/UShowData.h"
#include "gui/GuiHarness.h"
#include "intake/UQueueSaver.h"
#include "main/UAuditNotes.h"
#include "main/UMain.h"
#include "main/UValidCQ.h"
#include "model/UAuditTrail.h"
#include "model/UClock.h"
#include "model/UDataLoadSave.h"
#include "model/UFileStore.h"
#include "model/UGlobals.h"
#include "support/AnalyteBuilders.h"
#include "support/AuditReading.h"
#include "support/SmallDisks.h"

namespace tervanix {
namespace {

using test::Audited;
using test::AuditFile;
using test::Click;
using test::Detail;
using test::MakeRun;
using test::TypeText;

using TScript = std::function<void(QWidget* modal)>;
using TCheck = std::function<void(const TListSerum& materials, const TListAnalytes& analytes)>;

// The modal windows of one command, answered in turn by their scripts.
struct TAnswers {
    std::deque<TScript> Scripts;
    bool Done() const { return Scripts.empty(); }
};

void AnswerNext(const std::shared_ptr<TAnswers>& answers) {
    if (answers->Done()) return;
    test::WhenModalOpens([answers](QWidget* modal) {
        const TScript script = std::move(answers->Scripts.front());
        answers->Scripts.pop_front();
        script(modal);
        // A script stopped by a failed assertion must not leave the test waiting on its window.
        if (testing::Test::HasFatalFailure() && modal->isVisible()) modal->close();
        AnswerNext(answers); // the next window is looked for once this one is answered
    });
}

// Presses the button of that name in the window, as a screen reader's user would.
void PressIn(QWidget* window, const char* name) {
    auto* button = window->findChild<QAbstractButton*>(QString::fromLatin1(name));
    ASSERT_NE(button, nullptr) << name;
    Click(button);
}

// Clears the field of that name and types the text.
void FillIn(QWidget* window, const char* name, const QString& text) {
    auto* field = window->findChild<QLineEdit*>(QString::fromLatin1(name));
    ASSERT_NE(field, nullptr) << name;
    field->clear();
    TypeText(field, text);
}

// Makes the line of that text current in the list of that name.
void SelectIn(QWidget* window, const char* list, const QString& line) {
    auto* lines = window->findChild<QListWidget*>(QString::fromLatin1(list));
    ASSERT_NE(lines, nullptr) << list;
    const auto found = lines->findItems(line, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << line.toStdString();
    lines->setCurrentItem(found[0]);
}

class Scenario : public testing::Test {
protected:
    static constexpr int Day = 45366; // 2024-03-15
    static constexpr int Runs = 20;

    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        savedSettings_ = Settings;
        savedProgramDir_ = ProgramDir;
        SetProgramDir(folder_.path().toStdString());
        SetClock([] { return TDateTime(Day) + 10.5 / 24; });
        Settings = DefaultSettings();
        Settings.LastBackup = Day;
        Settings.ShowAboutAtStart = 0;
        ClearLists();
    }

    void TearDown() override {
        // Whatever the scenario did, the audit trail it left is one unbroken chain.
        const std::optional<TAuditCheck> check = VerifyAuditFile(AuditFile());
        EXPECT_TRUE(check && check->Intact()) << (check ? check->FirstBroken : -1);
        window_.reset();
        saver_.reset();
        ClearLists();
        FirstRun = false;
        Settings = savedSettings_;
        SetProgramDir(savedProgramDir_);
        SetClock(nullptr);
    }

    static void ClearLists() {
        Analytes.FreeAll();
        Materials.Clear();
        Queue.Clear();
    }

    // The folder of a laboratory that has run Glucose on three materials for 20 days, in control.
    void WriteGlucoseFolder(const std::vector<TResu>& queued = {}) {
        TAnalyte& a = Analytes.Add(std::make_unique<TAnalyte>("Glucose", "mmol/L", 2, 3, false));
        for (int level = 0; level < 3; ++level)
            a.MaterialId[static_cast<std::size_t>(level)] =
                Materials.AddMaterial("Lyphocheck " + std::to_string(level + 1), std::to_string(level + 1)).Id;
        const float spread[] = {5.0f, 5.3f, 4.8f, 5.1f, 4.9f, 5.4f, 5.2f, 4.7f, 5.0f, 5.1f};
        for (int i = 0; i < Runs; ++i) {
            const float v = spread[i % 10];
            a.AddPoint(MakeRun(Day - Runs + i, {v, 2 * v, 3 * v}));
        }
        a.RecomputeAll();
        SaveDataFile(DataFile());
        for (const TResu& run : queued) Queue.Push(run);
        Queue.Save(QueueFile());
        ClearLists();
    }

    // As the program starts: the queue and data files read (the demonstration data on a first
    // start without one), the main window shown, the queue file kept in step with the window.
    void Start() {
        ClearLists();
        Laboratory().LoadQueue();
        Laboratory().LoadData();
        saver_ = std::make_unique<TQueueSaver>(QueueFile());
        window_ = std::make_unique<TWinMain>();
        QObject::connect(&Laboratory(), &TLaboratory::QueueChanged, saver_.get(), &TQueueSaver::QueueChanged);
        test::ShowActive(window_.get());
    }

    // The program objects end without the exit save, as at a power cut: only what is on disk
    // comes back.
    void Restart() {
        window_.reset();
        saver_.reset();
        Start();
    }

    std::string DataFile() const { return BasePath + ".qcf"; }
    std::string SettingsFile() const { return BasePath + ".cfr"; }
    // The files of the folder whose names begin with `prefix`.
    QStringList FilesLike(const QString& prefix) const {
        return QDir(QString::fromStdString(ProgramDir)).entryList({prefix + u'*'}, QDir::Files);
    }
    std::string QueueFile() const { return BasePath + ".fif"; }
    // The control of that name in the main window (or in `in`); a missing one fails the test.
    template <typename T>
    T* Find(const char* name, QWidget* in = nullptr) const {
        T* found = (in ? in : window_.get())->findChild<T*>(QString::fromLatin1(name));
        if (!found) throw std::runtime_error(std::string("no control named ") + name);
        return found;
    }

    // Runs the command (a click, a menu item), answers its modal windows in turn, and returns
    // once the command has run to its end.
    void Operate(const std::function<void()>& command, std::deque<TScript> scripts = {}) {
        auto answers = std::make_shared<TAnswers>(TAnswers{std::move(scripts)});
        AnswerNext(answers);
        auto ended = std::make_shared<bool>(false);
        command();
        QTimer::singleShot(0, [ended] { *ended = true; }); // after the command posted by the click
        ASSERT_TRUE(QTest::qWaitFor([&] { return *ended && answers->Done() && !QApplication::activeModalWidget(); }, 10000));
    }
    void Press(const char* button, std::deque<TScript> scripts = {}) {
        Operate([&] { PressIn(window_.get(), button); }, std::move(scripts));
    }
    void Menu(const char* item, std::deque<TScript> scripts) {
        Operate([&] { Find<QAction>(item)->trigger(); }, std::move(scripts));
    }

    // The queue file as the next start reads it.
    int QueuedInFile() const {
        TFifo onDisk;
        onDisk.Load(QueueFile());
        return onDisk.Count();
    }
    // The queue file is written shortly after a change: waits for it to hold `count` runs.
    void ExpectQueueFileHolds(int count) const {
        EXPECT_TRUE(QTest::qWaitFor([&] { return QueuedInFile() == count; }, 10000)) << QueuedInFile();
    }

    // The check on the program's lists, on the data file, and on the lists after a restart.
    void ExpectEverywhere(const TCheck& check) {
        {
            SCOPED_TRACE("in memory");
            check(Materials, Analytes);
        }
        {
            SCOPED_TRACE("in the data file");
            const auto bytes = ReadWholeFile(DataFile());
            ASSERT_TRUE(bytes);
            TListSerum materials;
            TListAnalytes analytes;
            DecodeDataFile(*bytes, materials, analytes);
            check(materials, analytes);
        }
        Restart();
        SCOPED_TRACE("after a restart");
        check(Materials, Analytes);
    }

    // Every level's statistics and limits are those its series gives now.
    static void ExpectStatisticsUpToDate(const TListAnalytes& analytes) {
        for (int i = 0; i < analytes.Count(); ++i) {
            const TAnalyte& a = analytes[i];
            const auto fresh = a.Clone();
            fresh->RecomputeAll();
            for (int l = 0; l < a.LevelCount; ++l) {
                SCOPED_TRACE(a.Name.str() + " QC" + std::to_string(l + 1));
                EXPECT_EQ(a.AllPoints[l].N, fresh->AllPoints[l].N);
                EXPECT_EQ(a.AllPoints[l].Mean, fresh->AllPoints[l].Mean);
                EXPECT_EQ(a.Current[l].N, fresh->Current[l].N);
                EXPECT_EQ(a.Current[l].Mean, fresh->Current[l].Mean);
                EXPECT_EQ(a.Current[l].ActionHalfWidth, fresh->Current[l].ActionHalfWidth);
            }
        }
    }

    // Types a run on the Enter page and presses its OK; the validation dialog gets the script.
    void EnterRun(const QStringList& levels, const TScript& validation) {
        for (int level = 0; level < levels.size(); ++level)
            TypeText(Find<QLineEdit>(qPrintable(QStringLiteral("EditLevel%1").arg(level + 1))), levels[level]);
        TypeText(Find<QLineEdit>("EditComment"), QStringLiteral("Lamp changed"));
        Press("BtOKEnter", {validation});
    }

    QTemporaryDir folder_;
    TSettings savedSettings_;
    std::string savedProgramDir_;
    test::TScriptedMessages messages_; // every box answered OK
    test::TLocaleScope locale_{'.'};
    std::unique_ptr<TQueueSaver> saver_;
    std::unique_ptr<TWinMain> window_;
};

// The validation dialog's buttons, found as a screen reader finds them.
TScript Validate(std::vector<const char*> buttons) {
    return [buttons](QWidget* modal) {
        ASSERT_NE(qobject_cast<TWinValidCQ*>(modal), nullptr);
        for (const char* name : buttons) PressIn(modal, name);
    };
}

TEST_F(Scenario, ARunRejectedOnLevel2IsStoredDiscardedThereAndLeavesItsLimits) {
    WriteGlucoseFolder();
    Start();
    EnterRun({QStringLiteral("5.0"), QStringLiteral("30"), QStringLiteral("15.0")}, [](QWidget* modal) {
        auto* reject = modal->findChild<QPushButton*>(QStringLiteral("BtReject2"));
        ASSERT_NE(reject, nullptr);
        EXPECT_EQ(reject->text(), QStringLiteral("Reject QC&2"));
        Click(reject);
        EXPECT_EQ(reject->text(), QStringLiteral("Retrieve QC&2"));
        Validate({"BtOK"})(modal);
    });
    EXPECT_TRUE(Find<QLineEdit>("EditLevel2")->text().isEmpty()); // ready for the next run
    EXPECT_EQ(QueuedInFile(), 0);
    const TAuditEntry stored = Audited("run.stored");
    EXPECT_EQ(stored.Analyte, "Glucose");
    EXPECT_EQ(stored.Source, "program");
    EXPECT_EQ(Detail(stored, "statuses").toArray(),
              (QJsonArray{QStringLiteral("in control"), QStringLiteral("discarded"), QStringLiteral("in control")}));
    EXPECT_EQ(Detail(stored, "values").toArray().at(1).toDouble(), 30.0);
    EXPECT_EQ(Detail(stored, "comment").toString(), QStringLiteral("Lamp changed"));
    EXPECT_EQ(Detail(stored, "date_time").toString(), QStringLiteral("2024-03-15T10:30:00"));
    EXPECT_TRUE(Detail(stored, "westgard").isArray());
    ExpectEverywhere([](const TListSerum&, const TListAnalytes& analytes) {
        const TAnalyte& a = analytes[0];
        ASSERT_EQ(a.Count(), Runs + 1);
        const TQCPoint& stored = a.Point(Runs);
        EXPECT_EQ(stored.Levels[0].Status, qsInControl);
        EXPECT_EQ(stored.Levels[1].Status, qsDiscarded);
        EXPECT_EQ(stored.Levels[1].Value, 30.0f);
        EXPECT_EQ(a.CommentText(stored.CommentId), "Lamp changed");
        EXPECT_EQ(a.AllPoints[0].N, Runs + 1);
        EXPECT_EQ(a.AllPoints[1].N, Runs);
        EXPECT_EQ(a.Current[1].N, Runs);
        ExpectStatisticsUpToDate(analytes);
    });
}

// Without a mouse: Return in any field of the Enter page submits the run as OK does, and Tab
// from the comment reaches OK.
TEST_F(Scenario, ReturnInAFieldOfTheEnterPageSubmitsTheRun) {
    WriteGlucoseFolder();
    Start();
    const std::pair<const char*, std::function<QWidget*()>> fields[] = {
        {"level 1", [this] { return Find<QLineEdit>("EditLevel1"); }},
        {"comment", [this] { return Find<QLineEdit>("EditComment"); }},
        {"operator", [this] { return Find<QComboBox>("CBOperator")->lineEdit(); }},
        {"date", [this] { return Find<QWidget>("DatePicker"); }},
    };
    int stored = Runs;
    for (const auto& [name, field] : fields) {
        SCOPED_TRACE(name);
        TypeText(Find<QLineEdit>("EditLevel1"), QStringLiteral("5.0"));
        field()->setFocus();
        Operate([&] { QTest::keyClick(field(), Qt::Key_Return); }, {Validate({"BtOK"})});
        EXPECT_EQ(Analytes[0].Count(), ++stored);
    }
    Find<QLineEdit>("EditComment")->setFocus();
    QTest::keyClick(Find<QLineEdit>("EditComment"), Qt::Key_Tab);
    EXPECT_EQ(window_->focusWidget(), Find<QPushButton>("BtOKEnter"));
}

TEST_F(Scenario, ARunCancelledAtValidationWaitsInTheQueueFile) {
    WriteGlucoseFolder();
    Start();
    EnterRun({QStringLiteral("5.0"), QStringLiteral("30"), QStringLiteral("15.0")}, Validate({"BtCancel"}));
    EXPECT_EQ(Find<QToolButton>("BtFifo")->text(), QStringLiteral("&Queue : 1"));
    EXPECT_TRUE(Find<QTimer>("TimerBtFifo")->isActive()); // the queue button blinks
    ExpectQueueFileHolds(1);
    EXPECT_EQ(Detail(Audited("run.queued"), "values").toArray().at(1).toDouble(), 30.0);
    ExpectEverywhere([](const TListSerum&, const TListAnalytes& analytes) { EXPECT_EQ(analytes[0].Count(), Runs); });
    ASSERT_EQ(Queue.Count(), 1);
    EXPECT_EQ(Queue.Entries().front().AnalyteName, "Glucose");
    EXPECT_EQ(Queue.Entries().front().Levels[1].Value, 30.0f);
}

TEST_F(Scenario, ARecalledRunLeavesTheQueueFileForTheSeries) {
    std::vector<TResu> queued;
    for (float v : {5.1f, 5.2f}) {
        queued.push_back(MakeRun(Day, {v, 2 * v, 3 * v}));
        queued.back().AnalyteName = "Glucose";
        queued.back().StandaloneFlag = 1; // a whole run, as a client sends it
    }
    WriteGlucoseFolder(queued);
    Start();
    EXPECT_EQ(Find<QToolButton>("BtFifo")->text(), QStringLiteral("&Queue : 2"));
    Press("BtFifo", {Validate({"BtOK"})});
    ExpectQueueFileHolds(1);
    ExpectEverywhere([](const TListSerum&, const TListAnalytes& analytes) {
        ASSERT_EQ(analytes[0].Count(), Runs + 1);
        EXPECT_EQ(analytes[0].Point(Runs).Levels[0].Value, 5.1f); // the head of the queue
        ExpectStatisticsUpToDate(analytes);
    });
    EXPECT_EQ(Queue.Count(), 1);
    EXPECT_EQ(Find<QToolButton>("BtFifo")->text(), QStringLiteral("&Queue : 1"));
}

// The period to lock is chosen without a mouse: Tab brings the focus to the charts.
TEST_F(Scenario, TabReachesTheChartsOnTheLockPage) {
    WriteGlucoseFolder();
    Start();
    Menu("MnuLockLimits", {});
    QWidget* chart = Find<QWidget>("PBox");
    bool reached = false;
    for (int tab = 0; tab < 40 && !reached; ++tab) {
        QTest::keyClick(window_->focusWidget() ? window_->focusWidget() : window_.get(), Qt::Key_Tab);
        reached = window_->focusWidget() == chart;
    }
    EXPECT_TRUE(reached);
}

TEST_F(Scenario, LimitsLockedOnADateRangeChosenWithTheKeyboardComeBackAfterARestart) {
    WriteGlucoseFolder();
    Start();
    Menu("MnuLockLimits", {});
    ASSERT_TRUE(Find<QWidget>("TabSheetLock")->isVisible());
    QWidget* chart = Find<QWidget>("PBox");
    QTest::keyClick(chart, Qt::Key_Left); // the newest run
    for (int i = 0; i < 5; ++i) QTest::keyClick(chart, Qt::Key_Left);
    for (int i = 0; i < 9; ++i) QTest::keyClick(chart, Qt::Key_Left, Qt::ShiftModifier);
    for (const char* box : {"GBLockedParam1", "GBLockedParam2", "GBLockedParam3"})
        Operate([&] { PressIn(Find<QWidget>(box), "BtLock"); });
    Press("BtOKLock");
    EXPECT_TRUE(Find<QWidget>("TabSheetEnter")->isVisible());
    const std::vector<TAuditEntry> lines = ReadAuditEntries(AuditFile(), {}, 3);
    ASSERT_EQ(lines.size(), 3U);
    for (const TAuditEntry& line : lines) {
        EXPECT_EQ(line.Action, "limits.locked");
        EXPECT_EQ(Detail(line, "before.mode").toString(), QStringLiteral("mobile"));
        EXPECT_EQ(Detail(line, "after.mode").toString(), QStringLiteral("locked"));
        EXPECT_EQ(Detail(line, "after.range").toArray().size(), 2);
        EXPECT_EQ(Detail(line, "after.mean").toDouble(), double(Analytes[0].Current[std::size_t(line.Level - 1)].Mean));
    }
    EXPECT_EQ(lines[0].Level + lines[1].Level + lines[2].Level, 6);
    const std::array<TLevelStats, MaxLevels> locked = Analytes[0].Current;
    ExpectEverywhere([&locked](const TListSerum&, const TListAnalytes& analytes) {
        const TAnalyte& a = analytes[0];
        for (int l = 0; l < 3; ++l) {
            SCOPED_TRACE(l);
            EXPECT_EQ(a.LimitsMode[l], lmLocked);
            EXPECT_EQ(a.LockFirst[l], 5);
            EXPECT_EQ(a.LockLast[l], 14);
            EXPECT_EQ(a.Current[l].N, 10);
            EXPECT_EQ(a.Current[l].Mean, locked[l].Mean);
            EXPECT_EQ(a.Current[l].ActionHalfWidth, locked[l].ActionHalfWidth);
        }
    });
}

TEST_F(Scenario, ARunDeletedInTheDataTableLeavesTheFileAndTheLimits) {
    WriteGlucoseFolder();
    Start();
    const TDateTime deleted = Analytes[0].Point(3).DateTime;
    Press("BtData", {[](QWidget* modal) {
              ASSERT_NE(qobject_cast<TWinShowData*>(modal), nullptr);
              auto* lines = modal->findChild<QListView*>(QStringLiteral("LB"));
              ASSERT_NE(lines, nullptr);
              lines->setCurrentIndex(lines->model()->index(3, 0));
              PressIn(modal, "BtDelete");
              PressIn(modal, "BtOK"); // the deletion confirmed in its box
          }});
    EXPECT_EQ(Detail(Audited("run.deleted"), "date_time").toString(), AuditDateTime(deleted));
    EXPECT_TRUE(Detail(Audited("run.deleted"), "date_time").toString().startsWith(QStringLiteral("2024-02-27T")));
    ExpectEverywhere([deleted](const TListSerum&, const TListAnalytes& analytes) {
        const TAnalyte& a = analytes[0];
        ASSERT_EQ(a.Count(), Runs - 1);
        for (int i = 0; i < a.Count(); ++i) EXPECT_NE(a.Point(i).DateTime, deleted);
        EXPECT_EQ(a.Current[0].N, Runs - 1);
        ExpectStatisticsUpToDate(analytes);
    });
}

// "Edit line" on the fourth run of Glucose: the run leaves the series for the Enter page.
class Correction : public Scenario {
protected:
    static constexpr int Taken = 3;
    void StartWithUrea() {
        WriteGlucoseFolder();
        LoadDataFile(DataFile());
        Analytes.Add(std::make_unique<TAnalyte>("Urea", "mmol/L", 1, 1, false));
        SaveDataFile(DataFile());
        Start();
    }
    void TakeOut() {
        Press("BtData", {[](QWidget* modal) {
                  auto* lines = modal->findChild<QListView*>(QStringLiteral("LB"));
                  ASSERT_NE(lines, nullptr);
                  lines->setCurrentIndex(lines->model()->index(Taken, 0));
                  PressIn(modal, "BtEdit"); // its confirmation answered OK
              }});
        ASSERT_EQ(Analytes[0].Count(), Runs - 1);
        EXPECT_FALSE(Find<QLineEdit>("EditLevel1")->text().isEmpty()); // ready to be corrected
    }
};

TEST_F(Correction, ARunLeftUncorrectedIsBackInItsSeriesAndFileUnchanged) {
    const std::pair<const char*, std::function<void()>> leaves[] = {
        {"another analyte", [this] { Find<QListWidget>("LBAnalytes")->setCurrentRow(1); }},
        {"Clear", [this] { Press("BtRAZEntryFields"); }},
        {"Edit line on another run", [this] { TakeOut(); }},
        {"exit", [this] { Operate([this] { window_->close(); }); }},
    };
    for (const auto& [name, leave] : leaves) {
        SCOPED_TRACE(name);
        window_.reset();
        ClearLists();
        StartWithUrea();
        const TQCPoint original = Analytes[0].Point(Taken);
        TakeOut();
        leave();
        EXPECT_TRUE(messages_.Last().Text.endsWith(
            QStringLiteral("taken out for correction is back in Glucose unchanged.")))
            << messages_.Last().Text.toStdString();
        EXPECT_EQ(messages_.Last().Type, TMsgType::Information);
        if (std::string(name) == "Edit line on another run") continue; // the second run is out now
        EXPECT_EQ(Detail(Audited("run.put_back"), "date_time"), Detail(Audited("run.taken_for_correction"), "date_time"));
        ExpectEverywhere([&original](const TListSerum&, const TListAnalytes& analytes) {
            const TAnalyte& a = analytes[0];
            ASSERT_EQ(a.Count(), Runs);
            EXPECT_EQ(a.Point(Taken).DateTime, original.DateTime);
            EXPECT_EQ(a.Point(Taken).Levels, original.Levels);
            ExpectStatisticsUpToDate(analytes);
        });
    }
}

TEST_F(Correction, TheCorrectedRunStoredTakesTheOriginalsPlace) {
    StartWithUrea();
    TakeOut();
    EXPECT_EQ(Find<QLineEdit>("EditLevel1")->text(), QStringLiteral("5.10"));
    Find<QLineEdit>("EditLevel1")->clear();
    EnterRun({QStringLiteral("5.15")}, Validate({"BtOK"}));
    Press("BtRAZEntryFields"); // nothing is out for correction any more
    ExpectEverywhere([](const TListSerum&, const TListAnalytes& analytes) {
        const TAnalyte& a = analytes[0];
        ASSERT_EQ(a.Count(), Runs);
        EXPECT_EQ(a.Point(Taken).Levels[0].Value, 5.15f);
    });
}

TEST_F(Scenario, RenamedAnalyteNewLotAndAssignmentAreKept) {
    WriteGlucoseFolder();
    Start();
    Menu("MnuAnalytes", {[](QWidget* modal) {
             EXPECT_EQ(modal->windowTitle(), QStringLiteral("Definition of analytes"));
             SelectIn(modal, "LBox", QStringLiteral("Glucose\t3\tmmol/L\t2\tNo"));
             FillIn(modal, "EditNom", QStringLiteral("Glycaemia"));
             PressIn(modal, "BtCorriger");
             PressIn(modal, "BtOK");
         }});
    Menu("MnuControlMaterials", {[](QWidget* modal) {
             EXPECT_EQ(modal->windowTitle(), QStringLiteral("Definition of control materials"));
             SelectIn(modal, "LBSerum", QStringLiteral("Lyphocheck 2\t2"));
             FillIn(modal, "EditLot", QStringLiteral("B7"));
             PressIn(modal, "BtReplace");
             PressIn(modal, "BtOK");
         }});
    Press("BtAffectation", {[](QWidget* modal) {
              SelectIn(modal, "LBSerum", QStringLiteral("Lyphocheck 3\t3"));
              PressIn(modal, "ArrowLevel1");
              PressIn(modal, "BitBtn1");
          }});
    ExpectEverywhere([](const TListSerum& materials, const TListAnalytes& analytes) {
        ASSERT_EQ(analytes.Count(), 1);
        const TAnalyte& a = analytes[0];
        EXPECT_EQ(a.Name.str(), "Glycaemia");
        EXPECT_EQ(a.Count(), Runs);
        EXPECT_EQ(materials.FindById(a.MaterialId[1]).Lot.str(), "B7");
        EXPECT_EQ(a.MaterialId[0], a.MaterialId[2]);
        EXPECT_EQ(materials.FindById(a.MaterialId[0]).Name.str(), "Lyphocheck 3");
    });
    EXPECT_EQ(Find<QListWidget>("LBAnalytes")->item(0)->text(), QStringLiteral("Glycaemia"));
    const TAuditEntry renamed = Audited("analyte.changed");
    EXPECT_EQ(Detail(renamed, "before.name").toString(), QStringLiteral("Glucose"));
    EXPECT_EQ(Detail(renamed, "after.name").toString(), QStringLiteral("Glycaemia"));
    const TAuditEntry lot = Audited("material.changed");
    EXPECT_EQ(Detail(lot, "before.lot").toString(), QStringLiteral("2"));
    EXPECT_EQ(Detail(lot, "after.lot").toString(), QStringLiteral("B7"));
    const TAuditEntry assigned = Audited("assignment.changed");
    EXPECT_EQ(assigned.Level, 1);
    EXPECT_EQ(Detail(assigned, "after.name").toString(), QStringLiteral("Lyphocheck 3"));
}

TEST_F(Scenario, ImportedTextRunsJoinTheSeries) {
    WriteGlucoseFolder();
    const std::string text = "Date\tTime\tQC1\tQC2\tQC3\r\n"
                             "15/03/2024\t08:00\t5.1\t10.2\t15.3\r\n"
                             "15/03/2024\t09:00\t4.9\t9.8\t14.7\r\n";
    const QString file = folder_.filePath(QStringLiteral("runs.txt"));
    WriteFileAtomic(file.toStdString(), text, "");
    Start();
    Menu("MnuImport", {[file](QWidget* modal) {
                           auto* chooser = qobject_cast<QFileDialog*>(modal);
                           ASSERT_NE(chooser, nullptr);
                           auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                           ASSERT_NE(name, nullptr);
                           name->setText(file);
                           static_cast<QDialog*>(chooser)->accept(); // its Open button
                       },
                       [](QWidget* modal) {
                           EXPECT_EQ(modal->windowTitle(), QStringLiteral("Imported file contents"));
                           PressIn(modal, "BtAdd");
                       }});
    const TAuditEntry imported = Audited("import");
    EXPECT_EQ(imported.Analyte, "Glucose");
    EXPECT_EQ(Detail(imported, "file").toString(), QStringLiteral("runs.txt"));
    EXPECT_EQ(Detail(imported, "runs").toInt(), 2);
    ExpectEverywhere([](const TListSerum&, const TListAnalytes& analytes) {
        const TAnalyte& a = analytes[0];
        ASSERT_EQ(a.Count(), Runs + 2);
        EXPECT_EQ(a.Point(Runs).Levels[2].Value, 15.3f);
        EXPECT_EQ(a.Point(Runs + 1).Levels[0].Value, 4.9f);
        ExpectStatisticsUpToDate(analytes);
    });
}

// What the chart's legend shows as N for every level, analyte after analyte, read as a screen
// reader reads it: from the chart's accessible description.
QStringList LegendNs(TWinMain& window) {
    auto* list = window.findChild<QListWidget*>(QStringLiteral("LBAnalytes"));
    auto* chart = window.findChild<QWidget*>(QStringLiteral("PBox"));
    static const QRegularExpression n(QStringLiteral("N = \\d+"));
    QStringList ns;
    for (int row = 0; list && chart && row < list->count(); ++row) {
        list->setCurrentRow(row);
        for (auto match = n.globalMatch(chart->accessibleDescription()); match.hasNext();) ns << match.next().captured();
    }
    return ns;
}

TEST_F(Scenario, FirstStartShowsTheNThatTheFileGives) {
    FirstRun = true;
    Start();
    ASSERT_EQ(Analytes.Count(), 3);
    const std::string shown = LegendNs(*window_).join(QStringLiteral(", ")).toStdString();
    // Glucose: run 30 discarded on every level; Calcium; Albumin.
    EXPECT_EQ(shown, "N = 44, N = 44, N = 44, N = 25, N = 25, N = 50");
    window_.reset();
    SaveDataFile(DataFile()); // the exit save
    FirstRun = false;
    Restart();
    EXPECT_EQ(LegendNs(*window_).join(QStringLiteral(", ")).toStdString(), shown);
}

// ---- Nothing lost under faults (issue 17) ----

// Item 1: a data file that cannot be read is kept as it is, never written over; the exit save
// writes a new one beside it.
TEST_F(Scenario, ADamagedDataFileIsKeptAndTheExitSaveWritesBesideIt) {
    WriteGlucoseFolder();
    std::string damaged = *ReadWholeFile(DataFile());
    damaged.pop_back(); // truncated by one byte
    WriteFileAtomic(DataFile(), damaged, "x");
    Start();
    EXPECT_EQ(Analytes.Count(), 0);
    const QStringList kept = FilesLike(QStringLiteral("Tervanix.qcf.damaged-"));
    ASSERT_EQ(kept.size(), 1);
    const std::string keptPath = ProgramDir + kept[0].toStdString();
    ASSERT_FALSE(messages_.Recorded().empty());
    const QString said = messages_.Recorded().front().Text;
    EXPECT_TRUE(said.startsWith(QStringLiteral("Cannot read data"))) << said.toStdString();
    EXPECT_TRUE(said.contains(QString::fromStdString(keptPath))) << said.toStdString();
    EXPECT_EQ(ReadWholeFile(keptPath), damaged);
    EXPECT_EQ(Laboratory().SaveForExit(true, true), TLaboratory::TExitSave::Saved);
    EXPECT_EQ(ReadWholeFile(DataFile())->size(), 17u); // the empty lists, beside the kept file
    EXPECT_EQ(ReadWholeFile(keptPath), damaged);
}

// Item 1: the same for the queue file and the settings file.
TEST_F(Scenario, ADamagedQueueOrSettingsFileIsKept) {
    WriteGlucoseFolder();
    WriteFileAtomic(QueueFile(), "not a queue", "x");
    WriteFileAtomic(SettingsFile(), "not settings", "x");
    Laboratory().LoadSettings();
    EXPECT_TRUE(FirstRun);
    Settings.ShowAboutAtStart = 0; // no box at the window's first showing
    Settings.LastBackup = Day;
    Start();
    EXPECT_EQ(Queue.Count(), 0);
    const QStringList queues = FilesLike(QStringLiteral("Tervanix.fif.damaged-"));
    const QStringList settings = FilesLike(QStringLiteral("Tervanix.cfr.damaged-"));
    ASSERT_EQ(queues.size(), 1);
    ASSERT_EQ(settings.size(), 1);
    EXPECT_EQ(ReadWholeFile(ProgramDir + queues[0].toStdString()), "not a queue");
    EXPECT_EQ(ReadWholeFile(ProgramDir + settings[0].toStdString()), "not settings");
    ASSERT_EQ(messages_.Recorded().size(), 2u);
    EXPECT_TRUE(messages_.Recorded()[0].Text.contains(settings[0]));
    EXPECT_TRUE(messages_.Recorded()[1].Text.contains(queues[0]));
    EXPECT_EQ(Analytes.Count(), 1); // the data file was sound: no demonstration data
    EXPECT_EQ(Laboratory().SaveForExit(true, true), TLaboratory::TExitSave::Saved);
    EXPECT_EQ(ReadWholeFile(ProgramDir + queues[0].toStdString()), "not a queue");
}

// Item 3: a recalled run leaves the queue file only once the data file holds it; a kill with the
// validation dialog open finds it in the queue.
TEST_F(Scenario, ARecalledRunStaysInTheQueueFileUntilItIsStored) {
    std::vector<TResu> queued;
    for (float v : {5.1f, 5.2f}) {
        queued.push_back(MakeRun(Day, {v, 2 * v, 3 * v}));
        queued.back().AnalyteName = "Glucose";
        queued.back().StandaloneFlag = 1;
    }
    WriteGlucoseFolder(queued);
    Start();
    const auto validateAfterTheSaver = [this](const char* button) {
        return [this, button](QWidget* modal) {
            QTest::qWait(3 * TQueueSaver::DelayMs); // the saver has written by now
            EXPECT_FALSE(saver_->Pending());
            EXPECT_EQ(QueuedInFile(), 2) << "a kill now would lose the recalled run";
            Validate({button})(modal);
        };
    };
    Press("BtFifo", {validateAfterTheSaver("BtCancel")});
    ExpectQueueFileHolds(2);
    EXPECT_EQ(Queue.Count(), 2);
    Press("BtFifo", {validateAfterTheSaver("BtOK")});
    ExpectQueueFileHolds(1);
    ExpectEverywhere([](const TListSerum&, const TListAnalytes& analytes) { ASSERT_EQ(analytes[0].Count(), Runs + 1); });
}

// Item 4: the demonstration data are made once, written at once, and never join a queue file
// that exists; each start here ends in a kill (nothing saved at exit).
TEST_F(Scenario, TheDemonstrationIsMadeOnceAndNeverJoinsAnExistingQueue) {
    TResu sent = MakeRun(Day, {5, 10, 15});
    sent.AnalyteName = "GLU";
    Queue.Push(sent);
    Queue.Save(QueueFile()); // a fresh folder first started by an analyser
    ClearLists();
    std::string firstData;
    for (int start = 0; start < 3; ++start) {
        SCOPED_TRACE("start " + std::to_string(start));
        ClearLists();
        Laboratory().LoadSettings();
        EXPECT_EQ(FirstRun, start == 0);
        Laboratory().LoadQueue();
        Laboratory().LoadData();
        EXPECT_EQ(Analytes.Count(), 3);
        EXPECT_EQ(Queue.Count(), 1);
        EXPECT_EQ(QueuedInFile(), 1);
        ASSERT_TRUE(FileExists(DataFile()));
        ASSERT_TRUE(FileExists(SettingsFile()));
        if (start == 0) firstData = *ReadWholeFile(DataFile());
        EXPECT_EQ(ReadWholeFile(DataFile()), firstData);
    }
}

TEST_F(Scenario, AFreshFolderGetsItsFiveDemonstrationRunsOnce) {
    for (int start = 0; start < 2; ++start) {
        ClearLists();
        Laboratory().LoadSettings();
        Laboratory().LoadQueue();
        Laboratory().LoadData();
        EXPECT_EQ(Queue.Count(), 5);
        EXPECT_EQ(QueuedInFile(), 5);
    }
}

// Item 5: a failed exit save offers Retry, Cancel (stay, nothing lost) and exit without saving;
// unattended, it asks nothing and the program stays.
TEST_F(Scenario, AFailedExitSaveOffersAWayOut) {
    WriteGlucoseFolder();
    Start();
    TAnalyte& glucose = Analytes[0];
    Laboratory().EditSeries(glucose, {}, [&] { glucose.AddPoint(MakeRun(Day, {5, 10, 15})); });
    const std::string before = *ReadWholeFile(DataFile());
    int failures = 3;
    SetWriteFault([&failures](std::string_view step, const std::string&) {
        return step == "create" && failures-- > 0 ? ENOSPC : 0;
    });
    messages_.Answer(TMsgButton::Cancel);
    EXPECT_EQ(Laboratory().SaveForExit(true, true), TLaboratory::TExitSave::Stay);
    ASSERT_FALSE(messages_.Recorded().empty());
    const test::TRecordedMessage asked = messages_.Last();
    EXPECT_EQ(asked.Buttons, TMsgButtons::RetryCancelDiscard);
    EXPECT_TRUE(asked.Text.contains(QStringLiteral("Cannot save data: ") + QString::fromUtf8(std::strerror(ENOSPC))))
        << asked.Text.toStdString();
    EXPECT_TRUE(ReadWholeFile(DataFile()) == before);
    EXPECT_EQ(Analytes[0].Count(), Runs + 1); // nothing lost: the program stays
    failures = 3;
    const std::size_t shown = messages_.Recorded().size();
    EXPECT_EQ(Laboratory().SaveForExit(false, true), TLaboratory::TExitSave::Stay); // a client's program
    EXPECT_EQ(messages_.Recorded().size(), shown);
    failures = 3;
    messages_.Answer(TMsgButton::Retry); // the second try goes through
    EXPECT_EQ(Laboratory().SaveForExit(true, true), TLaboratory::TExitSave::Saved);
    SetWriteFault({});
    TListSerum materials;
    TListAnalytes analytes;
    DecodeDataFile(*ReadWholeFile(DataFile()), materials, analytes);
    EXPECT_EQ(analytes[0].Count(), Runs + 1);
    SetWriteFault([](std::string_view, const std::string&) { return EROFS; });
    messages_.Answer(TMsgButton::Discard);
    EXPECT_EQ(Laboratory().SaveForExit(true, true), TLaboratory::TExitSave::Discarded);
    SetWriteFault({});
}

// Item 5 on a real full disk: the operator's Cancel keeps everything; once there is room again
// the exit save goes through.
TEST_F(Scenario, AFullDiskAtExitKeepsTheProgramOpen) {
    const std::filesystem::path small = std::filesystem::path(folder_.path().toStdString()) / "small";
    auto disk = test::TMountedFolder::Tmpfs(small, 256 * 1024);
    if (!disk.Ready()) GTEST_SKIP() << disk.Why();
    SetProgramDir(small.string());
    WriteGlucoseFolder();
    Start();
    TAnalyte& glucose = Analytes[0];
    Laboratory().EditSeries(glucose, {}, [&] { glucose.AddPoint(MakeRun(Day, {5, 10, 15})); });
    disk.Fill();
    Laboratory().EditSeries(glucose, {}, [&] { glucose.AddPoint(MakeRun(Day + 1, {5, 10, 15})); }); // "Cannot save data"
    messages_.Answer(TMsgButton::Cancel);
    EXPECT_EQ(Laboratory().SaveForExit(true, true), TLaboratory::TExitSave::Stay);
    EXPECT_TRUE(messages_.Last().Text.contains(QString::fromUtf8(std::strerror(ENOSPC)))) << messages_.Last().Text.toStdString();
    disk.Unfill();
    EXPECT_EQ(Laboratory().SaveForExit(true, true), TLaboratory::TExitSave::Saved);
    TListSerum materials;
    TListAnalytes analytes;
    DecodeDataFile(*ReadWholeFile(DataFile()), materials, analytes);
    EXPECT_EQ(analytes[0].Count(), Runs + 2);
    window_.reset();
    saver_.reset();
    ClearLists();
    disk.Unmount();
}

// The changes made outside the edit dialogs each leave their line, with what changed.
TEST_F(Scenario, QueueLimitsRisksLevelsAndPasswordChangesAreAudited) {
    TResu queued = MakeRun(Day, {5.1f, 10.2f, 15.3f});
    queued.AnalyteName = "Glucose";
    WriteGlucoseFolder({queued});
    Start();
    const auto choose = [](const char* group, int item) {
        return [group, item](QWidget* modal) {
            auto* box = modal->findChild<QWidget*>(QString::fromLatin1(group));
            ASSERT_NE(box, nullptr);
            Click(box->findChildren<QAbstractButton*>().at(item));
            PressIn(modal, "BtOK");
        };
    };
    const struct {
        const char* action;
        std::function<void()> make;
        const char* detail;
        QJsonValue expected;
    } changes[] = {
        {"queue.cleared", [this] { Menu("MnuClearFifo", {}); }, "runs", 1},
        {"common_cv.changed", [this] { Press("BtLimits", {[](QWidget* modal) {
                                       PressIn(modal, "CBCommonCV");
                                       PressIn(modal, "BtOK");
                                   }}); },
         "common_cv.after", true},
        {"risks.changed", [&] { Menu("MnuRisks", {choose("RGAlert", 1)}); }, "alert_risk.after", QStringLiteral("2 %")},
        {"level.archived", [this] {
             Menu("Archiving1", {});
             PressIn(Find<QWidget>("GBArchivage2"), "BtArchi");
             Press("BtOKErase");
         },
         "limits.mode", QStringLiteral("mobile")},
        {"password.changed", [this] { Menu("MnuPsw", {[](QWidget* modal) {
                                      FillIn(modal, "EditNewPsw", QStringLiteral("Zq7"));
                                      FillIn(modal, "EditConfirm", QStringLiteral("Zq7"));
                                      PressIn(modal, "BtOK");
                                  }}); },
         "password_set.after", true},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.action);
        change.make();
        EXPECT_EQ(Detail(Audited(change.action), change.detail), change.expected);
    }
    EXPECT_EQ(Audited("level.archived").Level, 2);
    EXPECT_EQ(ReadWholeFile(AuditFile())->find("Zq7"), std::string::npos); // never the password
}

// The audit line comes first: when it cannot be written, the run is not stored, the operator
// reads why, and the run is still on the Enter page to try again.
TEST_F(Scenario, AnAuditTrailThatCannotBeWrittenRefusesTheChange) {
    WriteGlucoseFolder();
    Start();
    const std::string data = *ReadWholeFile(DataFile());
    SetWriteFault([](std::string_view step, const std::string& path) {
        return step == "append" && path.ends_with(".adt") ? ENOSPC : 0;
    });
    EnterRun({QStringLiteral("5.0"), QStringLiteral("10.0"), QStringLiteral("15.0")}, Validate({"BtOK"}));
    SetWriteFault({});
    const QString said = messages_.Last().Text;
    EXPECT_TRUE(said.startsWith(QStringLiteral("Cannot write the audit trail\r") + QString::fromStdString(AuditFile()) +
                                QStringLiteral(": ") + QString::fromUtf8(std::strerror(ENOSPC))))
        << said.toStdString();
    EXPECT_EQ(Analytes[0].Count(), Runs);
    EXPECT_EQ(ReadWholeFile(DataFile()), data);
    EXPECT_EQ(Find<QLineEdit>("EditLevel1")->text(), QStringLiteral("5.0"));
    EXPECT_FALSE(FileExists(AuditFile()));
    Press("BtOKEnter", {Validate({"BtOK"})}); // room again: the same run goes through
    EXPECT_EQ(Analytes[0].Count(), Runs + 1);
    EXPECT_EQ(ReadAuditEntries(AuditFile(), {}).back().Action, "audit.started");
}

// The same on a real full disk: the line does not fit, the run stays on the Enter page.
TEST_F(Scenario, AFullDiskRefusesTheRunWithItsAuditLine) {
    const std::filesystem::path small = std::filesystem::path(folder_.path().toStdString()) / "small";
    auto disk = test::TMountedFolder::Tmpfs(small, 256 * 1024);
    if (!disk.Ready()) GTEST_SKIP() << disk.Why();
    SetProgramDir(small.string());
    WriteGlucoseFolder();
    Start();
    disk.Fill();
    EnterRun({QStringLiteral("5.0"), QStringLiteral("10.0"), QStringLiteral("15.0")}, Validate({"BtOK"}));
    EXPECT_TRUE(messages_.Last().Text.startsWith(QStringLiteral("Cannot write the audit trail\r")))
        << messages_.Last().Text.toStdString();
    EXPECT_TRUE(messages_.Last().Text.endsWith(QString::fromUtf8(std::strerror(ENOSPC))));
    EXPECT_EQ(Analytes[0].Count(), Runs);
    EXPECT_EQ(Find<QLineEdit>("EditLevel1")->text(), QStringLiteral("5.0"));
    disk.Unfill();
    window_.reset();
    saver_.reset();
    ClearLists();
    EXPECT_TRUE(VerifyAuditFile(AuditFile())->Intact()); // before the folder goes
    disk.Unmount();
}

} // namespace
} // namespace tervanix
