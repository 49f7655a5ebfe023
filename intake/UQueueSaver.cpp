#include "intake/UQueueSaver.h"

#include <QTimer>
#include <cstdio>

#include "model/UGlobals.h"

namespace tervanix {

TQueueSaver::TQueueSaver(std::string path, QObject* parent)
    : QObject(parent), path_(std::move(path)), timer_(new QTimer(this)) {
    timer_->setSingleShot(true);
    timer_->setInterval(DelayMs);
    connect(timer_, &QTimer::timeout, this, &TQueueSaver::Save);
}

bool TQueueSaver::Pending() const { return timer_->isActive(); }

void TQueueSaver::QueueChanged() {
    // Not restarted by later changes: a steady stream of runs must not put the write off forever.
    if (!timer_->isActive()) timer_->start();
}

void TQueueSaver::Flush() {
    if (!timer_->isActive()) return;
    timer_->stop();
    Save();
}

bool TQueueSaver::SaveNow() {
    timer_->stop();
    Save();
    return !failed_;
}

void TQueueSaver::Save() {
    try {
        Queue.Save(path_);
        failed_ = false;
    } catch (const std::exception& error) {
        // Unattended: no box; one line per run of failures is enough.
        if (!failed_) std::fprintf(stderr, "Tervanix: %s (%s)\n", error.what(), path_.c_str());
        failed_ = true;
    }
}

} // namespace tervanix
