#include "intake/ULogoCQ.h"

#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QThread>
#include <array>

#include "main/UColors.h"
#include "model/UClock.h"

namespace tervanix {

TWinLogoCQ::TWinLogoCQ(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("WinLogoCQ"));
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setFixedSize(Width, Height);
}

void TWinLogoCQ::ShowFor(int milliseconds) {
    if (const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen())
        move(s->geometry().center() - QPoint(Width / 2, Height / 2));
    show();
    raise();
    const long long start = TickCount();
    while (TickCount() - start < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
}

void TWinLogoCQ::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), clWhite);
    painter.setPen(QPen(clNavy, 2));
    painter.drawRect(rect().adjusted(1, 1, -2, -2));

    QFont title(QStringLiteral("Liberation Serif"));
    title.setPixelSize(56);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(clNavy);
    painter.drawText(QRect(0, 24, Width, 70), Qt::AlignCenter, QStringLiteral("Tervanix"));

    QFont subtitle(QStringLiteral("Liberation Sans"));
    subtitle.setPixelSize(15);
    painter.setFont(subtitle);
    painter.setPen(clGray);
    painter.drawText(QRect(0, 94, Width, 24), Qt::AlignCenter, QStringLiteral("Internal quality control"));

    PaintChart(painter, QRect(48, 140, Width - 96, 180));

    QFont credit(QStringLiteral("Liberation Sans"));
    credit.setPixelSize(11);
    painter.setFont(credit);
    painter.setPen(clGray);
    painter.drawText(QRect(0, Height - 40, Width, 20), Qt::AlignCenter,
                     QStringLiteral("Levey-Jennings charts and Westgard rules for the laboratory"));
}

// A Levey-Jennings motif: the mean, the alert and action limits, and a run of controls that stays
// in control except one value beyond the alert limit.
void TWinLogoCQ::PaintChart(QPainter& painter, const QRect& area) const {
    const double sd = area.height() / 8.0;
    const double mean = area.center().y();
    const auto limit = [&](double k, const QColor& colour, Qt::PenStyle style) {
        painter.setPen(QPen(colour, 1, style));
        painter.drawLine(QPointF(area.left(), mean - k * sd), QPointF(area.right(), mean - k * sd));
    };
    limit(0, clGreen, Qt::SolidLine);
    for (double k : {-2.0, 2.0}) limit(k, clOlive, Qt::DashLine);
    for (double k : {-3.0, 3.0}) limit(k, clRed, Qt::DashLine);

    static constexpr std::array<double, 15> Values = {0.3, -0.6, 0.9, 0.1, -1.2, -0.4, 0.7,
                                                      1.4, 0.2, -0.9, 2.4, 0.5, -0.2, 0.8, -0.5};
    const double step = double(area.width()) / double(Values.size() - 1);
    QPainterPath path;
    for (std::size_t i = 0; i < Values.size(); ++i) {
        const QPointF point(area.left() + step * double(i), mean - Values[i] * sd);
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    painter.setPen(QPen(clNavy, 1.5));
    painter.drawPath(path);
    for (std::size_t i = 0; i < Values.size(); ++i) {
        const QPointF point(area.left() + step * double(i), mean - Values[i] * sd);
        const bool alert = Values[i] > 2 || Values[i] < -2;
        painter.setPen(QPen(alert ? clMaroon : clNavy, 1));
        painter.setBrush(alert ? clYellow : clLime);
        painter.drawEllipse(point, 4.5, 4.5);
    }
    painter.setBrush(Qt::NoBrush);
}

} // namespace tervanix
