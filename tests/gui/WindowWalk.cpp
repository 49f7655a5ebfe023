#include "gui/WindowWalk.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDialog>
#include <QMenuBar>
#include <QStackedWidget>
#include <QTabBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

#include "charts/UDailyQC.h"
#include "charts/UMonthlySummary.h"
#include "charts/UPrnCharts.h"
#include "charts/UPrnData.h"
#include "charts/UShowLimits.h"
#include "dialogs/UAbout.h"
#include "dialogs/UAnimCopyFic.h"
#include "dialogs/UArchives.h"
#include "dialogs/UAuditTrail.h"
#include "dialogs/UDefAnalytes.h"
#include "dialogs/UDefSerum.h"
#include "dialogs/UEmployees.h"
#include "dialogs/UImport.h"
#include "dialogs/UMotPass.h"
#include "dialogs/UNewPsw.h"
#include "dialogs/UOptions.h"
#include "dialogs/UQualityGoals.h"
#include "dialogs/URandom.h"
#include "dialogs/URisks.h"
#include "dialogs/USerumByAnal.h"
#include "dialogs/USetUp.h"
#include "dialogs/UShowArchive.h"
#include "dialogs/UShowData.h"
#include "dialogs/UWinComment.h"
#include "gui/GuiHarness.h"
#include "main/UMain.h"
#include "main/UValidCQ.h"
#include "model/UArchive.h"
#include "model/UFileStore.h"
#include "model/UGlobals.h"
#include "support/AnalyteBuilders.h"

