// The main window's commands that open the other windows: reference data, the data table and chart
// printing, the limits view, daily summary and risks, backup and restore, archives, the random
// generator, operators and options, and the exchange of series as text.
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QTimer>
#include <QToolButton>

#include "charts/UDailyQC.h"
#include "charts/UPrnCharts.h"
#include "charts/UShowLimits.h"
#include "dialogs/UAbout.h"
#include "dialogs/UAnimCopyFic.h"
#include "dialogs/UArchives.h"
#include "dialogs/UDefAnalytes.h"
#include "dialogs/UDefSerum.h"
#include "dialogs/UEmployees.h"
#include "dialogs/UImport.h"
#include "dialogs/UNewPsw.h"
#include "dialogs/UOptions.h"
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
#include "main/UMain.h"
#include "main/UMessages.h"
#include "model/UAnalyte.h"
#include "model/UBackup.h"
#include "model/UCompatibilityMorvelle.h"
#include "model/UGlobals.h"

namespace tervanix {

// ---- Reference data ----

// A special page's snapshot refers to points that these dialogs may erase: the page is left first.
void TWinMain::AnalytesClick() {
    LeaveSpecialPage();
    if (!winDefAnalytes_) winDefAnalytes_ = new TWinDefAnalytes(this);
    winDefAnalytes_->exec();
}

void TWinMain::ControlMaterialsClick() {
    LeaveSpecialPage();
    if (!winDefSerum_) winDefSerum_ = new TWinDefSerum(this);
    winDefSerum_->exec();
}

void TWinMain::AssignLotsClick() {
    if (!current_) {
        ShowError(QStringLiteral("No analyte."));
        return;
    }
    LeaveSpecialPage();
    if (!winSerumByAnal_) winSerumByAnal_ = new TWinSerumByAnal(this);
    winSerumByAnal_->Execute(*current_);
}

// The password dialog is kept for the whole run; the settings file is written on OK.
void TWinMain::PasswordClick() {
    if (!winNewPsw_) winNewPsw_ = new TWinNewPsw(this);
    ChangePassword(*winNewPsw_);
}

// A fresh setup dialog each time, released when it closes.
void TWinMain::ShortCutsClick() {
    TWinSetUp setUp(this);
    setUp.exec();
}

void TWinMain::DailyClick() {
    if (!winDailyQC_) winDailyQC_ = new TWinDailyQC(this);
    winDailyQC_->exec();
}

void TWinMain::LimitsClick() {
    if (!current_) {
        ShowError(QStringLiteral("No analyte."));
        return;
    }
    if (!winShowLimits_) winShowLimits_ = new TWinShowLimits(this);
    winShowLimits_->Execute(*current_);
}

// Every click of the dialog is previewed on the current analyte; on OK every analyte follows.
void TWinMain::RisksClick() {
    if (!winRisks_) winRisks_ = new TWinRisks([this] { return current_; }, this);
    ChangeRisks(*winRisks_);
}

TWinAbout& TWinMain::About() {
    if (!winAbout_) winAbout_ = new TWinAbout(this);
    return *winAbout_;
}

// ---- Data table and chart printing ----

TWinShowData& TWinMain::WinShowData() {
    if (!winShowData_) winShowData_ = new TWinShowData(this);
    return *winShowData_;
}

TWinPrnCharts& TWinMain::WinPrnCharts() {
    if (!winPrnCharts_) winPrnCharts_ = new TWinPrnCharts(this);
    return *winPrnCharts_;
}

void TWinMain::DataTableClick() {
    if (!current_) {
        ShowError(QStringLiteral("No analyte."));
        return;
    }
    LeaveSpecialPage();
    TWinShowData& table = WinShowData();
    if (table.Execute(*current_, SelectedPoint()) != QDialog::Accepted) return;
    if (table.HandedBackPoint()) LoadPointForCorrection(table.HandedBackPoint());
    AfterSeriesChanged();
}

void TWinMain::PrintChartsClick() {
    if (!current_ || current_->Count() == 0) {
        ShowError(QStringLiteral("Nothing to print"));
        return;
    }
    WinPrnCharts().Execute(*current_, Materials);
}

// ---- Backup and restore ----

void TWinMain::SetDriveMap(std::unique_ptr<IDriveMap> drives) { drives_ = std::move(drives); }

namespace {

// The command runs under the hourglass; a failure goes on to the command runner, which says it.
template <typename Command>
void RunUnderHourglass(Command command) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    command();
    QApplication::restoreOverrideCursor();
}

} // namespace

