#include "main/UMainCommands.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QToolButton>

#include "charts/UDailyQC.h"
#include "charts/UMonthlySummary.h"
#include "charts/UPrnCharts.h"
#include "charts/UShowLimits.h"
#include "dialogs/UAbout.h"
#include "dialogs/UAnimCopyFic.h"
#include "dialogs/UArchives.h"
#include "dialogs/UAuditTrail.h"
#include "dialogs/UDefAnalytes.h"
#include "dialogs/UDefSerum.h"
#include "dialogs/UEmployees.h"
#include "dialogs/UImport.h"
#include "dialogs/UNewPsw.h"
#include "dialogs/UOptions.h"
#include "dialogs/UQualityGoals.h"
#include "dialogs/URandom.h"
#include "dialogs/URisks.h"
#include "dialogs/USerumByAnal.h"
#include "dialogs/USetUp.h"
#include "dialogs/UShowData.h"
#include "main/UAnsi.h"
#include "main/UBackupUi.h"
#include "main/UColors.h"
#include "main/UDriveMap.h"
#include "main/UExchange.h"
#include "main/ULaboratory.h"
#include "main/UMessages.h"
#include "model/UAnalyte.h"
#include "model/UBackup.h"
#include "model/UCompatibilityMorvelle.h"
#include "model/UFileStore.h"
#include "model/UGlobals.h"

namespace tervanix {

TMainCommands::TMainCommands(ICommandHost& host, QWidget* parent)
    : QObject(parent), host_(host), parent_(parent), exchangeFiles_(std::make_unique<TExchangeFiles>()) {}

TMainCommands::~TMainCommands() = default;

void TMainCommands::CreateWindows() {
    About();
    CopyAnimation();
}

TAnalyte& TMainCommands::RequireAnalyte(const QString& refusal) {
    TAnalyte* analyte = host_.CurrentAnalyte();
    if (!analyte) {
        ShowError(refusal);
        throw EAbortSilently();
    }
    return *analyte;
}

// ---- Reference data ----

// A special page's snapshot refers to points that these dialogs may erase: the page is left first.
void TMainCommands::AnalytesClick() {
    host_.LeaveSpecialPage();
    if (!winDefAnalytes_) winDefAnalytes_ = new TWinDefAnalytes(parent_);
    winDefAnalytes_->exec();
}

void TMainCommands::ControlMaterialsClick() {
    host_.LeaveSpecialPage();
    if (!winDefSerum_) winDefSerum_ = new TWinDefSerum(parent_);
    winDefSerum_->exec();
}

void TMainCommands::AssignLotsClick() {
    TAnalyte& analyte = RequireAnalyte(QStringLiteral("No analyte."));
    host_.LeaveSpecialPage();
    if (!winSerumByAnal_) winSerumByAnal_ = new TWinSerumByAnal(parent_);
    winSerumByAnal_->Execute(analyte);
}

// The password dialog is kept for the whole run; the settings file is written on OK.
void TMainCommands::PasswordClick() {
    if (!winNewPsw_) winNewPsw_ = new TWinNewPsw(parent_);
    ChangePassword(*winNewPsw_);
}

// A fresh setup dialog each time, released when it closes.
void TMainCommands::ShortCutsClick() {
    TWinSetUp setUp(parent_);
    setUp.exec();
}

void TMainCommands::DailyClick() {
    if (!winDailyQC_) winDailyQC_ = new TWinDailyQC(parent_);
    winDailyQC_->exec();
}

TWinQualityGoals& TMainCommands::WinQualityGoals() {
    if (!winQualityGoals_) winQualityGoals_ = new TWinQualityGoals(parent_);
    return *winQualityGoals_;
}

void TMainCommands::QualityGoalsClick() {
    WinQualityGoals().Prepare();
    WinQualityGoals().exec();
}

TWinMonthlySummary& TMainCommands::WinMonthlySummary() {
    if (!winMonthlySummary_) winMonthlySummary_ = new TWinMonthlySummary(parent_);
    return *winMonthlySummary_;
}

void TMainCommands::MonthlySummaryClick() {
    WinMonthlySummary().Prepare();
    WinMonthlySummary().exec();
}

void TMainCommands::LimitsClick() {
    TAnalyte& analyte = RequireAnalyte(QStringLiteral("No analyte."));
    if (!winShowLimits_) winShowLimits_ = new TWinShowLimits(parent_);
    winShowLimits_->Execute(analyte);
}

// Every click of the dialog is previewed on the current analyte; on OK every analyte follows.
void TMainCommands::RisksClick() {
    if (!winRisks_) winRisks_ = new TWinRisks([this] { return host_.CurrentAnalyte(); }, parent_);
    ChangeRisks(*winRisks_);
}

TWinAbout& TMainCommands::About() {
    if (!winAbout_) winAbout_ = new TWinAbout(parent_);
    return *winAbout_;
}

// ---- Data table and chart printing ----

TWinShowData& TMainCommands::WinShowData() {
    if (!winShowData_) winShowData_ = new TWinShowData(parent_);
    return *winShowData_;
}

TWinPrnCharts& TMainCommands::WinPrnCharts() {
    if (!winPrnCharts_) winPrnCharts_ = new TWinPrnCharts(parent_);
    return *winPrnCharts_;
}

void TMainCommands::DataTableClick() {
    TAnalyte& analyte = RequireAnalyte(QStringLiteral("No analyte."));
    host_.LeaveSpecialPage();
    TWinShowData& table = WinShowData();
    if (table.Execute(analyte, host_.SelectedPoint()) != QDialog::Accepted) return;
    if (table.HandedBackPoint()) host_.LoadPointForCorrection(table.HandedBackPoint());
    host_.AfterSeriesChanged();
}

void TMainCommands::PrintChartsClick() {
    TAnalyte* analyte = host_.CurrentAnalyte();
    if (!analyte || analyte->Count() == 0) {
        ShowError(QStringLiteral("Nothing to print"));
        return;
    }
    WinPrnCharts().Execute(*analyte, Materials);
}

// ---- Backup and restore ----

void TMainCommands::SetDriveMap(std::unique_ptr<IDriveMap> drives) { drives_ = std::move(drives); }

IDriveMap& TMainCommands::Drives() {
    if (!drives_) drives_ = std::make_unique<TVolumeDriveMap>(DriveLettersFile());
    return *drives_;
}

TWinAnimCopyFic& TMainCommands::CopyAnimation() {
    if (!winAnimCopyFic_) winAnimCopyFic_ = new TWinAnimCopyFic(parent_);
    return *winAnimCopyFic_;
}

namespace {

// The command runs under the hourglass; a failure goes on to the command runner, which says it.
template <typename Command>
void RunUnderHourglass(Command command) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    command();
    QApplication::restoreOverrideCursor();
}

} // namespace