namespace tervanix::test {

bool InsideAnotherControl(const QWidget* w, const QWidget* root) {
    for (const QWidget* p = w->parentWidget(); p && p != root; p = p->parentWidget())
        if (qobject_cast<const QComboBox*>(p) || qobject_cast<const QAbstractSpinBox*>(p) ||
            qobject_cast<const QTabBar*>(p) || qobject_cast<const QCalendarWidget*>(p) ||
            qobject_cast<const QMenuBar*>(p) || qobject_cast<const QAbstractItemView*>(p))
            return true;
    return false;
}

namespace {

// What the walk's windows show: the series, its run under validation, its archive.
struct TWalkData {
    TAnalyte* Glucose = nullptr;
    TResu Run;
    TArchiveContent Archive;
};

using TInspect = std::function<void()>;
using TOpen = std::function<void(QWidget* window, TWalkData& data, const TInspect& inspect)>;

struct TWalkedWindow {
    const char* Title;
    std::function<std::unique_ptr<QWidget>()> Make;
    TOpen Open;
};

template <class TWin, class... TArgs> std::function<std::unique_ptr<QWidget>()> Make(TArgs... args) {
    return [args...] { return std::unique_ptr<QWidget>(new TWin(args...)); };
}

// Filled by `fill`, then shown as a window.
template <class TWin> TOpen Shown(std::function<void(TWin&, TWalkData&)> fill = {}) {
    return [fill](QWidget* window, TWalkData& data, const TInspect& inspect) {
        if (fill) fill(static_cast<TWin&>(*window), data);
        window->show();
        QApplication::processEvents();
        inspect();
        window->hide();
    };
}

// Opened by its own Execute, inspected while it is up, then left with Cancel.
template <class TWin> TOpen Executed(std::function<void(TWin&, TWalkData&)> execute) {
    return [execute](QWidget* window, TWalkData& data, const TInspect& inspect) {
        WhenModalOpens([inspect](QWidget* modal) {
            inspect();
            static_cast<QDialog*>(modal)->reject();
        });
        execute(static_cast<TWin&>(*window), data);
    };
}

std::vector<TWalkedWindow> Windows() {
    return {
        {"main window", Make<TWinMain>(), Shown<TWinMain>([](TWinMain& w, TWalkData&) {
             w.SetScreenChecks(false);
             w.RebuildAnalyteList();
         })},
        {"validation", Make<TWinValidCQ>(),
         Shown<TWinValidCQ>([](TWinValidCQ& w, TWalkData& d) { w.Prepare(*d.Glucose, d.Run); })},
        {"about", Make<TWinAbout>(), Shown<TWinAbout>([](TWinAbout& w, TWalkData&) { w.PrepareFromMenu(); })},
        {"setup", Make<TWinSetUp>(), Shown<TWinSetUp>()},
        {"password prompt", Make<TWinEntryPsw>(), Shown<TWinEntryPsw>()},
        {"new password", Make<TWinNewPsw>(), Shown<TWinNewPsw>()},
        {"comment pop-up", Make<TWinComment>(), Shown<TWinComment>([](TWinComment& w, TWalkData&) {
             w.SetCaption(QStringLiteral("13 Nov 2026 08:30:00"));
             w.AddLine(QStringLiteral("Lyphocheck 1 = 5.10"));
         })},
        {"copy to diskette", Make<TWinAnimCopyFic>(), Shown<TWinAnimCopyFic>()},
        {"archives", Make<TWinArchives>(),
         Executed<TWinArchives>([](TWinArchives& w, TWalkData& d) { w.Execute(*d.Glucose); })},
        {"audit trail", Make<TWinAuditTrail>(), Shown<TWinAuditTrail>()},
        {"archive", Make<TWinShowArchive>(), Shown<TWinShowArchive>([](TWinShowArchive& w, TWalkData& d) {
             w.Fill(QStringLiteral("Glucose"), d.Archive);
         })},
        {"daily QC", Make<TWinDailyQC>(), Shown<TWinDailyQC>()},
        {"monthly summary", Make<TWinMonthlySummary>(),
         Shown<TWinMonthlySummary>([](TWinMonthlySummary& w, TWalkData&) { w.Prepare(); })},
        {"quality goals", Make<TWinQualityGoals>(),
         Shown<TWinQualityGoals>([](TWinQualityGoals& w, TWalkData&) { w.Prepare(); })},
        {"print data", Make<TWinPrnData>(),
         Shown<TWinPrnData>([](TWinPrnData& w, TWalkData& d) { w.Prepare(*d.Glucose, Materials); })},
        {"risks", [] { return std::unique_ptr<QWidget>(new TWinRisks([] { return nullptr; })); },
         Shown<TWinRisks>()},
        {"control limits", Make<TWinShowLimits>(),
         Shown<TWinShowLimits>([](TWinShowLimits& w, TWalkData& d) { w.Prepare(*d.Glucose); })},
        {"analytes", Make<TWinDefAnalytes>(), Shown<TWinDefAnalytes>()},
        {"control materials", Make<TWinDefSerum>(), Shown<TWinDefSerum>()},
        {"assignment of materials", Make<TWinSerumByAnal>(),
         Shown<TWinSerumByAnal>([](TWinSerumByAnal& w, TWalkData& d) { w.Prepare(*d.Glucose); })},
        {"import", Make<TWinImport>(),
         Executed<TWinImport>([](TWinImport& w, TWalkData& d) { w.Execute(*d.Glucose); })},
        {"data table", Make<TWinShowData>(),
         Shown<TWinShowData>([](TWinShowData& w, TWalkData& d) { w.Prepare(*d.Glucose, -1); })},
        {"print charts", Make<TWinPrnCharts>(),
         Shown<TWinPrnCharts>([](TWinPrnCharts& w, TWalkData& d) { w.Prepare(*d.Glucose, Materials); })},
        {"random generator", Make<TWinRandom>(),
         Executed<TWinRandom>([](TWinRandom& w, TWalkData& d) { w.Execute(*d.Glucose); })},
        {"operators", Make<TWinEmployees>(),
         Executed<TWinEmployees>([](TWinEmployees& w, TWalkData&) { w.Execute(); })},
        {"backup options", Make<TWinOptions>(),
         Executed<TWinOptions>([](TWinOptions& w, TWalkData&) { w.Execute(); })},
    };
}

// The state every window of the walk reads, restored afterwards.
class TWalkState {
public:
    TWalkState()
        : savedDir_(ProgramDir), savedMaterials_(Materials), savedSettings_(Settings),
          savedLocale_(Locale()) {
        SetProgramDir(folder_.path().toStdString());
        Settings.ShowAboutAtStart = 0;
        Settings.Password = "";
        TLocaleFormats dates = Locale();
        dates.ShortDateFormat = "dd MMM yyyy"; // the widest dates a desktop gives
        SetLocale(dates);
        Materials = TListSerum();
        Analytes.FreeAll();
        data_.Glucose = &Analytes.Add(std::make_unique<TAnalyte>("Glucose", "mmol/L", 2, 3, false));
        TAnalyte& a = *data_.Glucose;
        for (int level = 0; level < MaxLevels; ++level)
            a.MaterialId[static_cast<std::size_t>(level)] =
                Materials
                    .AddMaterial("Lyphocheck " + std::to_string(level + 1), "4711" + std::to_string(level))
                    .Id;
        for (int day = 0; day < 40; ++day)
            a.AddPoint(MakeRun(46300 + day,
                               {5.0f + day % 3 * 0.1f, 10.0f + day % 2 * 0.4f, 15.0f + day % 4 * 0.2f}, "",
                               "AB"));
        a.LimitsMode[0] = lmLocked;
        a.LockFirst[0] = 0;
        a.LockLast[0] = 25;
        a.LimitsMode[1] = lmFixed;
        a.RecomputeAll();
        data_.Run = MakeRun(46340, {5.1f, 10.2f, 15.3f}, "New reagent", "AB");
        WriteArchive();
    }
    ~TWalkState() {
        Analytes.FreeAll();
        Materials = savedMaterials_;
        Settings = savedSettings_;
        SetLocale(savedLocale_);
        SetProgramDir(savedDir_);
    }
    TWalkState(const TWalkState&) = delete;
    TWalkState& operator=(const TWalkState&) = delete;
    TWalkData& Data() { return data_; }

private:
    void WriteArchive() {
        std::string text =
            "Glucose\r\nmmol/L\r\n13 Nov 2026\t22 Dec 2026\tLyphocheck 1\t47110\t5.100\t1.6\t3\r\n";
        for (const char* day : {"13 Nov 2026", "14 Nov 2026", "22 Dec 2026"})
            text += std::string(day) + "\t08:30:00\t5.10\tAB\tNew reagent\r\n";
        WriteFileAtomic(ArchiveFileName(1), text, "");
        data_.Glucose->Archives = {1};
        data_.Archive = *ParseArchive(text);
    }

