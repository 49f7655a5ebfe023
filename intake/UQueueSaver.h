// Keeps the queue file in step with the queue, so that the operator's changes survive a crash or a
// power cut: the file is rewritten (atomically) shortly after any change, many changes in a row
// making one write. Runs from clients are written before they are answered (SaveNow). The file
// holds what the laboratory says it holds (TLaboratory::QueueImage): a recalled run stays in it
// until it is stored.
#pragma once

#include <QObject>
#include <QString>
#include <string>

class QTimer;

namespace tervanix {

class TQueueSaver : public QObject {
    Q_OBJECT
public:
    // Saves the global Queue to `path` (BasePath + ".fif" in the program).
    explicit TQueueSaver(std::string path, QObject* parent = nullptr);

    // Delay between a change and the write.
    static constexpr int DelayMs = 500;

    bool Pending() const;
    // A failed write is reported once on stderr, and tried again at the next change.
    bool LastSaveFailed() const { return failed_; }
    // Why the last write failed ("Unable to save fifo: No space left on device").
    const QString& LastError() const { return lastError_; }

signals:
    // The first failure of a row of failed writes, with its reason.
    void SaveFailed(const QString& why);

public slots:
    // Call after every change of the queue (push, recall, clear).
    void QueueChanged();
    // Writes now if a write is pending (the exit sequence writes the queue itself).
    void Flush();
    // Writes now, pending or not; false when the write failed.
    bool SaveNow();

private:
    void Save();

    std::string path_;
    QTimer* timer_;
    bool failed_ = false;
    QString lastError_;
};

} // namespace tervanix
