#include "dialogs/UArrowBtn.h"

#include <QPainter>
#include <QRegion>
#include <cmath>

#include "main/UColors.h"

namespace tervanix {
namespace {

int R(double v) { return static_cast<int>(std::lround(v)); }

} // namespace

QPolygon ArrowPolygon(TButtonDirection direction, int w, int h) {
    const double W = w, H = h;
    switch (direction) {
    case btnUP:
        return QPolygon({QPoint(R(W / 2), 3), QPoint(w - 3, R(2 * H / 3) - 3), QPoint(R(5 * W / 6) - 3, R(2 * H / 3) - 3),
                         QPoint(R(5 * W / 6) - 3, h - 3), QPoint(R(W / 6) + 3, h - 3),
                         QPoint(R(W / 6) + 3, R(2 * H / 3) - 3), QPoint(3, R(2 * H / 3) - 3)});
    case btnLEFT:
        return QPolygon({QPoint(w - 3, R(H / 6) + 3), QPoint(w - 3, R(5 * H / 6) - 3), QPoint(R(W / 3) + 3, R(5 * H / 6) - 3),
                         QPoint(R(W / 3) + 3, h - 3), QPoint(3, R(H / 2)), QPoint(R(W / 3) + 3, 3),
                         QPoint(R(W / 3) + 3, R(H / 6) + 3)});
    case btnDOWN:
        return QPolygon({QPoint(R(5 * W / 6) - 3, 3), QPoint(R(5 * W / 6) - 3, R(H / 2) - 3), QPoint(w - 3, R(H / 2) - 3),
                         QPoint(R(W / 2), h - 3), QPoint(3, R(H / 2) - 3), QPoint(R(W / 6) + 3, R(H / 2) - 3),
                         QPoint(R(W / 6) + 3, 3)});
    case btnRIGHT:
    default:
        return QPolygon({QPoint(R(W / 2) - 3, 3), QPoint(w - 3, R(H / 2)), QPoint(R(W / 2) - 3, h - 3),
                         QPoint(R(W / 2) - 3, R(5 * H / 6) - 3), QPoint(3, R(5 * H / 6) - 3), QPoint(3, R(H / 6) + 3),
                         QPoint(R(W / 2) - 3, R(H / 6) + 3)});
    }
}

QPoint ArrowCaptionOrigin(TButtonDirection direction, int w, int h, QSize text) {
    const double W = w, H = h;
    if (direction == btnLEFT || direction == btnRIGHT)
        return QPoint(R(W / 3 - text.width() / 2.0) + 5, R(H / 2 - text.height() / 2.0) - 2);
    const int x = R(W / 2 - text.width() / 2.0) + 3;
    return QPoint(x, direction == btnUP ? R(2 * H / 3 - text.height() / 2.0) - 2 : R(H / 3 - text.height() / 2.0));
}

TArrowButton::TArrowButton(QWidget* parent) : QAbstractButton(parent), buttonColor_(clBtnFace) {
    resize(sizeHint());
    setFocusPolicy(Qt::NoFocus);
}

void TArrowButton::SetButtonColor(const QColor& colour) {
    buttonColor_ = colour;
    update();
}

void TArrowButton::SetDirection(TButtonDirection direction) {
    direction_ = direction;
    update();
}

bool TArrowButton::hitButton(const QPoint& pos) const {
    return QRegion(ArrowPolygon(direction_, width(), height())).contains(pos);
}

void TArrowButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPolygon outline = ArrowPolygon(direction_, width(), height());
    const bool pressed = isDown();
    p.setPen(Qt::NoPen);
    p.setBrush(buttonColor_);
    p.drawPolygon(outline);

    QPolygon shadow = outline;
    shadow.translate(1, 1);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(pressed ? clBlack : clGray, 1));
    p.drawPolygon(shadow);

    const QColor light = pressed ? clGray : clWhite;
    const QColor dark = pressed ? clWhite : clGray;
    p.setPen(QPen(light, 2));
    p.drawPolygon(outline.constData(), 6);
    p.setPen(QPen(dark, 2));
    p.drawPolyline(outline.constData(), 4);
    DrawCaption(p);
}

void TArrowButton::DrawCaption(QPainter& p) {
    QString plain;
    int underlined = -1;
    const QString caption = text();
    for (int i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) {
            ++i;
            if (caption[i] != u'&') underlined = static_cast<int>(plain.size());
        }
        plain += caption[i];
    }
    const QFontMetrics metrics(font());
    const QPoint origin =
        ArrowCaptionOrigin(direction_, width(), height(), QSize(metrics.horizontalAdvance(plain), metrics.height()));
    p.setPen(isEnabled() ? palette().color(QPalette::ButtonText) : clGray);
    int x = origin.x();
    const int baseline = origin.y() + metrics.ascent();
    for (int i = 0; i < plain.size(); ++i) {
        QFont f = font();
        f.setUnderline(i == underlined);
        p.setFont(f);
        p.drawText(x, baseline, QString(plain[i]));
        x += metrics.horizontalAdvance(plain[i]);
    }
}

} // namespace tervanix
