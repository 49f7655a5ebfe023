#include "main/UChartWindow.h"

namespace tervanix {

TChartWindow ComputeChartWindow(int count, int selected) {
    TChartWindow w;
    if (count < ChartWindowSize) {
        w.First = 0;
        w.Last = count - 1;
        return w;
    }
    w.Last = count - 1;
    w.First = count - ChartWindowSize;
    if (selected >= 0 && selected < w.First) {
        w.First = selected > ChartWindowSize - 1 ? selected : 0;
        w.Last = w.First + ChartWindowSize - 1;
    }
    w.Scrollable = true;
    w.ScrollMax = count - ChartWindowSize;
    return w;
}

int ClickColumn(int x) { return (x - 33) / 15; }

bool ColumnHoldsPoint(int k, int first, int count) {
    return k >= 0 && k <= ChartWindowSize - 1 && first + k < count;
}

int DragColumn(int x, int first, int last) {
    if (x < 53) return 0;
    const int w = last - first;
    if (x > 15 * w + 37) return w;
    return (x - 38) / 15;
}

TDragAction DragActionAt(int x, int count, int scrollPosition, int scrollMax) {
    if (count < ChartWindowSize || (x >= 38 && x <= 503)) return TDragAction::SetInterval;
    if (x < 38 && scrollPosition > 0) return TDragAction::ScrollBack;
    if (x > 488 && scrollPosition < scrollMax) return TDragAction::ScrollForward;
    return TDragAction::None;
}

} // namespace tervanix