void TMainCommands::BackupClick() {
    TQtBackupUi ui(CopyAnimation());
    const auto record = [](const std::string& copy) {
        Laboratory().Audit({AuditNote("backup", {}, 0, {{QStringLiteral("copy"), QFile::decodeName(copy.c_str())}})});
    };
    RunUnderHourglass([&] { BackupToDiskette(ui, Drives(), record, Laboratory().AuditPath()); });
    host_.BackupDone();
}

void TMainCommands::RestoreClick() {
    host_.LeaveSpecialPage();
    TQtBackupUi ui(CopyAnimation());
    // The analytes in memory are replaced: the main window finds the current one again by its name.
    // The trail is not restored with the data: it only grows, and says what was restored from where.
    const auto record = [](const std::string& copy) {
        Laboratory().Audit({AuditNote("restore", {}, 0, {{QStringLiteral("copy"), QFile::decodeName(copy.c_str())}})});
    };
    Laboratory().EditReferenceData({}, [&] { RunUnderHourglass([&] { RestoreFromDiskette(ui, Drives(), record); }); });
    ShowInformation(QStringLiteral("Restore OK"));
}

// ---- Archives, random generator, operators and backup options ----

// Deleted archives leave the analyte's list at once on disk too, so that a later archive that
// takes a freed number is never listed for this analyte.
void TMainCommands::ArchivesClick() {
    TAnalyte& analyte = RequireAnalyte(QStringLiteral("No analyte."));
    if (!winArchives_) winArchives_ = new TWinArchives(parent_);
    winArchives_->Execute(analyte);
}

