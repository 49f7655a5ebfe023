// The pictures of the user manual, made by the program itself so that they follow it: every window
// opened offscreen on the demonstration data and grabbed, and the first page of every printout.
//   tervanix_manual_pictures OUT_DIR
// The clock and the random seed are fixed, so that the pictures are the same at every build.
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QImage>
#include <QJsonArray>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "charts/UAuditPages.h"
#include "charts/UDailyQCPages.h"
#include "charts/UPrnArchive.h"
#include "charts/UPrnChartsPages.h"
#include "charts/UPrnData.h"
#include "charts/UPrnDataPages.h"
#include "charts/UQualityPages.h"
#include "charts/UShowLimitsPages.h"
#include "dialogs/UAbout.h"
#include "dialogs/UAuditTrail.h"
#include "dialogs/UShowArchive.h"
#include "main/UAuditNotes.h"
#include "main/UCommandRunner.h"
#include "main/UFormParts.h"
#include "main/ULaboratory.h"
#include "main/UMain.h"
#include "main/UMainCommands.h"
#include "main/UMessages.h"
#include "main/UResources.h"
#include "model/UArchive.h"
#include "model/UAuditTrail.h"
#include "model/UClock.h"
#include "model/UDataLoadSave.h"
#include "model/UDateTime.h"
#include "model/UGlobals.h"
#include "model/UMonthlySummary.h"
#include "model/URandom.h"
#include "model/USeriesQueries.h"
#include "model/USettingsFile.h"

namespace tervanix {
namespace {

constexpr int Day = 46364; // 2026-12-08, 10:30 below

// A box would stand where a window is awaited: none is shown. An information is taken as read; any
// other box is named, and the window it stands for then goes missing.
class TLoggedMessages final : public IMessageService {
public:
    TMsgButton Show(const QString& text, TMsgType type, TMsgButtons) override {
        if (type == TMsgType::Information) return TMsgButton::OK;
        QTextStream(stderr) << "manual pictures: the program said: " << text << '\n';
        return TMsgButton::Cancel;
    }
};

// The window that `open` runs modally, grabbed once it is up, then closed; null when none opened.
QImage GrabModal(const std::function<void()>& open) {
    QImage picture;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&picture] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !picture.isNull()) return;
        picture = modal->grab().toImage();
        modal->close();
    });
    poll.start(10);
    RunCommand(open);
    return picture;
}

// The main window on a Lock, Fix or Erase page, left afterwards as Cancel leaves it.
QImage GrabPage(TWinMain& window, int tag) {
    window.SwitchPage(tag);
    QApplication::processEvents();
    const QImage picture = window.grab().toImage();
    window.LeaveSpecialPage();
    return picture;
}

// A run typed on the Enter page, so that OK opens the validation dialog.
void SubmitTypedRun(TWinMain& window) {
    window.LevelEdit(0)->setText(QStringLiteral("3.1"));
    window.LevelEdit(1)->setText(QStringLiteral("5.6"));
    window.LevelEdit(2)->setText(QStringLiteral("12.2"));
    window.SubmitRun();
}

// The demonstration keeps the whole series of Glucose; its first level is archived from a copy so
// that the archive windows and printouts have one archive to show.
TArchiveContent MakeDemoArchive(TAnalyte& analyte) {
    const std::unique_ptr<TAnalyte> copy = analyte.Clone();
    ArchiveLevel(*copy, 0);
    analyte.Archives = copy->Archives;
    return ReadArchive(analyte.Archives.back()).value();
}

// The audit window once the check of its chain has said its line.
QImage GrabAuditTrail(TWinMain& window) {
    TWinAuditTrail view(&window);
    QEventLoop checked;
    QObject::connect(&view, &TWinAuditTrail::ChainChecked, &checked, &QEventLoop::quit);
    view.Open(Laboratory().AuditPath());
    if (!view.Checked()) checked.exec();
    view.show();
    QApplication::processEvents();
    return view.grab().toImage();
}

