#include "main/UFontFit.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCalendarWidget>
#include <QComboBox>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <algorithm>
#include <cmath>

#include "main/UTabList.h"
#include "main/UTabbedList.h"

namespace tervanix {
namespace {

// Words and figures as the windows show them, for the width of a font's text.
const QString Sample =
    QStringLiteral("Control limits Lyphocheck 1 Glucose mmol/L 13 Nov 2026 12.85 Queue : 3");

// The window font the layouts were drawn for, at the widget's resolution.
QFont DesignFont(const QWidget* widget) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(8.0 * 96.0 / std::max(1, widget->logicalDpiY()));
    return font;
}

int ScaledLength(double scale, int length) {
    return static_cast<int>(std::lround(length * scale));
}

QRect ScaledRect(double scale, const QRect& r) {
    const int left = ScaledLength(scale, r.left()), top = ScaledLength(scale, r.top());
    return QRect(left, top, ScaledLength(scale, r.left() + r.width()) - left,
                 ScaledLength(scale, r.top() + r.height()) - top);
}

std::vector<int> ScaledStops(double scale, const std::vector<int>& stops) {
    std::vector<int> scaled;
    for (const int stop : stops)
        scaled.push_back(ScaledLength(scale, stop));
    return scaled;
}

// Parts that place their own pieces (a combo box's, a grid's, a page control's) are sized as a
// whole; what is inside is theirs.
bool PlacesItsOwnPieces(const QWidget* w) {
    return qobject_cast<const QAbstractScrollArea*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QCalendarWidget*>(w) ||
           qobject_cast<const QTabBar*>(w);
}

bool PlacedByItsParent(const QWidget* w) {
    const QWidget* parent = w->parentWidget();
    if (!parent) return false;
    if (parent->layout() && parent->layout()->indexOf(const_cast<QWidget*>(w)) >= 0) return true;
    return qobject_cast<const QTabWidget*>(parent) || qobject_cast<const QStackedWidget*>(parent);
}

void ScaleFixedSize(QWidget* w, double scale) {
    if (w->minimumWidth() == w->maximumWidth()) w->setFixedWidth(ScaledLength(scale, w->minimumWidth()));
    if (w->minimumHeight() == w->maximumHeight()) w->setFixedHeight(ScaledLength(scale, w->minimumHeight()));
}

void ScaleGrid(QTableWidget* grid, double scale) {
    for (QHeaderView* header : {grid->horizontalHeader(), grid->verticalHeader()}) {
        header->setMinimumSectionSize(std::min(header->minimumSectionSize(), 1));
        header->setDefaultSectionSize(ScaledLength(scale, header->defaultSectionSize()));
        for (int i = 0; i < header->count(); ++i)
            header->resizeSection(i, ScaledLength(scale, header->sectionSize(i)));
    }
}

void ScaleContents(QWidget* w, double scale) {
    if (auto* list = qobject_cast<TTabList*>(w))
        list->Delegate()->SetTabStops(ScaledStops(scale, list->Delegate()->TabStops()));
    if (auto* list = dynamic_cast<TTabbedList*>(w)) list->SetTabStops(ScaledStops(scale, list->TabStops()));
    if (auto* grid = qobject_cast<QTableWidget*>(w)) ScaleGrid(grid, scale);
}

void ScaleTree(QWidget* parent, double scale, const std::vector<const QWidget*>& keep) {
    for (QObject* child : parent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow()) continue;
        const QRect geometry = w->geometry();
        if (std::find(keep.begin(), keep.end(), w) != keep.end()) {
            if (!PlacedByItsParent(w)) w->move(ScaledRect(scale, geometry).topLeft());
            continue;
        }
        ScaleFixedSize(w, scale);
        if (!PlacedByItsParent(w)) w->setGeometry(ScaledRect(scale, geometry));
        ScaleContents(w, scale);
        if (!PlacesItsOwnPieces(w)) ScaleTree(w, scale, keep);
    }
}

} // namespace

double FontScale(const QWidget* widget) {
    const QFontMetricsF design(DesignFont(widget)), shown(widget->font(), widget);
    const double widths = shown.horizontalAdvance(Sample) / design.horizontalAdvance(Sample);
    const double lines = shown.height() / design.height();
    return std::max({1.0, widths, lines});
}

int Scaled(const QWidget* widget, int designPixels) {
    return ScaledLength(FontScale(widget), designPixels);
}

QRect Scaled(const QWidget* widget, const QRect& designGeometry) {
    return ScaledRect(FontScale(widget), designGeometry);
}

void SetElidedText(QLabel* label, const QString& text) {
    const int room = label->contentsRect().width() - 2 * label->margin();
    const QString shown = label->fontMetrics().elidedText(text, Qt::ElideRight, room);
    label->setText(shown);
    label->setToolTip(shown == text ? QString() : text);
}

int TitleBarWidth(const QWidget* window) {
    // The desktop draws the title in a font of its own, often wider than the window's: two fifths
    // more than the window's bold font, and the icon, three buttons and the margins, each a line high.
    QFont bold = window->font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    return metrics.horizontalAdvance(window->windowTitle()) * 7 / 5 + 5 * (metrics.height() + 6);
}

void WidenToTitle(QWidget* window) {
    const int needed = TitleBarWidth(window);
    if (needed > window->width()) window->setFixedWidth(needed);
}

int GridHeightForRows(const QTableWidget* grid) {
    const QHeaderView* headings = grid->horizontalHeader();
    return 2 * grid->frameWidth() +
           (headings->isVisible() || !headings->isHidden() ? headings->height() : 0) +
           grid->verticalHeader()->length();
}

void FitToFont(QWidget* root, const std::vector<const QWidget*>& keep) {
    root->ensurePolished(); // a desktop's style sheet may give the window its font
    const double scale = FontScale(root);
    if (scale == 1.0) return;
    const QSize size = root->size();
    ScaleFixedSize(root, scale);
    ScaleTree(root, scale, keep);
    if (root->minimumSize() != root->maximumSize())
        root->resize(ScaledLength(scale, size.width()), ScaledLength(scale, size.height()));
}

QSize BoundedToScreen(const QWidget* window, const QSize& wanted) {
    const QScreen* screen = window->screen();
    if (!screen) return wanted;
    QSize frame = window->frameGeometry().size() - window->geometry().size();
    // Before the first showing the frame is not known yet: room for a title bar and borders.
    if (frame == QSize(0, 0)) frame = QSize(8, window->style()->pixelMetric(QStyle::PM_TitleBarHeight) + 8);
    return wanted.boundedTo(screen->availableGeometry().size() - frame);
}

} // namespace tervanix
