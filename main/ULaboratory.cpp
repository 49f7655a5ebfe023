#include "main/ULaboratory.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

#include "main/UAnsi.h"
#include "main/UMessages.h"
#include "model/UAnalyte.h"
#include "model/UArchive.h"
#include "model/UAuditTrail.h"
#include "model/UDataLoadSave.h"
#include "model/UFormat.h"
#include "model/UFileStore.h"
#include "model/UGlobals.h"
#include "model/USettingsFile.h"
#include "model/UStudent.h"

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

namespace {

const char* const DataExtension = ".qcf";
const char* const QueueExtension = ".fif";
const char* const SettingsExtension = ".cfr";
const char* const GoalsExtension = ".goals";

QString Native(const std::string& path) { return QDir::toNativeSeparators(QFile::decodeName(path.c_str())); }

QString ReasonOf(const std::exception& e) {
    if (const auto* write = dynamic_cast<const EFileWriteError*>(&e)) return FromAnsi(write->Described());
    return FromAnsi(e.what());
}

} // namespace

// The file goes aside before anything can be written over it; when it cannot be moved, the
// program leaves it alone for the rest of its run.
void TLaboratory::KeepDamaged(const std::string& path, const QString& what) {
    std::string why;
    const std::optional<std::string> kept = KeepDamagedFile(path, &why);
    QString text = what;
    if (kept) {
        text += QStringLiteral("\rIt was kept as\r%1").arg(Native(*kept));
    } else {
        notToWrite_.push_back(path);
        text += QStringLiteral("\rIt could not be kept aside (%1): the program leaves\r%2\ras it is and does not write it.")
                    .arg(FromAnsi(why), Native(path));
    }
    ShowError(text);
}

bool TLaboratory::MayWrite(const std::string& path) const {
    return std::find(notToWrite_.begin(), notToWrite_.end(), path) == notToWrite_.end();
}

void TLaboratory::LoadSettings() {
    const std::string path = BasePath + SettingsExtension;
    const bool existed = FileExists(path);
    tervanix::LoadSettings(path);
    if (FirstRun && existed)
        KeepDamaged(path, QStringLiteral("The settings file could not be read: the default settings apply."));
}

void TLaboratory::LoadQueue() {
    const std::string path = BasePath + QueueExtension;
    validating_.reset();
    storedUnsaved_.clear();
    const auto bytes = ReadWholeFile(path);
    queueFileExisted_ = FileExists(path);
    if (bytes && Queue.Decode(*bytes)) return;
    Queue.Clear();
    if (queueFileExisted_)
        KeepDamaged(path, QStringLiteral("The queue file could not be read: the queue starts empty."));
}

void TLaboratory::FirstStartData(bool queueFileExisted) {
    const int queued = Queue.Count();
    CreateDefaultData();
    // Runs already waiting are the laboratory's: the demonstration adds none to them.
    if (queueFileExisted) Queue.RemoveLast(Queue.Count() - queued);
    // The data file marks the demonstration as made; the settings file, the first start as done.
    if (!SaveData()) return;
    QString why;
    if (!SaveQueue(&why)) ShowError(why);
    try {
        SaveSettingsFile();
    } catch (const std::exception&) {
        // Without it the next start is a first start again, which finds the data file.
    }
}

bool TLaboratory::LoadData() {
    correction_.reset(); // it belonged to the lists the file replaces
    const std::string path = BasePath + DataExtension;
    validating_.reset();
    storedUnsaved_.clear();
    bool read = true;
    try {
        LoadDataFile(path);
    } catch (const EDataFileError& e) {
        if (!FileExists(path) && FirstRun) {
            FirstStartData(queueFileExisted_ || FileExists(BasePath + QueueExtension));
        } else {
            read = false;
            const QString text = QStringLiteral("Cannot read data\r%1: %2").arg(Native(path), FromAnsi(e.Detail()));
            if (FileExists(path))
                KeepDamaged(path, text + QStringLiteral("\rThe program goes on with no data."));
            else
                ShowError(QStringLiteral("Cannot read data"));
        }
    }
    queueFileExisted_ = false;
    emit ReferenceDataChanged();
    emit QueueChanged();
    return read;
}

