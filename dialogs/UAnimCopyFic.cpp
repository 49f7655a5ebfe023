#include "dialogs/UAnimCopyFic.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include "main/UColors.h"
#include "main/UFontFit.h"

namespace tervanix {
namespace {

constexpr int AnimWidth = 272;
constexpr int AnimHeight = 60;

void PaintFolder(QPainter& painter, const QRect& box) {
    painter.setPen(clOlive);
    painter.setBrush(clYellow);
    painter.drawRect(box.adjusted(0, 6, 0, 0));
    painter.drawRect(QRect(box.left(), box.top(), box.width() / 3, 6));
}

} // namespace

TCopyAnimation::TCopyAnimation(QWidget* parent) : QWidget(parent), timer_(new QTimer(this)) {
    setObjectName(QStringLiteral("Animate"));
    setFixedSize(AnimWidth, AnimHeight);
    timer_->setInterval(80);
    connect(timer_, &QTimer::timeout, this, [this] {
        frame_ = (frame_ + 1) % Frames;
        update();
    });
}

void TCopyAnimation::Start() {
    if (!timer_->isActive()) timer_->start();
}

void TCopyAnimation::Stop() { timer_->stop(); }

bool TCopyAnimation::Playing() const { return timer_->isActive(); }

// Two folders and a sheet on its way from the left one to the right one, rising and falling.
void TCopyAnimation::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect from(8, 28, 40, 28);
    const QRect to(width() - 48, 28, 40, 28);
    PaintFolder(painter, from);
    PaintFolder(painter, to);
    const double t = double(frame_) / double(Frames - 1);
    const int x = from.center().x() + int(t * double(to.center().x() - from.center().x())) - 8;
    const int y = 26 - int(22.0 * 4.0 * t * (1.0 - t));
    painter.setPen(clGray);
    painter.setBrush(clWhite);
    painter.drawRect(x, y, 16, 20);
    for (int line = 0; line < 3; ++line) painter.drawLine(x + 3, y + 5 + 5 * line, x + 13, y + 5 + 5 * line);
}

TWinAnimCopyFic::TWinAnimCopyFic(QWidget* parent) : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("WinAnimCopyFic"));
    setWindowTitle(QStringLiteral("Tervanix"));
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(AnimWidth + 32, AnimHeight + 64);
    animate_ = new TCopyAnimation(this);
    animate_->move(16, 12);
    lblWarning_ = new QLabel(this);
    lblWarning_->setObjectName(QStringLiteral("LblWarning"));
    lblWarning_->setAlignment(Qt::AlignCenter);
    lblWarning_->setGeometry(8, AnimHeight + 24, width() - 16, 24);
    FitToFont(this);
}

void TWinAnimCopyFic::ShowWarning(const QString& warning) {
    lblWarning_->setText(warning);
    const QScreen* s = parentWidget() ? parentWidget()->screen() : QApplication::primaryScreen();
    if (s) move(s->geometry().center() - QPoint(width() / 2, height() / 2));
    show();
    raise();
    activateWindow();
    animate_->Start(); // the platform may never report the activation (no window manager)
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool TWinAnimCopyFic::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) animate_->Start();
    return QWidget::event(event);
}

void TWinAnimCopyFic::hideEvent(QHideEvent* event) {
    animate_->Stop();
    QWidget::hideEvent(event);
}

} // namespace tervanix
