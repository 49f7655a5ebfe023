#include "dialogs/UWinComment.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace tervanix {
namespace {
const QColor PopupYellow(255, 255, 225);
const QColor CaptionNavy(0, 0, 128);
} // namespace

TWinComment::TWinComment(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("WinComment"));
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    setFocusPolicy(Qt::StrongFocus);
    caption_ = new QLabel(this);
    caption_->setObjectName(QStringLiteral("LblCaption"));
    caption_->setAutoFillBackground(true);
    QPalette pal = caption_->palette();
    pal.setColor(QPalette::Window, CaptionNavy);
    pal.setColor(QPalette::WindowText, Qt::white);
    caption_->setPalette(pal);
    caption_->setIndent(3);
    caption_->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TWinComment::Clear() { lines_.clear(); }

void TWinComment::SetCaption(const QString& caption) {
    caption_->setText(caption);
    setWindowTitle(caption);
}

QString TWinComment::Caption() const { return caption_->text(); }

void TWinComment::AddLine(const QString& text, const QPixmap& bitmap) { lines_.push_back({text, bitmap}); }

QSize TWinComment::FittingSize() const {
    const QFontMetrics fm(font());
    int widest = 0;
    for (const TLine& line : lines_)
        widest = std::max(widest, fm.horizontalAdvance(line.Text) + (line.Bitmap.isNull() ? 0 : 20));
    const int width = std::max(widest + 14, 110) + 14;
    const int height = LineHeight * LineCount() + 28;
    return {width, height};
}

void TWinComment::ShowAt(QPoint topLeft) {
    const QSize size = FittingSize();
    setFixedSize(size);
    caption_->setGeometry(1, 1, size.width() - 2, CaptionHeight - 2);
    move(topLeft);
    show();
    raise();
    activateWindow();
    setFocus();
    update();
}

void TWinComment::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), PopupYellow);
    p.setPen(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    const QFontMetrics fm(font());
    for (int i = 0; i < LineCount(); ++i) {
        const TLine& line = lines_[static_cast<std::size_t>(i)];
        const int y = CaptionHeight + 3 + LineHeight * i;
        p.drawText(QRect(3, y, width() - 6, LineHeight), Qt::AlignLeft | Qt::AlignTop, line.Text);
        if (!line.Bitmap.isNull()) p.drawPixmap(width() - 20, y, line.Bitmap);
    }
}

void TWinComment::keyPressEvent(QKeyEvent*) { hide(); }

void TWinComment::mousePressEvent(QMouseEvent*) { hide(); }

} // namespace tervanix
