#include "main/UChartPanel.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "dialogs/UWinComment.h"
#include "main/UAnsi.h"
#include "main/UCommandRunner.h"
#include "main/UResources.h"
#include "model/UAnalyte.h"
#include "model/UFormat.h"
#include "model/UGlobals.h"

namespace tervanix {

// ---- Paint box ----

TChartPaintBox::TChartPaintBox(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TChartPaintBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (OnPaint) OnPaint(painter);
}

void TChartPaintBox::mousePressEvent(QMouseEvent* event) {
    if (OnMouseDown) OnMouseDown(event->button(), event->modifiers(), event->position().toPoint());
}

void TChartPaintBox::mouseMoveEvent(QMouseEvent* event) {
    if (OnMouseMove) OnMouseMove(event->buttons(), event->modifiers(), event->position().toPoint());
}

void TChartPaintBox::keyPressEvent(QKeyEvent* event) {
    if (!OnKey || !OnKey(event->key(), event->modifiers())) QWidget::keyPressEvent(event);
}

void TChartPaintBox::mouseDoubleClickEvent(QMouseEvent* event) {
    // The double-click comes first, then the press that completes it, as the operator expects
    // from a double-click that opened a window.
    if (OnDoubleClick) OnDoubleClick();
    mousePressEvent(event);
}

// ---- Creation ----

TChartPanel::TChartPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PanelPBox"));
    setGeometry(0, 0, 602, 482);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black); // the dates under the charts, also under a dark palette
    setPalette(white);

    pbox_ = new TChartPaintBox(this);
    pbox_->setObjectName(QStringLiteral("PBox"));
    pbox_->setGeometry(1, 1, 600, 454);
    pbox_->setMouseTracking(true);
    pbox_->setFocusPolicy(Qt::NoFocus);
    pbox_->setAccessibleName(QStringLiteral("Charts"));
    pbox_->OnPaint = [this](QPainter& p) { Paint(p); };
    pbox_->OnMouseDown = [this](Qt::MouseButton b, Qt::KeyboardModifiers m, QPoint pos) { MouseDown(b, m, pos); };
    pbox_->OnMouseMove = [this](Qt::MouseButtons b, Qt::KeyboardModifiers m, QPoint pos) { MouseMove(b, m, pos); };
    pbox_->OnDoubleClick = Command([this] { DoubleClick(); });
    pbox_->OnKey = [this](int key, Qt::KeyboardModifiers m) { return Key(key, m); };
    CreateDatePanels();
    winComment_ = new TWinComment(this);
}

void TChartPanel::CreateDatePanels() {
    auto makeDatePanel = [this](const char* name, int left) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QString::fromLatin1(name));
        panel->setGeometry(left, 457, 78, 22);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setAlignment(Qt::AlignCenter);
        panel->hide();
        return panel;
    };
    panelDateDeb_ = makeDatePanel("PanelDateDeb", 2);
    panelDateFin_ = makeDatePanel("PanelDateFin", 522);
    scrollBar_ = new QScrollBar(Qt::Horizontal, this);
    scrollBar_->setObjectName(QStringLiteral("ScrollBar"));
    scrollBar_->setGeometry(82, 458, 438, 20);
    scrollBar_->setPageStep(20);
    scrollBar_->setAccessibleName(QStringLiteral("Points shown"));
    scrollBar_->hide();
    connect(scrollBar_, &QScrollBar::valueChanged, this, [this](int position) { ScrollBarChange(position); });
}

// ---- What is shown ----

void TChartPanel::SetAnalyte(TAnalyte* analyte) {
    HideCommentPopup();
    analyte_ = analyte;
    view_.SelectedPoint = -1;
    ClearDateInterval();
    RecomputeWindow();
    Repaint();
}

void TChartPanel::SetClicks(TClicks clicks) {
    clicks_ = clicks;
    // Only the date interval is chosen from the keyboard: then Tab reaches the charts.
    pbox_->setFocusPolicy(clicks == TClicks::DateInterval ? Qt::StrongFocus : Qt::NoFocus);
}

void TChartPanel::SelectPoint(int index) {
    view_.SelectedPoint = index;
    RecomputeWindow();
    Repaint();
}

void TChartPanel::ClearSelectedPoint() {
    if (view_.SelectedPoint < 0) return;
    view_.SelectedPoint = -1;
    RedrawPlots();
}

void TChartPanel::ClearDateInterval() { SetDateInterval(-1, -1, -1); }

void TChartPanel::ClearDateIntervalAndRedraw() {
    ClearDateInterval();
    RedrawPlots();
}

void TChartPanel::SetEraseMark(int level, bool marked) {
    view_.EraseMarks[static_cast<std::size_t>(level)] = marked;
    Repaint();
}

void TChartPanel::ClearEraseMarks() { view_.EraseMarks = {}; }

