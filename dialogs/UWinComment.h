// The small yellow window that shows the details of one chart point: its date and time as caption,
// one line per level with a status mark, the comment and the operator. Any key or click closes it.
#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>
#include <vector>

class QLabel;

namespace tervanix {

class TWinComment : public QWidget {
    Q_OBJECT
public:
    static constexpr int LineHeight = 17;
    static constexpr int CaptionHeight = 22; // the caption strip above the lines

    explicit TWinComment(QWidget* parent = nullptr);

    void Clear();
    void SetCaption(const QString& caption);
    // A line, with the bitmap drawn at its right end when there is one.
    void AddLine(const QString& text, const QPixmap& bitmap = QPixmap());
    // Height 17 per line + 28; width: widest line (+20 with a bitmap) + 14, at least 110, + 14.
    QSize FittingSize() const;
    // Sizes the window to its lines and places its top-left corner at `topLeft` (screen).
    void ShowAt(QPoint topLeft);

    int LineCount() const { return static_cast<int>(lines_.size()); }
    const QString& LineText(int i) const { return lines_[static_cast<std::size_t>(i)].Text; }
    bool LineHasBitmap(int i) const { return !lines_[static_cast<std::size_t>(i)].Bitmap.isNull(); }
    QString Caption() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    struct TLine {
        QString Text;
        QPixmap Bitmap;
    };
    QLabel* caption_;
    std::vector<TLine> lines_;
};

} // namespace tervanix