bool TLaboratory::SaveData() {
    // The change stays in memory when the file cannot be written: it is saved again at exit.
    try {
        WriteDataFile();
        return true;
    } catch (const std::exception& e) {
        ShowError(FromAnsi(e.what()));
        return false;
    }
}

void TLaboratory::WriteDataFile() {
    const std::string path = BasePath + DataExtension;
    if (!MayWrite(path)) throw EFileWriteError("Cannot save data", "the damaged file could not be kept aside");
    SaveDataFile(path);
    // The stored runs are in the file: they leave the queue file at its next write.
    if (!storedUnsaved_.empty()) {
        storedUnsaved_.clear();
        emit QueueChanged();
    }
}

void TLaboratory::SaveSettingsFile() {
    const std::string path = BasePath + SettingsExtension;
    if (!MayWrite(path)) throw EFileWriteError("Cannot save settings", "the damaged file could not be kept aside");
    WriteFileAtomic(path, EncodeSettingsFile(Settings, Operators), "Cannot save settings");
}

std::string TLaboratory::QueueImage() const {
    TFifo file;
    if (validating_) file.Push(*validating_);
    for (const TResu& run : storedUnsaved_) file.Push(run);
    std::string image = file.Encode();
    image += Queue.Encode();
    return image;
}

bool TLaboratory::SaveQueue(QString* why) { return SaveQueueTo(BasePath + QueueExtension, why); }

bool TLaboratory::SaveQueueTo(const std::string& path, QString* why) {
    try {
        if (!MayWrite(path)) throw EFileWriteError("Unable to save fifo", "the damaged file could not be kept aside");
        WriteFileAtomic(path, QueueImage(), "Unable to save fifo");
        return true;
    } catch (const std::exception& e) {
        if (why) *why = ReasonOf(e);
        return false;
    }
}

QStringList TLaboratory::SaveAll() {
    QStringList failures;
    try {
        WriteDataFile();
    } catch (const std::exception& e) {
        failures << ReasonOf(e);
    }
    QString why;
    if (!SaveQueue(&why)) failures << why;
    try {
        SaveSettingsFile();
    } catch (const std::exception& e) {
        failures << ReasonOf(e);
    }
    return failures;
}

TLaboratory::TExitSave TLaboratory::SaveForExit(bool ask, bool canStay) {
    PutBackCorrection(); // a run taken out for correction is written with the rest
    for (;;) {
        const QStringList failures = SaveAll();
        if (failures.isEmpty()) return TExitSave::Saved;
        QString text = failures.join(u'\r');
        if (!ask) {
            text.replace(u'\r', QStringLiteral("; "));
            std::fprintf(stderr, "Tervanix: %s (%s)\n", text.toLocal8Bit().constData(), ProgramDir.c_str());
            return canStay ? TExitSave::Stay : TExitSave::Discarded;
        }
        text += QStringLiteral("\r\rRetry to write the files again");
        if (canStay) text += QStringLiteral(", Cancel to go on working (nothing is lost)");
        text += QStringLiteral(", or exit without saving: the changes since the last save are lost.");
        switch (Messages().Show(text, TMsgType::Error,
                                canStay ? TMsgButtons::RetryCancelDiscard : TMsgButtons::RetryDiscard)) {
        case TMsgButton::Retry: continue;
        case TMsgButton::Discard: return TExitSave::Discarded;
        default:
            if (canStay) return TExitSave::Stay;
            return TExitSave::Discarded;
        }
    }
}

void TLaboratory::FreeAtExit() {
    validating_.reset();
    storedUnsaved_.clear();
    Analytes.FreeAll();
    Materials.Clear();
    Queue.Clear();
    Operators.Clear();
}

void TLaboratory::SaveAtExit() {
    SaveForExit(true, false);
    FreeAtExit();
}

// ---- Audit trail ----

std::string TLaboratory::AuditPath() const { return BasePath + ".adt"; }

