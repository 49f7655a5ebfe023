// The one door through which the laboratory's QC record changes in the program: runs, limits,
// reference data, the queue and the settings. Each change is made here, the limits it touches are
// recomputed, what the operator confirmed is written at once, and the windows hear what changed
// and redraw from that; no window recomputes or saves by itself.
//
// The records themselves stay the program's global state (Analytes, Materials, Queue, Operators,
// Settings) that the core's files and queries work on; this object is their only writer. It is a
// QObject for its signals and holds no widget.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <string>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "model/UQualityGoals.h"
#include "main/UAuditNotes.h"
#include "model/UTypes.h"

namespace tervanix {

class TAnalyte;

// The limits of the three levels of one analyte as they were before a page began to change them.
struct TLimitsSnapshot {
    std::array<std::uint8_t, MaxLevels> LimitsMode{};
    std::array<std::int32_t, MaxLevels> LockFirst{};
    std::array<std::int32_t, MaxLevels> LockLast{};
    std::array<TLevelStats, MaxLevels> Current{};

    static TLimitsSnapshot Of(const TAnalyte& analyte);
    void RestoreInto(TAnalyte& analyte) const;
};

class TLaboratory : public QObject {
    Q_OBJECT
public:
    using TEdit = std::function<void()>;

    // ---- Files ----
    // At start, in this order: the settings, the queue, then the data. A settings, queue or data
    // file that exists but cannot be read is kept first (renamed "<file>.damaged-YYYYMMDD-HHMMSS",
    // KeepDamagedFile), so that nothing the program writes later goes over it, and the operator is
    // told where it is.
    // The settings file; FirstRun when there is none (or it was damaged).
    void LoadSettings();
    // The queue file; a damaged one gives an empty queue.
    void LoadQueue();
    // The data file, or the demonstration data on a first start (no settings file) without a data
    // file: written at once, the data file, the queue file (whose demonstration runs are added
    // only when there was no queue file) and then the settings file, so that a start that ends
    // in a crash never makes them again. False when the file could not be read (the lists are
    // then empty and the operator was told).
    bool LoadData();
    // The data file now. A failed write says "Cannot save data" and keeps the change in memory for
    // the exit save; false then.
    bool SaveData();

    // What the queue file holds: the run being validated (recalled, not yet stored), the runs
    // stored whose data file is not yet written, then the queue. A recalled run leaves the file
    // only once it is in the data file (or goes back to the queue's tail on Cancel).
    std::string QueueImage() const;
    // Writes the queue file now; false (and the reason in `why`) on failure.
    bool SaveQueue(QString* why = nullptr);
    bool SaveQueueTo(const std::string& path, QString* why);

    // At exit, before anything is freed: the data, the queue and the settings files. When one
    // cannot be written and `ask` is set, the operator chooses: Retry, Cancel (the program stays
    // open, nothing lost; only when `canStay`) or exit without saving. Without `ask` (a session
    // that ends, a program started by a client that has nothing more to do) the failure is one
    // line on stderr. True when the program may end.
    enum class TExitSave { Saved, Discarded, Stay };
    TExitSave SaveForExit(bool ask, bool canStay);
    // After the last exit save: the lists are emptied.
    void FreeAtExit();
    // SaveForExit(true, false) then FreeAtExit, the exit of a program that cannot stay open.
    void SaveAtExit();

    // ---- Audit trail ----
    // Every change writes its notes first: the audit file beside the data file holds them, flushed,
    // before the change is made. When they cannot be written, EQCError "Cannot write the audit
    // trail" with the path and the reason is thrown and the change must not be made. A change
    // of its own (outside the edits below) records itself with this one call.
    void Audit(TAuditNotes notes);
    std::string AuditPath() const;
    // While one lives, the changes come from that source (a bus client) instead of the program.
    class TAuditSource {
    public:
        explicit TAuditSource(std::string_view source);
        ~TAuditSource();
        TAuditSource(const TAuditSource&) = delete;
        TAuditSource& operator=(const TAuditSource&) = delete;

    private:
        std::string previous_;
    };

    // ---- The road of a run ----
    // A validated run into its series by date: limits recomputed, file written. The run's index.
    int StoreRun(TAnalyte& analyte, const TResu& run);
    // A run to the tail of the queue (Cancel of the validation, a bus client, the random generator).
    void QueueRun(TResu run);
    void QueueRuns(std::vector<TResu> runs);
    // The oldest queued run, out of the queue for its validation; nothing when it is empty. It
    // stays in the queue file until it is stored (StoreRun, then the data file written) or
    // handed back (ReturnRecalledRun).
    std::optional<TResu> RecallQueuedRun();
    // The recalled run not stored (Cancel of its validation): to the tail of the queue.
    void ReturnRecalledRun(TResu run);
    // Runs delivered by clients, answered only once on disk: queued, then `store` writes the queue
    // file. When it fails they leave the queue again (nothing half-accepted) and false comes back.
    // `sources`: where each run came from, for the audit trail ("automation", "command line").
    bool QueueRunsDurably(std::vector<TResu> runs, const std::function<bool()>& store,
                          const std::vector<std::string>& sources = {});
    void ClearQueue();
    // The analyte of a queued run, created (or given more levels) when the run needs it.
    TAnalyte& AnalyteForQueuedRun(const TResu& run);
    // A stored run taken out of its series to be corrected on the Enter page. The laboratory keeps
    // the original until the corrected run is handed on, so that it is never lost.
    void TakeForCorrection(TAnalyte& analyte, int index);
    // The corrected run went on its road (stored, or queued at validation): the original is done with.
    void EndCorrection();
    // The correction was left: its original run goes back into its series unchanged, the file is
    // written and CorrectionPutBack says so. Nothing when no run is out for correction.
    void PutBackCorrection();