// A morning's changes in the demonstration folder, as the program records them.
void WriteDemonstrationAudit() {
    SetAuditLogin([] { return std::string("lab1"); });
    // One minute a change, also for the windows' own changes (the validation's queued run).
    SetAuditClock([minute = 10]() mutable { return "2026-12-08T09:" + std::to_string(minute++) + ":00Z"; });
    TAnalyte& glucose = *Analytes.FindByName("Glucose");
    Laboratory().Audit({AuditNote("run.stored", QStringLiteral("Glucose"), 0, PointDetails(glucose, glucose.Count() - 1),
                                  QStringLiteral("AB"))});
    Laboratory().Audit({AuditNote("limits.locked", QStringLiteral("Glucose"), 1,
                                  BeforeAfter(LevelLimits(glucose, 0), LevelLimits(glucose, 0)))});
    Laboratory().Audit({AuditNote("operators.changed", {}, 0,
                                  {{QStringLiteral("operators"), BeforeAfter(QJsonArray{"AB"}, QJsonArray{"AB", "CD"})}})});
}

struct TWindowPicture {
    const char* Name;
    std::function<QImage()> Take;
};

std::vector<TWindowPicture> WindowPictures(TWinMain& w, TAnalyte& glucose, const TArchiveContent& archive) {
    const auto modal = [](std::function<void()> open) { return [open] { return GrabModal(open); }; };
    return {
        {"main", [&w] { return w.grab().toImage(); }},
        {"lock", [&w] { return GrabPage(w, 1); }},
        {"fix", [&w] { return GrabPage(w, 2); }},
        {"erase", [&w] { return GrabPage(w, 3); }},
        {"validation", modal([&w] { SubmitTypedRun(w); })},
        {"data-table", modal([&w] { w.DataTableClick(); })},
        {"data-printing", modal([&w, &glucose] { TWinPrnData(&w).Execute(glucose, Materials); })},
        {"chart-printing", modal([&w] { w.PrintChartsClick(); })},
        {"limits", modal([&w] { w.LimitsClick(); })},
        {"daily-qc", modal([&w] { w.DailyClick(); })},
        {"quality-goals", modal([&w] { w.Commands().QualityGoalsClick(); })},
        {"monthly-summary", modal([&w] { w.Commands().MonthlySummaryClick(); })},
        {"risks", modal([&w] { w.RisksClick(); })},
        {"analytes", modal([&w] { w.AnalytesClick(); })},
        {"materials", modal([&w] { w.ControlMaterialsClick(); })},
        {"lot-assignment", modal([&w] { w.AssignLotsClick(); })},
        {"archives", modal([&w] { w.ArchivesClick(); })},
        {"archive", modal([&w, &archive] {
             TWinShowArchive view(&w);
             view.Fill(QStringLiteral("Glucose"), archive);
             view.exec();
         })},
        {"import", modal([&w] {
             w.CopyClick(); // the series pasted back: the import dialog with every line
             w.PasteClick();
         })},
        {"random", modal([&w] { w.RandomClick(); })},
        {"operators", modal([&w] { w.OperatorsClick(); })},
        {"options", modal([&w] { w.OptionsClick(); })},
        {"password", modal([&w] { w.Commands().PasswordClick(); })},
        {"about", modal([&w] { w.Commands().About().ExecFromMenu(); })},
        {"setup", modal([&w] { w.Commands().ShortCutsClick(); })},
        {"audit-trail", [&w] { return GrabAuditTrail(w); }},
    };
}

struct TPrintoutPicture {
    const char* Name;
    std::function<TPrintJob()> Job;
};

