// The main window's entry of a run, its road through validation into the series or the queue, and
// the recall and clearing of the queue.
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QTimeEdit>

#include "dialogs/UMotPass.h"
#include "main/UAnsi.h"
#include "main/UDateTimeEdits.h"
#include "main/ULaboratory.h"
#include "main/UMain.h"
#include "main/UMessages.h"
#include "main/UReaders.h"
#include "main/UValidCQ.h"
#include "model/UAnalyte.h"
#include "model/UClock.h"
#include "model/UFormat.h"
#include "model/UGlobals.h"

namespace tervanix {

// ---- Entry of a run ----

void TWinMain::ClearEntryFields() {
    for (TLevelRow& row : levelRows_) row.Edit->clear();
    datePicker_->setDate(QDateOf(Today()));
    timePicker_->setTime(QTimeOf(Now()));
    editComment_->clear();
    cbOperator_->setEditText(QString());
}

void TWinMain::ClearClick() {
    ClearEntryFields();
    levelRows_[0].Edit->setFocus();
}

void TWinMain::FillOperatorList() {
    cbOperator_->clear();
    for (const std::string& code : Operators.Items()) cbOperator_->addItem(FromAnsi(code));
    cbOperator_->setEditText(QString());
}

TResu TWinMain::ReadEnteredRun() {
    TResu run;
    run.StandaloneFlag = 1;
    run.AnalyteName = current_->Name.str();
    run.Comment = ToAnsi(editComment_->text().trimmed());
    run.Operator = ToAnsi(cbOperator_->currentText().trimmed());
    run.DateTime = DateTimeOf(datePicker_->date(), timePicker_->time());
    bool anyValue = false;
    for (int level = 0; level < current_->LevelCount && level < MaxLevels; ++level) {
        run.Levels[static_cast<std::size_t>(level)] = ReadLevelResult(LevelEdit(level));
        anyValue = anyValue || run.Levels[static_cast<std::size_t>(level)].Status != qsNoValue;
    }
    if (!anyValue) {
        ShowError(QStringLiteral("No data"));
        datePicker_->setFocus();
        throw EAbortSilently();
    }
    return run;
}

void TWinMain::SubmitRun() {
    if (!current_) {
        ShowError(QStringLiteral("No analyte."));
        return;
    }
    levelRows_[0].Edit->setFocus();
    QApplication::processEvents(); // an edit in progress is finished first
    TResu run = ReadEnteredRun();
    if (!ValidateAndStore(*current_, run)) Laboratory().QueueRun(std::move(run));
    ClearEntryFields();
    ApplyBackupReminder();
}

bool TWinMain::ValidateAndStore(TAnalyte& analyte, TResu& run) {
    ClassifyRun(analyte, run);
    bool accepted = false;
    if (validation_) {
        accepted = validation_(analyte, run);
    } else {
        if (!winValidCQ_) winValidCQ_ = new TWinValidCQ(this);
        accepted = winValidCQ_->Execute(analyte, run);
    }
    if (accepted) StoreRun(analyte, run);
    return accepted;
}

void TWinMain::StoreRun(TAnalyte& analyte, const TResu& run) {
    const int index = Laboratory().StoreRun(analyte, run);
    // The stored run is the one shown selected.
    if (&analyte == current_) chart_->SelectPoint(index);
}

void TWinMain::LoadPointForCorrection(const TQCPoint* point) {
    if (!current_) return;
    const int index = current_->IndexOf(point);
    if (index < 0) return;
    const TQCPoint& p = current_->Point(index);
    datePicker_->setDate(QDateOf(p.DateTime));
    timePicker_->setTime(QTimeOf(p.DateTime));
    cbOperator_->setEditText(FromAnsi(p.Operator.str()));
    for (int level = 0; level < current_->LevelCount && level < MaxLevels; ++level) {
        const TLevelResult& r = p.Levels[static_cast<std::size_t>(level)];
        LevelEdit(level)->setText(r.Status == qsNoValue ? QString() : FromAnsi(FormatFixed(r.Value, 8, current_->Decimals)));
    }
    editComment_->setText(p.CommentId >= 0 ? FromAnsi(current_->CommentText(p.CommentId)) : QString());
    Laboratory().TakeForCorrection(*current_, index);
}

// ---- Queue ----

void TWinMain::RecallQueuedRun() {
    LeaveSpecialPage(); // a stored run moves the points that a page's snapshot refers to
    if (Queue.Count() == 0) {
        ShowError(QStringLiteral("Nothing in the queue"));
        ApplyBackupReminder();
        return;
    }
    TResu run = std::move(*Laboratory().RecallQueuedRun());
    bool handled = false;
    try {
        TAnalyte& analyte = Laboratory().AnalyteForQueuedRun(run);
        if (&analyte != current_) {
            current_ = &analyte;
            RebuildAnalyteList();
        }
        const bool stored = ValidateAndStore(analyte, run);
        handled = true;
        if (stored)
            ClearEntryFields();
        else
            Laboratory().QueueRun(std::move(run));
    } catch (...) {
        // A run that was neither stored nor handed back would be lost: it goes back in the queue.
        if (!handled) Laboratory().QueueRun(std::move(run));
        throw;
    }
    ApplyBackupReminder();
}

void TWinMain::ClearQueue() {
    if (Queue.Count() == 0) {
        ShowError(QStringLiteral("Nothing in the queue."));
        return;
    }
    if (!Settings.Password.empty() && !AskPassword(this)) return;
    if (!Confirm(QStringLiteral("Erase ") + QString::number(Queue.Count()) +
                 QStringLiteral(" control points in the queue ?")))
        return;
    Laboratory().ClearQueue();
}

} // namespace tervanix
