// The owner-drawn list of the archive windows: each line holds TAB-separated fields drawn at fixed
// tab stops, one pixel below the top of its cell, odd lines (counting from 0) light cyan and even
// lines white, under a row of column headings placed at the same stops.
#pragma once

#include <QColor>
#include <QListWidget>
#include <QStringList>
#include <vector>

namespace tervanix {

class TTabbedLineDelegate;

class TTabbedList : public QListWidget {
public:
    // Tab stops in pixels from the start of the text; selected lines get the given background and
    // white text.
    TTabbedList(QWidget* parent, std::vector<int> tabStops, const QColor& selectedBackground);
    const std::vector<int>& TabStops() const { return tabStops_; }
    void SetTabStops(std::vector<int> tabStops);

private:
    std::vector<int> tabStops_;
    TTabbedLineDelegate* delegate_;
};

// The headings, one at the start of the text and one at each tab stop, above a list placed at
// `listGeometry`.
void AddTabHeadings(QWidget* parent, const QRect& listGeometry, const TTabbedList& list, const QStringList& headings);

} // namespace tervanix