// Runs sent to the queue are written to the queue file like any queue change; runs put into the
// series are on disk at once, like an accepted run.
void TMainCommands::RandomClick() {
    TAnalyte& analyte = RequireAnalyte(QStringLiteral("No analyte"));
    if (!winRandom_) winRandom_ = new TWinRandom(parent_);
    if (!winRandom_->Execute(analyte) || winRandom_->ToQueue()) return;
    host_.ShowStoredRun(winRandom_->LastAdded());
}

void TMainCommands::OperatorsClick() {
    if (!winEmployees_) winEmployees_ = new TWinEmployees(parent_);
    EditOperators(*winEmployees_);
}

void TMainCommands::OptionsClick() {
    if (!winOptions_) winOptions_ = new TWinOptions(parent_);
    winOptions_->Execute();
}

// ---- Audit trail ----

void TMainCommands::AuditTrailClick() {
    if (!winAuditTrail_) winAuditTrail_ = new TWinAuditTrail(parent_);
    winAuditTrail_->Execute(Laboratory().AuditPath());
}

// ---- Exchange: Copy, Paste, Export, Import ----

TWinImport& TMainCommands::WinImport() {
    if (!winImport_) winImport_ = new TWinImport(parent_);
    return *winImport_;
}

void TMainCommands::CopyClick() { CopySeries(host_.CurrentAnalyte()); }

void TMainCommands::ExportClick() { ExportSeries(host_.CurrentAnalyte(), *exchangeFiles_, parent_); }

void TMainCommands::PasteClick() {
    TAnalyte& analyte = RequireAnalyte(QStringLiteral("No analyte. Cannot paste"));
    host_.LeaveSpecialPage(); // pasted points would move those a page's snapshot refers to
    RunImportDialog([&analyte](TWinImport& dialog) { dialog.FillFromClipboard(analyte); }, QStringLiteral("Bad clipboard format"));
}

void TMainCommands::ImportClick() {
    host_.LeaveSpecialPage();
    const QString file = exchangeFiles_->AskImportName(parent_);
    if (file.isEmpty()) return;
    if (IsLegacyFileName(file))
        ImportLegacyFile(file);
    else
        ImportTextFile(file);
}

void TMainCommands::ImportTextFile(const QString& file) {
    TAnalyte& analyte = RequireAnalyte(QStringLiteral("No analyte to import data"));
    // A file that cannot be read says why; only a text that is not one is a bad format.
    std::string bytes;
    try {
        bytes = ReadImportFile(file);
    } catch (const EQCError& e) {
        ShowError(FromAnsi(e.what()));
        return;
    }
    RunImportDialog([&](TWinImport& dialog) { dialog.FillFromText(bytes, analyte, QFileInfo(file).fileName()); },
                    QStringLiteral("Bad file format"));
}

void TMainCommands::ImportLegacyFile(const QString& file) {
    // Read aside first, so that the audit line can say what comes in; analytes read whole before
    // a fault come in all the same.
    TListAnalytes read;
    bool failed = false;
    try {
        const std::string path = QFile::encodeName(file).toStdString();
        const std::optional<std::string> bytes = ReadWholeFile(path);
        if (!bytes) throw EQCError("Cannot open " + path);
        ImportVersion2(*bytes, read);
    } catch (const std::exception&) {
        failed = true;
    }
    if (read.Count() > 0) {
        int runs = 0;
        for (int i = 0; i < read.Count(); ++i) runs += read[i].Count();
        const QJsonObject details{{QStringLiteral("file"), QFileInfo(file).fileName()},
                                  {QStringLiteral("kind"), QStringLiteral("version 2")},
                                  {QStringLiteral("analytes"), read.Count()},
                                  {QStringLiteral("runs"), runs}};
        Laboratory().EditReferenceData({AuditNote("import", {}, 0, details)}, [&] {
            while (read.Count() > 0) Analytes.Add(read.Extract(0));
        });
    }
    if (failed) ShowError(QStringLiteral("Cannot read data"));
}

// The runs the operator added are shown and on disk at once.
void TMainCommands::RunImportDialog(const std::function<void(TWinImport&)>& fill, const QString& failure) {
    try {
        fill(WinImport());
    } catch (const EAbortSilently&) {
        throw;
    } catch (const std::exception&) {
        ShowError(failure); // a text that cannot be read is said as the kind of text it is
        return;
    }
    if (WinImport().Execute(*host_.CurrentAnalyte())) host_.AfterSeriesChanged();
}

} // namespace tervanix
