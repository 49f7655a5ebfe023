// The small window in front of the operator while the data file is copied to or from the backup
// drive: a warning line and a sheet flying from one folder to the other.
#pragma once

#include <QWidget>

class QLabel;
class QTimer;

namespace tervanix {

// The copy animation: plays while its window is active, stops when the window closes.
class TCopyAnimation : public QWidget {
public:
    static constexpr int Frames = 12;
    explicit TCopyAnimation(QWidget* parent);
    void Start();
    void Stop();
    bool Playing() const;
    int Frame() const { return frame_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer* timer_;
    int frame_ = 0;
};

class TWinAnimCopyFic : public QWidget {
public:
    explicit TWinAnimCopyFic(QWidget* parent = nullptr);

    QLabel* LblWarning() const { return lblWarning_; }
    TCopyAnimation* Animate() const { return animate_; }

    // Shows the window centred with this warning and paints it at once: the copy that follows
    // keeps the program busy.
    void ShowWarning(const QString& warning);

protected:
    bool event(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QLabel* lblWarning_;
    TCopyAnimation* animate_;
};

} // namespace tervanix