std::vector<TPrintoutPicture> PrintoutPictures(const TAnalyte& glucose, const TArchiveContent& archive) {
    const TPointRange all = PointsInDateRange(glucose, Today() - 60, Today());
    return {
        {"print-charts", [&glucose, all] { return ChartsJob(glucose, Materials, all, TChartPrintOptions{}); }},
        {"print-data", [&glucose, all] { return DataTableJob(glucose, Materials, all, true); }},
        {"print-limits", [&glucose] { return LimitsPrintJob(glucose, Materials); }},
        {"print-daily", [] { return DailyPrintJob(CollectDayRuns(Analytes, Today()), Today()); }},
        {"print-summary", [] {
             const TDateParts today = DecodeDate(Today());
             const TMonth month{today.Year, today.Month};
             return MonthlySummaryPrintJob(MonthlySummary(Analytes, month, Laboratory().Goals()), Materials, month);
         }},
        {"print-archives", [&archive] { return ArchiveListPrintJob(QStringLiteral("Glucose"), {archive}); }},
        {"print-archive", [&archive] { return ArchivePrintJob(QStringLiteral("Glucose"), archive); }},
        {"print-audit", [] {
             std::vector<TAuditEntry> entries = ReadAuditEntries(Laboratory().AuditPath(), {});
             std::reverse(entries.begin(), entries.end());
             return AuditPrintJob(entries, QStringLiteral("All entries - Chain intact, %1 entries").arg(entries.size()));
         }},
    };
}

// The job's first page as NAME.png in `out`, through a PDF as tervanix-cli writes it.
bool RenderFirstPage(const TPrintJob& job, const QString& pdf, const QString& out, const QString& name) {
    WritePdfAtomic(QFile::encodeName(pdf).toStdString(), job);
    const QStringList args{QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("60"), QStringLiteral("-f"),
                           QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"), QStringLiteral("-singlefile"),
                           pdf, QDir(out).filePath(name)};
    return QProcess::execute(QStringLiteral("pdftoppm"), args) == 0;
}

// The demonstration data as a first start makes it, at a fixed date and seed, in `folder`.
void StartDemonstration(const QString& folder) {
    SetProgramDir(QFile::encodeName(folder + u'/').toStdString());
    SetClock([] { return TDateTime(Day) + 10.5 / 24; });
    Random().SetSeed(1);
    Settings = DefaultSettings();
    Settings.LastBackup = Day;
    Settings.ShowAboutAtStart = 0;
    CreateDefaultData();
    SaveDataFile(BasePath + ".qcf");
    // Goals that give the Sigma window lines of several bands.
    TQualityGoals goals;
    goals.Set("Glucose", {15.0, {3.0, 5.0, 12.0}});
    goals.Set("Calcium", {8.0, {2.40, 2.60, std::nullopt}});
    Laboratory().ChangeGoals(goals);
}

int MakePictures(const QString& out) {
    QTemporaryDir folder;
    if (!folder.isValid() || !QDir().mkpath(out)) return 1;
    StartDemonstration(folder.path());
    TAnalyte& glucose = *Analytes.FindByName("Glucose");
    const TArchiveContent archive = MakeDemoArchive(glucose);
    WriteDemonstrationAudit();
    int missing = 0;
    const auto check = [&missing](const char* name, bool made) {
        if (made) return;
        QTextStream(stderr) << "manual pictures: no picture of " << name << '\n';
        ++missing;
    };
    TWinMain window;
    window.SetScreenChecks(false);
    window.resize(window.sizeHint().expandedTo(window.size()));
    window.show();
    window.SelectAnalyte(0);
    QApplication::processEvents();
    for (const TWindowPicture& picture : WindowPictures(window, glucose, archive)) {
        const QImage image = picture.Take();
        check(picture.Name, !image.isNull() && image.save(QDir(out).filePath(QString::fromLatin1(picture.Name) + ".png")));
    }
    for (const TPrintoutPicture& printout : PrintoutPictures(glucose, archive)) {
        const QString name = QString::fromLatin1(printout.Name);
        check(printout.Name, RenderFirstPage(printout.Job(), folder.filePath(name + ".pdf"), out, name));
    }
    return missing == 0 ? 0 : 1;
}

} // namespace
} // namespace tervanix

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "Usage: tervanix_manual_pictures OUT_DIR\n";
        return 2;
    }
    tervanix::TLoggedMessages messages;
    tervanix::SetMessageService(&messages);
    tervanix::SetWindowFont();
    tervanix::LoadResources();
    return tervanix::MakePictures(QString::fromLocal8Bit(argv[1]));
}