    // ---- Series edited by a window (data table, import, paste, random runs, archives) ----
    // Runs the edit, recomputes the analyte's limits, writes the file and signals.
    // `notes` tell the audit trail what the edit does; written before it runs.
    void EditSeries(TAnalyte& analyte, const TAuditNotes& notes, const TEdit& edit);

    // ---- Limits on the Lock and Fix pages: shown at once, written on the page's OK ----
    // False when the interval holds too few values for the level: nothing changed then.
    bool LockLevel(TAnalyte& analyte, int level, int from, int to);
    void UnlockLevel(TAnalyte& analyte, int level);
    void FixLevel(TAnalyte& analyte, int level, long double target, long double warning, long double action);
    void UnfixLevel(TAnalyte& analyte, int level);
    // OK of a page: the limits shown are kept and written; the audit trail says what changed from
    // the limits of the page's opening (which come back when it cannot be written).
    void ConfirmLimits(TAnalyte& analyte, const TLimitsSnapshot& opening);
    // Cancel or Undo of a page: the limits of its opening come back.
    void RestoreLimits(TAnalyte& analyte, const TLimitsSnapshot& snapshot);
    // The marked levels written to their archive files and erased; a level that cannot be archived
    // stays and ends the erasing. The failure's text, empty when every marked level went.
    QString ArchiveLevels(TAnalyte& analyte, const std::array<bool, MaxLevels>& marks);
    // Common CV of the limits view: previewed while the view is open, written when confirmed.
    void SetCommonCV(TAnalyte& analyte, bool on, bool confirmed);

    // The statistical risks: previewed on the analyte shown while the dialog is open, applied to
    // every analyte and written with the settings on OK.
    void PreviewRisks(TAnalyte* shown, std::uint8_t alert, std::uint8_t action);
    // `alertBefore` and `actionBefore`: the risks at the dialog's opening, for the audit trail.
    void ChangeRisks(std::uint8_t alert, std::uint8_t action, std::uint8_t alertBefore, std::uint8_t actionBefore);

    // ---- Reference data (analytes, materials, assignments, restore, legacy import) ----
    // Runs the edit; every analyte's limits recomputed, the file written, the windows told.
    void EditReferenceData(const TAuditNotes& notes, const TEdit& edit);

    // "Definition of analytes": EditReferenceData, and the quality goals of the analytes the edit
    // renamed follow their new names, those of the analytes it deleted go (ChangeGoals).
    void EditAnalyteDefinitions(const TAuditNotes& notes, const TEdit& edit);

    // ---- Quality goals (TEa and targets, beside the data file) ----
    // At start, after the data: the goals file; none gives no goals, a damaged one is kept aside
    // (KeepDamaged) and the goals start empty.
    void LoadGoals();
    const TQualityGoals& Goals() const { return goals_; }
    // The goals written to their file at once and GoalsChanged signalled. When the file cannot be
    // written the operator is told and nothing changes: false.
    bool ChangeGoals(const TQualityGoals& goals);

    // ---- Settings (operators, options, password, start-up box) ----
    // Runs the edit and writes the settings file.
    void EditSettings(const TAuditNotes& notes, const TEdit& edit);

signals:
    // The points or limits of one analyte changed.
    void SeriesChanged(tervanix::TAnalyte* analyte);
    // Analytes were added, removed, renamed or replaced, or materials and assignments changed.
    void ReferenceDataChanged();
    void QueueChanged();
    void SettingsChanged();
    void GoalsChanged();
    // The one line that tells the operator a run taken out for correction is back.
    void CorrectionPutBack(const QString& line);

private:
    // A run taken out for correction: where it came from, as it was stored.
    struct TCorrection {
        TAnalyte* Analyte = nullptr;
        TResu Original;
        std::array<bool, MaxLevels> InLockedInterval{};
    };
    std::optional<TCorrection> correction_;

    void KeepDamaged(const std::string& path, const QString& what);
    void ReadGoalsFile(const std::string& path);
    bool MayWrite(const std::string& path) const;
    void FirstStartData(bool queueFileExisted);
    void WriteDataFile();
    void SaveSettingsFile();
    QStringList SaveAll();

    TQualityGoals goals_;
    void PushToQueue(TResu run);

    std::string auditSource_ = std::string(AuditFromProgram);
    std::vector<std::string> notToWrite_; // damaged files that could not be kept aside
    bool queueFileExisted_ = false;

    std::optional<TResu> validating_;  // recalled, its validation open
    std::vector<TResu> storedUnsaved_; // recalled and stored, the data file not yet written
};

// The program's laboratory.
TLaboratory& Laboratory();

} // namespace tervanix