    QTemporaryDir folder_;
    std::string savedDir_;
    TListSerum savedMaterials_;
    TSettings savedSettings_;
    TLocaleFormats savedLocale_;
    TWalkData data_;
};

} // namespace

void CheckEveryWindow(const TWindowCheck& check) {
    TWalkState state;
    TScriptedMessages messages; // a window that has something to say does not wait for the operator
    for (const TWalkedWindow& entry : Windows()) {
        std::unique_ptr<QWidget> window = entry.Make();
        QStringList found;
        entry.Open(window.get(), state.Data(), [&] { found = check(window.get()); });
        EXPECT_TRUE(found.isEmpty()) << entry.Title << ": " << found.join(QStringLiteral("; ")).toStdString();
    }
}

QStringList CheckEveryPage(QWidget* window, const TWindowCheck& check) {
    QStringList found;
    if (auto* main = qobject_cast<TWinMain*>(window)) {
        for (int tag = 1; tag <= 3; ++tag) {
            main->SwitchPage(tag);
            found << check(window);
        }
        main->LeaveSpecialPage();
        found << check(window);
    } else {
        found << check(window);
        for (QStackedWidget* pages : window->findChildren<QStackedWidget*>()) {
            const int shown = pages->currentIndex();
            for (int page = 0; page < pages->count(); ++page) {
                pages->setCurrentIndex(page);
                found << check(window);
            }
            pages->setCurrentIndex(shown);
        }
    }
    found.removeDuplicates();
    return found;
}

} // namespace tervanix::test