void TLaboratory::Audit(TAuditNotes notes) {
    for (TAuditNote& note : notes)
        if (note.Source.empty()) note.Source = auditSource_;
    try {
        AppendAudit(AuditPath(), notes);
    } catch (const EAuditWriteError& e) {
        throw EQCError(QStringLiteral("Cannot write the audit trail\r%1: %2")
                           .arg(Native(e.Path()), FromAnsi(e.Reason()))
                           .toStdString());
    }
}

TLaboratory::TAuditSource::TAuditSource(std::string_view source) : previous_(Laboratory().auditSource_) {
    Laboratory().auditSource_ = std::string(source);
}

TLaboratory::TAuditSource::~TAuditSource() { Laboratory().auditSource_ = std::move(previous_); }

// ---- The road of a run ----

int TLaboratory::StoreRun(TAnalyte& analyte, const TResu& run) {
    QJsonObject details = RunDetails(run, analyte.LevelCount);
    details.insert(QStringLiteral("westgard"), WestgardMessages(analyte, run));
    Audit({AuditNote("run.stored", AuditAnalyteName(analyte), 0, details, FromAnsi(run.Operator))});
    // A recalled run stays in the queue file until the data file holds it.
    if (validating_) {
        storedUnsaved_.push_back(std::move(*validating_));
        validating_.reset();
    }
    const int index = analyte.AddPoint(run);
    analyte.RecomputeAll();
    emit SeriesChanged(&analyte);
    SaveData();
    return index;
}

namespace {

TAuditNote QueuedNote(const TResu& run) {
    return AuditNote("run.queued", FromAnsi(run.AnalyteName), 0, RunDetails(run, MaxLevels), FromAnsi(run.Operator));
}

TAuditNotes QueuedNotes(const std::vector<TResu>& runs) {
    TAuditNotes notes;
    for (const TResu& run : runs) notes.push_back(QueuedNote(run));
    return notes;
}

} // namespace

void TLaboratory::PushToQueue(TResu run) {
    Queue.Push(std::move(run));
    emit QueueChanged();
}

void TLaboratory::QueueRun(TResu run) {
    Audit({QueuedNote(run)});
    PushToQueue(std::move(run));
}

void TLaboratory::QueueRuns(std::vector<TResu> runs) {
    Audit(QueuedNotes(runs));
    for (TResu& run : runs) Queue.Push(std::move(run));
    emit QueueChanged();
}

std::optional<TResu> TLaboratory::RecallQueuedRun() {
    std::optional<TResu> run = Queue.Pop();
    if (!run) return run;
    validating_ = *run;
    emit QueueChanged();
    return run;
}

// The run was queued before: back in the queue, it is no new change of the record.
void TLaboratory::ReturnRecalledRun(TResu run) {
    validating_.reset();
    PushToQueue(std::move(run));
}

bool TLaboratory::QueueRunsDurably(std::vector<TResu> runs, const std::function<bool()>& store,
                                   const std::vector<std::string>& sources) {
    const int count = static_cast<int>(runs.size());
    TAuditNotes notes = QueuedNotes(runs);
    for (std::size_t i = 0; i < notes.size() && i < sources.size(); ++i) notes[i].Source = sources[i];
    // A run whose line cannot be written is not accepted: the client hears "not kept".
    try {
        Audit(std::move(notes));
    } catch (const EQCError&) {
        return false;
    }
    for (TResu& run : runs) Queue.Push(std::move(run));
    // Told first, so that the saver's own write, which the store makes now, is not repeated.
    emit QueueChanged();
    if (!store || store()) return true;
    Queue.RemoveLast(count);
    emit QueueChanged();
    return false;
}

void TLaboratory::ClearQueue() {
    Audit({AuditNote("queue.cleared", {}, 0, {{QStringLiteral("runs"), Queue.Count()}})});
    Queue.Clear();
    validating_.reset();
    emit QueueChanged();
}