void TChartPanel::FollowSeries() {
    if (!analyte_) return;
    if (analyte_->Count() != shownCount_) {
        if (view_.SelectedPoint >= analyte_->Count()) view_.SelectedPoint = -1;
        ClearDateInterval();
        RecomputeWindow();
    }
    Repaint();
}

// The date panels take the width their dates need on the desktop's font; the scroll bar the rest.
void TChartPanel::PlaceDateStrip() {
    const QFontMetrics metrics = panelDateDeb_->fontMetrics();
    const int frames = 2 * panelDateDeb_->frameWidth() + 6;
    const int width = std::max({78, metrics.horizontalAdvance(panelDateDeb_->text()) + frames,
                                metrics.horizontalAdvance(panelDateFin_->text()) + frames});
    const int height = std::clamp(metrics.height() + 2 * panelDateDeb_->frameWidth(), 22, 25);
    panelDateDeb_->setGeometry(2, 457, width, height);
    panelDateFin_->setGeometry(600 - width, 457, width, height);
    scrollBar_->setGeometry(width + 4, 458, 600 - 2 * width - 6, 20);
}

void TChartPanel::RecomputeWindow() {
    shownCount_ = analyte_ ? analyte_->Count() : 0;
    window_ = analyte_ ? ComputeChartWindow(analyte_->Count(), view_.SelectedPoint) : TChartWindow();
    view_.First = window_.First;
    view_.Last = window_.Last;
    if (window_.Scrollable) {
        const QSignalBlocker quiet(scrollBar_);
        scrollBar_->setRange(0, window_.ScrollMax);
        scrollBar_->setValue(window_.First);
        panelDateDeb_->setText(FromAnsi(FormatDate(analyte_->Point(0).DateTime)));
        panelDateFin_->setText(FromAnsi(FormatDate(analyte_->Point(analyte_->Count() - 1).DateTime)));
        PlaceDateStrip();
    }
    scrollBar_->setVisible(window_.Scrollable);
    panelDateDeb_->setVisible(window_.Scrollable);
    panelDateFin_->setVisible(window_.Scrollable);
}

void TChartPanel::Repaint() {
    Describe();
    pbox_->update();
}

void TChartPanel::RedrawPlots() {
    Describe();
    pbox_->update(ChartWindowRect());
}

void TChartPanel::Describe() {
    pbox_->setAccessibleDescription(analyte_ ? ChartDescription(*analyte_, view_, Materials) : QString());
}

void TChartPanel::Paint(QPainter& painter) {
    if (analyte_)
        PaintAnalyteCharts(painter, pbox_->rect(), *analyte_, view_);
    else
        painter.fillRect(pbox_->rect(), Qt::white);
}

void TChartPanel::ScrollBarChange(int position) {
    if (position == view_.First) return;
    HideCommentPopup();
    view_.First = position;
    view_.Last = position + ChartWindowSize - 1;
    window_.First = view_.First;
    window_.Last = view_.Last;
    RedrawPlots();
}

void TChartPanel::ScrollOnePoint(int delta) {
    view_.First += delta;
    view_.Last = view_.First + ChartWindowSize - 1;
    window_.First = view_.First;
    window_.Last = view_.Last;
    const QSignalBlocker quiet(scrollBar_);
    scrollBar_->setValue(view_.First);
}

void TChartPanel::SetDateInterval(int from, int to, int anchor) {
    view_.IntervalFrom = from;
    view_.IntervalTo = to;
    intervalAnchor_ = anchor;
}

void TChartPanel::IntervalChanged() {
    if (clicks_ == TClicks::DateInterval && OnIntervalChanged) OnIntervalChanged();
}

// ---- Mouse and keys ----

void TChartPanel::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos) {
    HideCommentPopup();
    if (!analyte_) return;
    if (doubleClickFlag_) {
        doubleClickFlag_ = false;
        view_.SelectedPoint = -1;
        RedrawPlots();
        return;
    }
    const int k = ClickColumn(pos.x());
    if (!ColumnHoldsPoint(k, view_.First, analyte_->Count())) {
        ClickOutsidePoints();
        return;
    }
    const int levels = analyte_->LevelCount;
    if (clicks_ == TClicks::DateInterval && pos.y() > DateBandY(levels))
        ClickOnDateBand(button, modifiers, k);
    else if (clicks_ == TClicks::Points && pos.y() > PlotsTop(levels) - 17 && pos.y() < DateBandY(levels))
        ClickOnPoint(button, k, pos.y());
}

void TChartPanel::ClickOnPoint(Qt::MouseButton button, int k, int y) {
    view_.SelectedPoint = view_.First + k;
    RedrawPlots();
    if (button == Qt::RightButton) ShowCommentPopup(k, y);
}

