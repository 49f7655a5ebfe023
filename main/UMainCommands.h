// The commands of the main window that open the other windows: reference data, the data table and
// chart printing, the limits view, daily summary and risks, password and shortcuts, backup and
// restore, archives, the random generator, operators and options, and the exchange of series as
// text. The windows are made at their first use and kept; what they change goes through the
// laboratory.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "model/UTypes.h"

class QWidget;

namespace tervanix {

class IDriveMap;
class TAnalyte;
class TExchangeFiles;
class TWinAbout;
class TWinAnimCopyFic;
class TWinArchives;
class TWinAuditTrail;
class TWinDailyQC;
class TWinDefAnalytes;
class TWinDefSerum;
class TWinEmployees;
class TWinImport;
class TWinMonthlySummary;
class TWinNewPsw;
class TWinOptions;
class TWinPrnCharts;
class TWinQualityGoals;
class TWinRandom;
class TWinRisks;
class TWinSerumByAnal;
class TWinShowData;
class TWinShowLimits;

// What the commands need of the main window.
class ICommandHost {
public:
    virtual ~ICommandHost() = default;
    virtual TAnalyte* CurrentAnalyte() const = 0;
    virtual int SelectedPoint() const = 0;
    // A special page's snapshot refers to points a command may move: the page is left first.
    virtual void LeaveSpecialPage() = 0;
    virtual void LoadPointForCorrection(const TQCPoint* point) = 0;
    // The series lost or gained points: no point selected, chart window renewed.
    virtual void AfterSeriesChanged() = 0;
    // Back on the Enter page with the run of `index` of the current series selected.
    virtual void ShowStoredRun(int index) = 0;
    // The backup is done: its reminder stops.
    virtual void BackupDone() = 0;
};

class TMainCommands : public QObject {
public:
    // The windows are children of `parent` (the main window).
    TMainCommands(ICommandHost& host, QWidget* parent);
    ~TMainCommands() override;

    // The windows made at start so that the first command does not wait for them.
    void CreateWindows();

    void AnalytesClick();
    void ControlMaterialsClick();
    void AssignLotsClick();
    void PasswordClick();
    void ShortCutsClick();
    void DailyClick();
    void LimitsClick();
    void RisksClick();
    void DataTableClick();
    void PrintChartsClick();
    void BackupClick();
    void RestoreClick();
    void ArchivesClick();
    void RandomClick();
    void OperatorsClick();
    void OptionsClick();
    void CopyClick();
    void PasteClick();
    void ExportClick();
    void ImportClick();
    // The quality goals: TEa, targets, Sigma and its rules (Parameters > Quality goals).
    void QualityGoalsClick();
    // The monthly QC summary (File > Monthly summary).
    void MonthlySummaryClick();
    // Special functions › Audit trail.
    void AuditTrailClick();

    // Replaces the machine's volumes as backup drives (tests).
    void SetDriveMap(std::unique_ptr<IDriveMap> drives);
    TWinAbout& About();
    TWinImport& WinImport();
    TWinShowData& WinShowData();
    TWinPrnCharts& WinPrnCharts();
    TExchangeFiles& ExchangeFiles() { return *exchangeFiles_; }
    TWinArchives* WinArchives() const { return winArchives_; }
    TWinAuditTrail* WinAuditTrail() const { return winAuditTrail_; }
    TWinRandom* WinRandom() const { return winRandom_; }
    TWinEmployees* WinEmployees() const { return winEmployees_; }
    TWinOptions* WinOptions() const { return winOptions_; }
    TWinQualityGoals& WinQualityGoals();
    TWinMonthlySummary& WinMonthlySummary();

private:
    // The current analyte, or "No analyte." said and the command stopped.
    TAnalyte& RequireAnalyte(const QString& refusal);
    IDriveMap& Drives();
    TWinAnimCopyFic& CopyAnimation();
    void ImportTextFile(const QString& file);
    void ImportLegacyFile(const QString& file);
    void RunImportDialog(const std::function<void(TWinImport&)>& fill, const QString& failure);

    ICommandHost& host_;
    QWidget* parent_;
    std::unique_ptr<TExchangeFiles> exchangeFiles_;
    std::unique_ptr<IDriveMap> drives_;
    TWinAbout* winAbout_ = nullptr;
    TWinAnimCopyFic* winAnimCopyFic_ = nullptr;
    TWinArchives* winArchives_ = nullptr;
    TWinAuditTrail* winAuditTrail_ = nullptr;
    TWinDailyQC* winDailyQC_ = nullptr;
    TWinDefAnalytes* winDefAnalytes_ = nullptr;
    TWinDefSerum* winDefSerum_ = nullptr;
    TWinEmployees* winEmployees_ = nullptr;
    TWinImport* winImport_ = nullptr;
    TWinNewPsw* winNewPsw_ = nullptr;
    TWinOptions* winOptions_ = nullptr;
    TWinPrnCharts* winPrnCharts_ = nullptr;
    TWinQualityGoals* winQualityGoals_ = nullptr;
    TWinMonthlySummary* winMonthlySummary_ = nullptr;
    TWinRandom* winRandom_ = nullptr;
    TWinRisks* winRisks_ = nullptr;
    TWinSerumByAnal* winSerumByAnal_ = nullptr;
    TWinShowData* winShowData_ = nullptr;
    TWinShowLimits* winShowLimits_ = nullptr;
};

} // namespace tervanix
