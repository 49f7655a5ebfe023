// The main window's entry of a run, its road through validation into the series or the queue, and
// the recall and clearing of the queue.
#include <QApplication>
#include <QLineEdit>

#include "dialogs/UMotPass.h"
#include "main/ULaboratory.h"
#include "main/UMain.h"
#include "main/UMessages.h"
#include "main/UValidCQ.h"
#include "model/UAnalyte.h"
#include "model/UGlobals.h"

namespace tervanix {

// ---- Entry of a run ----

// Fields cleared without their run going on leave a correction: its original goes back.
void TWinMain::ClearEntryFields() {
    Laboratory().PutBackCorrection();
    entryPage_->ClearFields();
}

void TWinMain::ClearClick() {
    ClearEntryFields();
    LevelEdit(0)->setFocus();
}

void TWinMain::SubmitRun() {
    if (!current_) {
        ShowError(QStringLiteral("No analyte."));
        return;
    }
    LevelEdit(0)->setFocus();
    QApplication::processEvents(); // an edit in progress is finished first
    TResu run = entryPage_->ReadRun(*current_);
    if (!ValidateAndStore(*current_, run)) Laboratory().QueueRun(std::move(run));
    Laboratory().EndCorrection(); // the corrected run is stored or queued
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
    ClearEntryFields(); // a correction already begun is left first
    const int index = current_->IndexOf(point);
    if (index < 0) return;
    entryPage_->ShowRun(current_->Point(index), *current_);
    try {
        Laboratory().TakeForCorrection(*current_, index);
    } catch (...) {
        entryPage_->ClearFields(); // not taken out: it must not be stored a second time
        throw;
    }
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
            Laboratory().ReturnRecalledRun(std::move(run));
    } catch (...) {
        // A run that was neither stored nor handed back would be lost: it goes back in the queue.
        if (!handled) Laboratory().ReturnRecalledRun(std::move(run));
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