void TChartPanel::ClickOnDateBand(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int k) {
    if (button != Qt::LeftButton) return;
    const int index = view_.First + k;
    if (modifiers == Qt::NoModifier)
        SetDateInterval(index, index, index);
    else if (modifiers == Qt::ShiftModifier && intervalAnchor_ >= 0) // min/max by value: GCC 12 -O3 warns on the references
        SetDateInterval(std::min({intervalAnchor_, index}), std::max({intervalAnchor_, index}), intervalAnchor_);
    else
        return;
    RedrawPlots();
    IntervalChanged();
}

void TChartPanel::ClickOutsidePoints() {
    if (view_.SelectedPoint >= 0) {
        view_.SelectedPoint = -1;
        RedrawPlots();
    } else if (view_.IntervalFrom >= 0 || intervalAnchor_ >= 0) {
        ClearDateInterval();
        RedrawPlots();
        IntervalChanged();
    }
}

void TChartPanel::MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint pos) {
    if (!analyte_ || buttons != Qt::LeftButton || modifiers != Qt::NoModifier || intervalAnchor_ < 0) return;
    if (pos.y() <= DateBandY(analyte_->LevelCount)) return;
    const int k = DragColumn(pos.x(), view_.First, view_.Last);
    switch (DragActionAt(pos.x(), analyte_->Count(), view_.First, window_.ScrollMax)) {
    case TDragAction::SetInterval: break;
    case TDragAction::ScrollBack: ScrollOnePoint(-1); break;
    case TDragAction::ScrollForward: ScrollOnePoint(+1); break;
    case TDragAction::None: IntervalChanged(); return;
    }
    const int index = view_.First + k;
    SetDateInterval(std::min(intervalAnchor_, index), std::max(intervalAnchor_, index), intervalAnchor_);
    RedrawPlots();
    IntervalChanged();
}

bool TChartPanel::Key(int key, Qt::KeyboardModifiers modifiers) {
    if (clicks_ != TClicks::DateInterval || !analyte_ || analyte_->Count() == 0) return false;
    const int step = key == Qt::Key_Left ? -1 : key == Qt::Key_Right ? 1 : 0;
    if (step == 0) return false;
    const bool extend = modifiers == Qt::ShiftModifier && intervalAnchor_ >= 0;
    // The first key picks the newest point shown; then the end away from the anchor moves.
    int index = view_.Last;
    if (intervalAnchor_ >= 0) {
        const int end = view_.IntervalFrom == intervalAnchor_ ? view_.IntervalTo : view_.IntervalFrom;
        index = std::clamp(end + step, 0, analyte_->Count() - 1);
    }
    if (extend)
        SetDateInterval(std::min(intervalAnchor_, index), std::max(intervalAnchor_, index), intervalAnchor_);
    else
        SetDateInterval(index, index, index);
    if (index < view_.First) ScrollOnePoint(index - view_.First);
    if (index > view_.Last) ScrollOnePoint(index - view_.Last);
    RedrawPlots();
    IntervalChanged();
    return true;
}

// The table opens at once: the press that completes the double-click comes after it has closed
// and then only clears the selection.
void TChartPanel::DoubleClick() {
    if (view_.SelectedPoint < 0) return;
    doubleClickFlag_ = true;
    if (OnOpenSelectedPoint) OnOpenSelectedPoint();
}

// ---- Comment pop-up ----

void TChartPanel::ShowCommentPopup(int k, int y) {
    const int index = view_.First + k;
    const TQCPoint& point = analyte_->Point(index);
    winComment_->Clear();
    winComment_->SetCaption(FromAnsi(FormatDate(point.DateTime) + " " + FormatTime(point.DateTime)));
    for (int level = 0; level < analyte_->LevelCount && level < MaxLevels; ++level) {
        const TLevelResult& r = point.Levels[static_cast<std::size_t>(level)];
        const QString value =
            r.Status == qsNoValue ? QStringLiteral("absent") : FromAnsi(FormatFixed(r.Value, 15, analyte_->Decimals));
        const QString caption = LevelCaption ? LevelCaption(level) : QString();
        winComment_->AddLine(caption + QStringLiteral(" = ") + value, StatusBitmap(r.Status));
    }
    if (point.CommentId >= 0) winComment_->AddLine(FromAnsi(analyte_->CommentText(point.CommentId)));
    if (!point.Operator.empty()) winComment_->AddLine(QStringLiteral("Operator = ") + FromAnsi(point.Operator.str()));
    const QPoint origin = pbox_->mapToGlobal(QPoint(0, 0));
    winComment_->ShowAt(QPoint(origin.x() + 15 * k + 45, origin.y() + y - 20));
}

void TChartPanel::HideCommentPopup() {
    if (winComment_ && winComment_->isVisible()) winComment_->hide();
}

} // namespace tervanix