TAnalyte& TLaboratory::AnalyteForQueuedRun(const TResu& run) {
    TAnalyte* analyte = Analytes.FindByName(run.AnalyteName);
    const int levelsBefore = analyte ? analyte->LevelCount : 0;
    const int levels = run.Levels[2].Status != qsNoValue ? 3 : run.Levels[1].Status != qsNoValue ? 2 : 1;
    if (analyte && levels <= levelsBefore) return *analyte;
    const QString name = FromAnsi(run.AnalyteName);
    if (!analyte) {
        Audit({AuditNote("analyte.added", name, 0,
                         {{QStringLiteral("unit"), QStringLiteral("mmol/L")}, {QStringLiteral("levels"), 3},
                          {QStringLiteral("why"), QStringLiteral("a queued run names it")}})});
        analyte = &Analytes.Add(std::make_unique<TAnalyte>(run.AnalyteName, "mmol/L", 2, 3, false));
    } else {
        Audit({AuditNote("analyte.changed", name, 0, {{QStringLiteral("levels"), BeforeAfter(levelsBefore, levels)}})});
        analyte->SetLevelCount(levels);
    }
    emit ReferenceDataChanged();
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
    EditSeries(analyte,
               {AuditNote("run.taken_for_correction", AuditAnalyteName(analyte), 0, PointDetails(analyte, index),
                          FromAnsi(taken.Original.Operator))},
               [&] { analyte.DeletePoint(index); });
    correction_ = std::move(taken);
}

void TLaboratory::EndCorrection() { correction_.reset(); }

