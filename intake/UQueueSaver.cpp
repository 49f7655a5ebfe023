#include "intake/UQueueSaver.h"

#include <QTimer>
#include <cstdio>

#include "main/ULaboratory.h"

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
    QString why;
    if (Laboratory().SaveQueueTo(path_, &why)) {
        failed_ = false;
        lastError_.clear();
        return;
    }
    lastError_ = why;
    if (failed_) return;
    // One line per row of failures is enough; the window, when shown, says it too.
    failed_ = true;
    std::fprintf(stderr, "Tervanix: %s (%s)\n", why.toLocal8Bit().constData(), path_.c_str());
    emit SaveFailed(why);
}

} // namespace tervanix
