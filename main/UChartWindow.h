// The arithmetic of the main window's chart: which points are shown, which point column a click
// or a drag on the date band addresses. Kept apart from the window so that it can be checked alone.
#pragma once

namespace tervanix {

// Points shown at once on the chart.
constexpr int ChartWindowSize = 31;

// First and last index of the points shown (last < first when there are none), and whether the
// scroll bar with the date panels is needed (more than 30 points).
struct TChartWindow {
    int First = 0;
    int Last = -1;
    bool Scrollable = false;
    int ScrollMax = 0; // scroll positions 0..ScrollMax
};

// The latest 31 points of `count`; an older selected point pulls the window back to show it.
TChartWindow ComputeChartWindow(int count, int selected);

// Column under a click at x in the paint box; truncated toward zero, so x from 19 to 47 is column 0.
int ClickColumn(int x);
// True when column k of the window starting at `first` holds one of the `count` points.
bool ColumnHoldsPoint(int k, int first, int count);

// Column under a drag on the date band at x, within the window first..last.
int DragColumn(int x, int first, int last);

// What a drag on the date band does at x: set the interval, or scroll one point first.
enum class TDragAction { SetInterval, ScrollBack, ScrollForward, None };
TDragAction DragActionAt(int x, int count, int scrollPosition, int scrollMax);

} // namespace tervanix