void TLaboratory::PutBackCorrection() {
    if (!correction_) return;
    const TCorrection taken = std::move(*correction_);
    correction_.reset();
    if (Analytes.IndexOf(taken.Analyte) < 0) return; // its analyte was deleted, its runs with it
    TAnalyte& analyte = *taken.Analyte;
    // The run goes back whatever happens: leaving it out would lose it. A line that cannot be
    // written is said, and the trail keeps the run as taken out.
    try {
        Audit({AuditNote("run.put_back", AuditAnalyteName(analyte), 0, RunDetails(taken.Original, analyte.LevelCount),
                         FromAnsi(taken.Original.Operator))});
    } catch (const EQCError& e) {
        ShowError(QString::fromStdString(e.what()));
    }
    EditSeries(analyte, {}, [&] {
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

void TLaboratory::EditSeries(TAnalyte& analyte, const TAuditNotes& notes, const TEdit& edit) {
    Audit(notes);
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

namespace {

const char* LimitsAction(std::uint8_t mode) {
    return mode == lmLocked ? "limits.locked" : mode == lmFixed ? "limits.fixed" : "limits.unlocked";
}

// One note for each level whose limits the page changed.
TAuditNotes LimitsNotes(TAnalyte& analyte, const TLimitsSnapshot& opening) {
    const TLimitsSnapshot now = TLimitsSnapshot::Of(analyte);
    std::array<QJsonObject, MaxLevels> was;
    opening.RestoreInto(analyte);
    for (int level = 0; level < analyte.LevelCount && level < MaxLevels; ++level)
        was[static_cast<std::size_t>(level)] = LevelLimits(analyte, level);
    now.RestoreInto(analyte);
    TAuditNotes notes;
    for (int level = 0; level < analyte.LevelCount && level < MaxLevels; ++level) {
        const QJsonObject& before = was[static_cast<std::size_t>(level)];
        const QJsonObject is = LevelLimits(analyte, level);
        if (before == is) continue;
        notes.push_back(AuditNote(LimitsAction(now.LimitsMode[static_cast<std::size_t>(level)]),
                                  AuditAnalyteName(analyte), level + 1, BeforeAfter(before, is)));
    }
    return notes;
}

} // namespace

void TLaboratory::ConfirmLimits(TAnalyte& analyte, const TLimitsSnapshot& opening) {
    try {
        Audit(LimitsNotes(analyte, opening));
    } catch (const EQCError&) {
        RestoreLimits(analyte, opening);
        throw;
    }
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
    TAuditNotes notes;
    for (int level = 0; level < analyte.LevelCount && level < MaxLevels; ++level)
        if (marks[static_cast<std::size_t>(level)])
            notes.push_back(AuditNote("level.archived", AuditAnalyteName(analyte), level + 1,
                                      {{QStringLiteral("limits"), LevelLimits(analyte, level)}}));
    Audit(notes);
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
    // Confirmed, the switch was turned from the other position when the view opened.
    if (confirmed)
        Audit({AuditNote("common_cv.changed", AuditAnalyteName(analyte), 0,
                         {{QStringLiteral("common_cv"), BeforeAfter(!on, on)}})});
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

void TLaboratory::ChangeRisks(std::uint8_t alert, std::uint8_t action, std::uint8_t alertBefore,
                              std::uint8_t actionBefore) {
    const auto risk = [](std::uint8_t index) { return QString::fromLatin1(RiskPercentText(index)); };
    const QJsonObject details{{QStringLiteral("alert_risk"), BeforeAfter(risk(alertBefore), risk(alert))},
                              {QStringLiteral("action_risk"), BeforeAfter(risk(actionBefore), risk(action))}};
    try {
        Audit({AuditNote("risks.changed", {}, 0, details)});
    } catch (const EQCError&) {
        PreviewRisks(nullptr, alertBefore, actionBefore);
        for (int i = 0; i < Analytes.Count(); ++i) Analytes[i].RecomputeAll();
        emit ReferenceDataChanged();
        throw;
    }
    EditSettings({}, [&] {
        Settings.AlertRisk = alert;
        Settings.ActionRisk = action;
    });
    for (int i = 0; i < Analytes.Count(); ++i) Analytes[i].RecomputeAll();
    emit ReferenceDataChanged();
}

// ---- Reference data and settings ----

void TLaboratory::EditReferenceData(const TAuditNotes& notes, const TEdit& edit) {
    Audit(notes);
    PutBackCorrection(); // before its analyte may be deleted or replaced
    edit();
    for (int i = 0; i < Analytes.Count(); ++i) Analytes[i].RecomputeAll();
    emit ReferenceDataChanged();
    SaveData();
}

void TLaboratory::EditAnalyteDefinitions(const TAuditNotes& notes, const TEdit& edit) {
    // The analytes are known by their address across the edit: it keeps the surviving ones and
    // makes its new ones while the deleted ones are still held.
    std::vector<std::pair<const TAnalyte*, std::string>> before;
    for (int i = 0; i < Analytes.Count(); ++i) before.emplace_back(&Analytes[i], Analytes[i].Name.str());
    EditReferenceData(notes, edit);
    std::vector<TRename> renamed;
    std::vector<std::string> deleted;
    for (const auto& [analyte, name] : before) {
        if (Analytes.IndexOf(analyte) < 0) deleted.push_back(name);
        else if (analyte->Name.str() != name) renamed.push_back({name, analyte->Name.str()});
    }
    TQualityGoals carried = goals_;
    carried.Carry(renamed, deleted);
    if (!(carried == goals_)) ChangeGoals(carried);
}

// ---- Quality goals ----

void TLaboratory::LoadGoals() {
    const std::string path = BasePath + GoalsExtension;
    goals_ = {};
    if (FileExists(path)) ReadGoalsFile(path);
    emit GoalsChanged();
}

void TLaboratory::ReadGoalsFile(const std::string& path) {
    try {
        const auto bytes = ReadWholeFile(path);
        if (!bytes) throw EQCError(WhyUnreadable(path));
        goals_ = DecodeGoalsFile(*bytes);
    } catch (const EQCError& e) {
        KeepDamaged(path, QStringLiteral("The quality goals file could not be read (%1): the program starts without goals.")
                              .arg(FromAnsi(e.what())));
    }
}

bool TLaboratory::ChangeGoals(const TQualityGoals& goals) {
    const std::string path = BasePath + GoalsExtension;
    try {
        if (!MayWrite(path)) throw EFileWriteError("Cannot save the quality goals", "the damaged file could not be kept aside");
        Audit(GoalsNotes(goals_, goals));
        WriteFileAtomic(path, EncodeGoalsFile(goals), "Cannot save the quality goals");
    } catch (const std::exception& e) {
        ShowError(ReasonOf(e));
        return false;
    }
    goals_ = goals;
    emit GoalsChanged();
    return true;
}

void TLaboratory::EditSettings(const TAuditNotes& notes, const TEdit& edit) {
    Audit(notes);
    edit();
    try {
        SaveSettingsFile();
    } catch (const std::exception&) {
        // Written again at the next change and at exit, which says it when it fails.
    }
    emit SettingsChanged();
}

} // namespace tervanix