void TWinMain::BackupClick() {
    if (!drives_) drives_ = std::make_unique<TVolumeDriveMap>();
    if (!winAnimCopyFic_) winAnimCopyFic_ = new TWinAnimCopyFic(this);
    TQtBackupUi ui(*winAnimCopyFic_);
    RunUnderHourglass([&] { BackupToDiskette(ui, *drives_); });
    timerBackUp_->stop();
    shapeBackUp_->SetColour(clLime);
}

void TWinMain::RestoreClick() {
    LeaveSpecialPage();
    if (!drives_) drives_ = std::make_unique<TVolumeDriveMap>();
    if (!winAnimCopyFic_) winAnimCopyFic_ = new TWinAnimCopyFic(this);
    TQtBackupUi ui(*winAnimCopyFic_);
    // The analytes in memory are replaced: the current one is found again by its name.
    const std::string currentName = current_ ? current_->Name.str() : std::string();
    Laboratory().EditReferenceData([&] {
        RunUnderHourglass([&] { RestoreFromDiskette(ui, *drives_); });
        current_ = Analytes.FindByName(currentName);
    });
    ShowInformation(QStringLiteral("Restore OK"));
}

// ---- Archives, random generator, operators and backup options ----

// Deleted archives leave the analyte's list at once on disk too, so that a later archive that
// takes a freed number is never listed for this analyte.
void TWinMain::ArchivesClick() {
    if (!current_) {
        ShowError(QStringLiteral("No analyte."));
        return;
    }
    if (!winArchives_) winArchives_ = new TWinArchives(this);
    winArchives_->Execute(*current_);
}

// Runs sent to the queue are written to the queue file like any queue change; runs put into the
// series are on disk at once, like an accepted run.
void TWinMain::RandomClick() {
    if (!current_) {
        ShowError(QStringLiteral("No analyte"));
        return;
    }
    if (!winRandom_) winRandom_ = new TWinRandom(this);
    if (!winRandom_->Execute(*current_) || winRandom_->ToQueue()) return;
    if (pageTag_ != 0) {
        pageControl_->setCurrentWidget(entryPage_);
        pageTag_ = 0;
    }
    chart_->ClearDateInterval();
    chart_->SelectPoint(winRandom_->LastAdded());
}

void TWinMain::OperatorsClick() {
    if (!winEmployees_) winEmployees_ = new TWinEmployees(this);
    EditOperators(*winEmployees_);
}

void TWinMain::OptionsClick() {
    if (!winOptions_) winOptions_ = new TWinOptions(this);
    winOptions_->Execute();
}

// ---- Exchange: Copy, Paste, Export, Import ----

TWinImport& TWinMain::WinImport() {
    if (!winImport_) winImport_ = new TWinImport(this);
    return *winImport_;
}

void TWinMain::CopyClick() { CopySeries(current_); }

void TWinMain::ExportClick() { ExportSeries(current_, *exchangeFiles_, this); }

void TWinMain::PasteClick() {
    if (Analytes.Count() == 0 || !current_) {
        ShowError(QStringLiteral("No analyte. Cannot paste"));
        return;
    }
    LeaveSpecialPage(); // pasted points would move those a page's snapshot refers to
    RunImportDialog([this](TWinImport& dialog) { dialog.FillFromClipboard(*current_); }, QStringLiteral("Bad clipboard format"));
}

void TWinMain::ImportClick() {
    LeaveSpecialPage();
    const QString file = exchangeFiles_->AskImportName(this);
    if (file.isEmpty()) return;
    if (IsLegacyFileName(file))
        ImportLegacyFile(file);
    else
        ImportTextFile(file);
}

void TWinMain::ImportTextFile(const QString& file) {
    if (Analytes.Count() == 0 || !current_) {
        ShowError(QStringLiteral("No analyte to import data"));
        return;
    }
    RunImportDialog([this, &file](TWinImport& dialog) { dialog.FillFromText(ReadImportFile(file), *current_); },
                    QStringLiteral("Bad file format"));
}

void TWinMain::ImportLegacyFile(const QString& file) {
    bool failed = false;
    // Analytes read whole before a fault stay in the list: they are shown and kept on disk.
    Laboratory().EditReferenceData([&] {
        try {
            ImportVersion2File(QFile::encodeName(file).toStdString());
        } catch (const std::exception&) {
            failed = true;
        }
    });
    if (failed) ShowError(QStringLiteral("Cannot read data"));
}

// The runs the operator added are shown and on disk at once.
void TWinMain::RunImportDialog(const std::function<void(TWinImport&)>& fill, const QString& failure) {
    try {
        fill(WinImport());
    } catch (const EAbortSilently&) {
        throw;
    } catch (const std::exception&) {
        ShowError(failure); // a text that cannot be read is said as the kind of text it is
        return;
    }
    if (WinImport().Execute(*current_)) AfterSeriesChanged();
}

} // namespace tervanix
