// The chart panel of the main window: the Levey-Jennings charts of one analyte over a window of 31
// points, the scroll bar and the dates of the whole series under it, the selected point, the date
// interval chosen for a lock, the erase marks and the comment pop-up of a point. It shows; the
// main window decides what a double click or a new interval means.
#pragma once

#include <QWidget>
#include <functional>

#include "charts/UDrawChart.h"
#include "main/UChartWindow.h"

class QLabel;
class QScrollBar;

namespace tervanix {

class TAnalyte;
class TWinComment;

// The paint box of the charts: paints and reports the mouse and keys to its panel.
class TChartPaintBox : public QWidget {
public:
    explicit TChartPaintBox(QWidget* parent);
    std::function<void(QPainter&)> OnPaint;
    std::function<void(Qt::MouseButton, Qt::KeyboardModifiers, QPoint)> OnMouseDown;
    std::function<void(Qt::MouseButtons, Qt::KeyboardModifiers, QPoint)> OnMouseMove;
    std::function<void()> OnDoubleClick;
    std::function<bool(int key, Qt::KeyboardModifiers)> OnKey; // true: the key was used

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

class TChartPanel : public QWidget {
public:
    // What a click on the charts does: select a point (Enter page), choose the date interval of a
    // lock (Lock page, also with the arrow keys), or nothing (Fix and Erase pages).
    enum class TClicks { Points, DateInterval, Nothing };

    explicit TChartPanel(QWidget* parent);

    // A new analyte (or none): no point selected, no interval, the newest points in view.
    void SetAnalyte(TAnalyte* analyte);
    TAnalyte* Analyte() const { return analyte_; }
    void SetClicks(TClicks clicks);

    const TChartView& View() const { return view_; }
    const TChartWindow& Window() const { return window_; }
    // Selects a point (−1: none) and brings it into view.
    void SelectPoint(int index);
    void ClearSelectedPoint(); // repaints when a point was selected
    void ClearDateInterval();
    void ClearDateIntervalAndRedraw();
    void SetEraseMark(int level, bool marked);
    void ClearEraseMarks();
    // After the series gained or lost points the window is computed anew; after a change of limits
    // the charts are only repainted, so the part of the series in view stays.
    void FollowSeries();
    void RecomputeWindow();
    void Repaint();
    void RedrawPlots();
    void HideCommentPopup();

    // The mouse and keys on the paint box, in paint box coordinates.
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint pos);
    // With date-interval clicks the arrows choose the interval as clicks do, Shift+arrows extend
    // it from its anchor: the way for the keyboard and screen readers. True when the key was used.
    bool Key(int key, Qt::KeyboardModifiers modifiers);
    void DoubleClick();

    // A double click on the selected point (the main window opens the data table).
    std::function<void()> OnOpenSelectedPoint;
    // The date interval changed (the Lock page shows its statistics).
    std::function<void()> OnIntervalChanged;
    // The label of a level's material, as the Enter page shows it.
    std::function<QString(int level)> LevelCaption;

    TChartPaintBox* PBox() const { return pbox_; }
    QScrollBar* ScrollBar() const { return scrollBar_; }
    QLabel* PanelDateDeb() const { return panelDateDeb_; }
    QLabel* PanelDateFin() const { return panelDateFin_; }
    TWinComment* WinComment() const { return winComment_; }

private:
    void PlaceDateStrip();
    void CreateDatePanels();
    void Paint(QPainter& painter);
    void Describe();
    void ScrollBarChange(int position);
    void ScrollOnePoint(int delta);
    void SetDateInterval(int from, int to, int anchor);
    void IntervalChanged();
    void ClickOnPoint(Qt::MouseButton button, int k, int y);
    void ClickOnDateBand(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int k);
    void ClickOutsidePoints();
    void ShowCommentPopup(int k, int y);

    TAnalyte* analyte_ = nullptr;
    TClicks clicks_ = TClicks::Points;
    TChartView view_;
    TChartWindow window_;
    int shownCount_ = 0; // the points of the series when the window was computed
    int intervalAnchor_ = -1;
    bool doubleClickFlag_ = false;

    TChartPaintBox* pbox_ = nullptr;
    QLabel* panelDateDeb_ = nullptr;
    QScrollBar* scrollBar_ = nullptr;
    QLabel* panelDateFin_ = nullptr;
    TWinComment* winComment_ = nullptr;
};

} // namespace tervanix
