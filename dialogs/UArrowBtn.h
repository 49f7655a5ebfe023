// A drawn arrow that acts as a button only inside its outline: seven points computed from the
// control's size, filled with the button colour, shaded to look raised or pushed in, with a
// caption whose "&" letter is underlined and whose Alt shortcut clicks it.
#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPolygon>

namespace tervanix {

enum TButtonDirection { btnUP, btnRIGHT, btnLEFT, btnDOWN };

// The outline of an arrow of the given size.
QPolygon ArrowPolygon(TButtonDirection direction, int w, int h);
// Where the caption's top-left corner goes for a caption of the given size.
QPoint ArrowCaptionOrigin(TButtonDirection direction, int w, int h, QSize text);

class TArrowButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit TArrowButton(QWidget* parent = nullptr);

    QColor ButtonColor() const { return buttonColor_; }
    void SetButtonColor(const QColor& colour);
    TButtonDirection Direction() const { return direction_; }
    void SetDirection(TButtonDirection direction);

    QSize sizeHint() const override { return QSize(80, 45); }

protected:
    void paintEvent(QPaintEvent* event) override;
    // Only the arrow reacts to the mouse, not the corners of the control.
    bool hitButton(const QPoint& pos) const override;

private:
    void DrawCaption(QPainter& painter);

    QColor buttonColor_;
    TButtonDirection direction_ = btnRIGHT;
};

} // namespace tervanix
