// The windows are drawn at fixed pixel positions for the window font (MS Sans Serif 8 at 96 dpi).
// A desktop with a larger font, or a larger font setting, would cut their texts: these helpers grow
// a window's geometry by the ratio of its font to that one, keeping the arrangement.
#pragma once

#include <QRect>
#include <vector>

class QLabel;
class QSize;
class QString;
class QTableWidget;
class QWidget;

namespace tervanix {

// How much larger than the window font of the layouts the widget's font draws, measured on its
// widths and its line height; 1 for that font or a smaller one.
double FontScale(const QWidget* widget);

// A length or a place of the fixed layouts in the pixels of the widget's font.
int Scaled(const QWidget* widget, int designPixels);
QRect Scaled(const QWidget* widget, const QRect& designGeometry);

// Shows the text whole where the label has room for it, else cut with an ellipsis and whole in the
// label's tooltip (a free comment in a row of fixed fields).
void SetElidedText(QLabel* label, const QString& text);

// The width a window's title bar needs to show its caption whole beside the window's icon and its
// buttons (the desktop draws it in a font of its own, estimated from the window's).
int TitleBarWidth(const QWidget* window);
// A narrow dialog whose caption names an analyte grows to that width, so that the desktop does not
// cut the caption to "Print Q… HbA1c".
void WidenToTitle(QWidget* window);

// `wanted` made no larger than the screen the window is on can show with the window's frame (a
// desktop at a large scale or a small screen): what does not fit is reached by scrolling.
QSize BoundedToScreen(const QWidget* window, const QSize& wanted);

// The height that shows every row of a grid that does not scroll, with its heading row and frame.
int GridHeightForRows(const QTableWidget* grid);

// Grows every part under `root` that sits at fixed pixels (and root's own size) by root's font
// scale: places, sizes, the tab stops of the tabbed lists, the grids' columns and rows. The parts in
// `keep` only move to their scaled places, keeping their size and all they hold (a chart drawn at
// fixed pixel positions). Run once, when the window has been built.
void FitToFont(QWidget* root, const std::vector<const QWidget*>& keep = {});

} // namespace tervanix
