#include "main/ULaboratory.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "main/UAnsi.h"
#include "main/UMessages.h"
#include "model/UAnalyte.h"
#include "model/UArchive.h"
#include "model/UDataLoadSave.h"
#include "model/UFormat.h"
#include "model/UGlobals.h"
#include "model/USettingsFile.h"

namespace tervanix {

// ---- Limits snapshot ----

TLimitsSnapshot TLimitsSnapshot::Of(const TAnalyte& analyte) {
    return {analyte.LimitsMode, analyte.LockFirst, analyte.LockLast, analyte.Current};
}

void TLimitsSnapshot::RestoreInto(TAnalyte& analyte) const {
    analyte.LimitsMode = LimitsMode;
    analyte.LockFirst = LockFirst;
    analyte.LockLast = LockLast;
    analyte.Current = Current;
}

TLaboratory& Laboratory() {
    static TLaboratory laboratory;
    return laboratory;
}

// ---- Files ----

bool TLaboratory::LoadData() {
    correction_.reset(); // it belonged to the lists the file replaces
    bool read = true;
    try {
        LoadDataFile(BasePath + ".qcf");
    } catch (const std::exception&) {
        read = FirstRun;
        if (FirstRun) CreateDefaultData();
    }
    emit ReferenceDataChanged();
    emit QueueChanged();
    return read;
}

bool TLaboratory::SaveData() {
    // The change stays in memory when the file cannot be written: it is saved again at exit.
    try {
        SaveDataFile(BasePath + ".qcf");
        return true;
    } catch (const std::exception& e) {
        ShowError(FromAnsi(e.what()));
        return false;
    }
}

void TLaboratory::SaveAtExit() {
    PutBackCorrection(); // written with the rest below
    try {
        SaveDataFile(BasePath + ".qcf");
    } catch (const std::exception&) {
        ShowError(QStringLiteral("Cannot save data"));
    }
    Analytes.FreeAll();
    Materials.Clear();
    try {
        Queue.Save(BasePath + ".fif");
    } catch (const std::exception&) {
        ShowError(QStringLiteral("Unable to save fifo"));
    }
    Queue.Clear();
    SaveSettings();
    Operators.Clear();
}

// ---- The road of a run ----

int TLaboratory::StoreRun(TAnalyte& analyte, const TResu& run) {
    const int index = analyte.AddPoint(run);
    analyte.RecomputeAll();
    emit SeriesChanged(&analyte);
    SaveData();
    return index;
}

void TLaboratory::QueueRun(TResu run) {
    Queue.Push(std::move(run));
    emit QueueChanged();
}

void TLaboratory::QueueRuns(std::vector<TResu> runs) {
    for (TResu& run : runs) Queue.Push(std::move(run));
    emit QueueChanged();
}

std::optional<TResu> TLaboratory::RecallQueuedRun() {
    std::optional<TResu> run = Queue.Pop();
    if (run) emit QueueChanged();
    return run;
}

void TLaboratory::ClearQueue() {
    Queue.Clear();
    emit QueueChanged();
}

TAnalyte& TLaboratory::AnalyteForQueuedRun(const TResu& run) {
    bool changed = false;
    TAnalyte* analyte = Analytes.FindByName(run.AnalyteName);
    if (!analyte) {
        analyte = &Analytes.Add(std::make_unique<TAnalyte>(run.AnalyteName, "mmol/L", 2, 3, false));
        changed = true;
    }
    if (run.Levels[2].Status != qsNoValue && analyte->LevelCount < 3) {
        analyte->SetLevelCount(3);
        changed = true;
    } else if (run.Levels[1].Status != qsNoValue && analyte->LevelCount == 1) {
        analyte->SetLevelCount(2);
        changed = true;
    }
    if (changed) emit ReferenceDataChanged();
    return *analyte;
}

void TLaboratory::TakeForCorrection(TAnalyte& analyte, int index) {
    const TQCPoint& point = analyte.Point(index);
    TCorrection taken{&analyte, {}, {}};
    taken.Original.DateTime = point.DateTime;
    taken.Original.Levels = point.Levels; // statuses as judged when it was stored
    taken.Original.Operator = point.Operator.str();
    taken.Original.Comment = analyte.CommentText(point.CommentId);
    taken.Original.AnalyteName = analyte.Name.str();
    for (int l = 0; l < analyte.LevelCount; ++l) {
        const auto level = static_cast<std::size_t>(l);
        taken.InLockedInterval[level] = analyte.LimitsMode[level] == lmLocked && analyte.LockFirst[level] <= index &&
                                        index <= analyte.LockLast[level];
    }
    EditSeries(analyte, [&] { analyte.DeletePoint(index); });
    correction_ = std::move(taken);
}

void TLaboratory::EndCorrection() { correction_.reset(); }

void TLaboratory::PutBackCorrection() {
    if (!correction_) return;
    const TCorrection taken = std::move(*correction_);
    correction_.reset();
    if (Analytes.IndexOf(taken.Analyte) < 0) return; // its analyte was deleted, its runs with it
    TAnalyte& analyte = *taken.Analyte;
    EditSeries(analyte, [&] {
        const int index = analyte.AddPoint(taken.Original);
        // A run that lay inside a locked interval lies there again.
        for (int l = 0; l < analyte.LevelCount; ++l) {
            const auto level = static_cast<std::size_t>(l);
            if (!taken.InLockedInterval[level] || analyte.LimitsMode[level] != lmLocked) continue;
            analyte.LockFirst[level] = std::min(analyte.LockFirst[level], index);
            analyte.LockLast[level] = std::max(analyte.LockLast[level], index);
        }
    });
    const TDateTime when = taken.Original.DateTime;
    emit CorrectionPutBack(QStringLiteral("The run of %1 %2 taken out for correction is back in %3 unchanged.")
                               .arg(FromAnsi(FormatDate(when)), FromAnsi(FormatTime(when)),
                                    FromAnsi(taken.Original.AnalyteName)));
}

void TLaboratory::EditSeries(TAnalyte& analyte, const TEdit& edit) {
    edit();
    analyte.RecomputeAll();
    emit SeriesChanged(&analyte);
    SaveData();
}

// ---- Limits ----

bool TLaboratory::LockLevel(TAnalyte& analyte, int level, int from, int to) {
    // The whole level is kept, limits included: a level that was fixed gets its own values back.
    const TLimitsSnapshot before = TLimitsSnapshot::Of(analyte);
    const auto l = static_cast<std::size_t>(level);
    analyte.LockFirst[l] = from;
    analyte.LockLast[l] = to;
    analyte.LimitsMode[l] = lmLocked;
    analyte.RecomputeAll();
    const bool locked = analyte.LimitsMode[l] == lmLocked;
    if (!locked) {
        before.RestoreInto(analyte);
        analyte.RecomputeAll();
    }
    emit SeriesChanged(&analyte);
    return locked;
}

void TLaboratory::UnlockLevel(TAnalyte& analyte, int level) {
    const auto l = static_cast<std::size_t>(level);
    analyte.LockFirst[l] = analyte.LockLast[l] = -1;
    analyte.LimitsMode[l] = lmMobile;
    analyte.RecomputeAll();
    emit SeriesChanged(&analyte);
}

void TLaboratory::FixLevel(TAnalyte& analyte, int level, long double target, long double warning,
                           long double action) {
    const auto l = static_cast<std::size_t>(level);
    TLevelStats& c = analyte.Current[l];
    c.Mean = target;
    c.AlertHalfWidth = warning;
    c.ActionHalfWidth = action;
    analyte.LimitsMode[l] = lmFixed;
    analyte.RecomputeAll();
    emit SeriesChanged(&analyte);
}

void TLaboratory::UnfixLevel(TAnalyte& analyte, int level) {
    analyte.LimitsMode[static_cast<std::size_t>(level)] = lmMobile;
    analyte.RecomputeAll();
    emit SeriesChanged(&analyte);
}

void TLaboratory::ConfirmLimits(TAnalyte& analyte) {
    emit SeriesChanged(&analyte);
    SaveData();
}

void TLaboratory::RestoreLimits(TAnalyte& analyte, const TLimitsSnapshot& snapshot) {
    snapshot.RestoreInto(analyte);
    emit SeriesChanged(&analyte);
}

QString TLaboratory::ArchiveLevels(TAnalyte& analyte, const std::array<bool, MaxLevels>& marks) {
    // Each level is written to its archive file before it is erased; the levels erased before a
    // failure are saved all the same.
    QString failure;
    int erased = 0;
    for (int level = 0; level < analyte.LevelCount && level < MaxLevels && failure.isEmpty(); ++level) {
        if (!marks[static_cast<std::size_t>(level)]) continue;
        try {
            ArchiveLevel(analyte, level);
            ++erased;
        } catch (const std::exception& e) {
            failure = FromAnsi(e.what());
        }
    }
    analyte.RecomputeAll();
    emit SeriesChanged(&analyte);
    if (erased > 0) SaveData();
    return failure;
}

void TLaboratory::SetCommonCV(TAnalyte& analyte, bool on, bool confirmed) {
    const bool changed = analyte.HasOption(aoCommonCV) != on;
    if (on)
        analyte.Options |= aoCommonCV;
    else
        analyte.Options &= static_cast<TAnalyteOptions>(~aoCommonCV);
    if (changed) {
        analyte.RecomputeAll();
        emit SeriesChanged(&analyte);
    }
    if (confirmed) SaveData();
}

void TLaboratory::PreviewRisks(TAnalyte* shown, std::uint8_t alert, std::uint8_t action) {
    Settings.AlertRisk = alert;
    Settings.ActionRisk = action;
    if (!shown) return;
    shown->RecomputeAll();
    emit SeriesChanged(shown);
}

void TLaboratory::ChangeRisks(std::uint8_t alert, std::uint8_t action) {
    EditSettings([&] {
        Settings.AlertRisk = alert;
        Settings.ActionRisk = action;
    });
    for (int i = 0; i < Analytes.Count(); ++i) Analytes[i].RecomputeAll();
    emit ReferenceDataChanged();
}

// ---- Reference data and settings ----

void TLaboratory::EditReferenceData(const TEdit& edit) {
    PutBackCorrection(); // before its analyte may be deleted or replaced
    edit();
    for (int i = 0; i < Analytes.Count(); ++i) Analytes[i].RecomputeAll();
    emit ReferenceDataChanged();
    SaveData();
}

void TLaboratory::EditSettings(const TEdit& edit) {
    edit();
    try {
        SaveSettings();
    } catch (const std::exception& e) {
        ShowError(FromAnsi(e.what()));
    }
    emit SettingsChanged();
}

} // namespace tervanix
