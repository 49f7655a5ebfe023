// The splash window shown while a program started by the operator gets ready.
#pragma once

#include <QWidget>

namespace tervanix {

class TWinLogoCQ : public QWidget {
public:
    static constexpr int Width = 427;
    static constexpr int Height = 384;
    // How long the splash stays up at start.
    static constexpr int ShowMs = 2000;

    explicit TWinLogoCQ(QWidget* parent = nullptr);

    // Shows the splash centred on its screen and keeps the program's events flowing (calls from
    // clients included) until `milliseconds` have passed by the tick count.
    void ShowFor(int milliseconds);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintChart(QPainter& painter, const QRect& area) const;
};

} // namespace tervanix
