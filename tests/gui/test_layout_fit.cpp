// No text of any window is cut, whatever the desktop's font: every window is walked at the window
// font and at larger application fonts, and a caption, button, check box, grid heading or list field
// that needs more room than it is drawn in fails with its window, name, text and both widths. CTest
// runs the same walk again at screen scales 1.5 and 2 and at 120 dpi.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QStyleOptionButton>
#include <QTableWidget>
#include <QToolButton>
#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <optional>

#include "charts/UMonthlySummary.h"
#include "dialogs/UAuditTrail.h"
#include "dialogs/UQualityGoals.h"
#include "dialogs/UShowData.h"
#include "gui/GuiHarness.h"
#include "gui/WindowWalk.h"
#include "main/UAccessible.h"
#include "main/UFontFit.h"
#include "main/UMain.h"
#include "main/UTabList.h"
#include "main/UTabbedList.h"
#include "main/UValidCQ.h"
#include "model/UGlobals.h"

namespace tervanix {
namespace {

using test::InsideAnotherControl;

QString Misfit(const QWidget* w, const QString& text, int needed, int available) {
    return QStringLiteral("%1 \"%2\" needs %3 px, has %4")
        .arg(w->objectName(), text)
        .arg(needed)
        .arg(available);
}

// The widest line of the text as drawn: mnemonics shown as underlines, not as '&'.
int TextWidth(const QFontMetrics& metrics, const QString& text) {
    int widest = 0;
    for (const QString& line : AccessibleCaption(text).split(QRegularExpression(QStringLiteral("[\r\n]"))))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

int TextLines(const QString& text) {
    return static_cast<int>(text.count(QRegularExpression(QStringLiteral("[\r\n]")))) + 1;
}

// A text elided on purpose keeps the whole in its tooltip.
bool DeliberatelyElided(const QWidget* w, const QString& text) {
    return text.contains(QChar(0x2026)) && !w->toolTip().isEmpty();
}

void CheckLabel(const QLabel* label, QStringList& found) {
    const QString text = label->text();
    if (text.isEmpty() || label->wordWrap() || Qt::mightBeRichText(text) || DeliberatelyElided(label, text))
        return;
    const QRect room =
        label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(), -label->margin());
    const QFontMetrics metrics = label->fontMetrics();
    if (const int needed = TextWidth(metrics, text); needed > room.width())
        found << Misfit(label, text, needed, room.width());
    if (const int needed = metrics.height() * TextLines(text); needed > room.height() + 2)
        found << Misfit(label, text, needed, room.height()) + QStringLiteral(" in height");
}

// The room the style leaves a button's caption.
QRect CaptionRoom(const QAbstractButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    if (qobject_cast<const QCheckBox*>(button))
        return button->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, button);
    if (qobject_cast<const QRadioButton*>(button))
        return button->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, button);
    if (qobject_cast<const QPushButton*>(button)) {
        const int frame = button->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, button) / 2;
        return button->style()
            ->subElementRect(QStyle::SE_PushButtonContents, &option, button)
            .adjusted(frame, 0, -frame, 0);
    }
    return button->contentsRect().adjusted(3, 3, -3, -3); // a tool button's frame
}

void CheckButton(const QAbstractButton* button, QStringList& found) {
    const QString text = button->text();
    if (text.isEmpty() || DeliberatelyElided(button, text)) return;
    const QRect room = CaptionRoom(button);
    const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
    const QFontMetrics metrics = button->fontMetrics();
    if (const int needed = TextWidth(metrics, text) + icon; needed > room.width())
        found << Misfit(button, text, needed, room.width());
    if (const int needed = metrics.height() * TextLines(text); needed > room.height() + 2)
        found << Misfit(button, text, needed, room.height()) + QStringLiteral(" in height");
}

void CheckHeadings(const QHeaderView* header, const QString& grid, QStringList& found) {
    const QAbstractItemModel* model = header->model();
    if (!model || header->isHidden()) return;
    const int margins = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int i = 0; i < header->count(); ++i) {
        if (header->isSectionHidden(i) || header->sectionSize(i) == 0) continue;
        const QString text = model->headerData(i, header->orientation(), Qt::DisplayRole).toString();
        const int needed = header->fontMetrics().horizontalAdvance(text) + margins;
        if (needed > header->sectionSize(i))
            found << QStringLiteral("%1 heading \"%2\" needs %3 px, has %4")
                         .arg(grid, text)
                         .arg(needed)
                         .arg(header->sectionSize(i));
    }
}

void CheckGridCells(const QTableWidget* grid, QStringList& found) {
    CheckHeadings(grid->horizontalHeader(), grid->objectName(), found);
    const QFontMetrics metrics = grid->fontMetrics();
    // A grid that cannot scroll shows every row whole.
    if (grid->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff && grid->rowCount() > 0) {
        const int last = grid->rowCount() - 1;
        const int needed = grid->rowViewportPosition(last) + grid->rowHeight(last);
        if (needed > grid->viewport()->height())
            found << QStringLiteral("%1 row %2 needs %3 px, has %4")
                         .arg(grid->objectName())
                         .arg(last + 1)
                         .arg(needed)
                         .arg(grid->viewport()->height());
    }
    for (int row = 0; row < grid->rowCount(); ++row)
        for (int column = 0; column < grid->columnCount(); ++column)
            if (const QTableWidgetItem* cell = grid->item(row, column);
                cell && !grid->isColumnHidden(column)) {
                const int needed = metrics.horizontalAdvance(cell->text()) + 4;
                if (needed > grid->columnWidth(column))
                    found << Misfit(grid, cell->text(), needed, grid->columnWidth(column));
            }
}

// Each field of a line from its stop to the next stop, the last to the list's right edge.
void CheckTabbedLines(const QAbstractItemView* list, const std::vector<int>& stops, QStringList& found) {
    const QFontMetrics metrics = list->fontMetrics();
    const int right = list->viewport()->width() - 2;
    for (int row = 0; row < list->model()->rowCount(); ++row) {
        const QStringList fields = list->model()->index(row, 0).data().toString().split(QLatin1Char('\t'));
        for (int i = 0; i < fields.size(); ++i) {
            const int left = i == 0 ? 0 : stops[static_cast<std::size_t>(i - 1)];
            const int end =
                i < static_cast<int>(stops.size()) ? stops[static_cast<std::size_t>(i)] - 3 : right;
            if (const int needed = metrics.horizontalAdvance(fields[i]); needed > end - left)
                found << Misfit(list, fields[i], needed, end - left);
        }
    }
}

QString Caption(const QWidget* w) {
    if (const auto* label = qobject_cast<const QLabel*>(w)) return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text();
    return {};
}

// A label that draws only its text: its background is what lies under it.
bool TextOnly(const QWidget* w) {
    const auto* label = qobject_cast<const QLabel*>(w);
    return label && !label->autoFillBackground() && label->frameShape() == QFrame::NoFrame &&
           label->pixmap().isNull();
}

// Where a widget draws: a text-only label its text, the markers of the rules across levels from
// the first one on, any other widget its whole area.
QRect DrawnArea(const QWidget* w) {
    if (qobject_cast<const TPBoxWGAcross*>(w))
        return w->geometry().adjusted(TPBoxWGAcross::MarkerX(0), 0, 0, 0);
    if (!TextOnly(w)) return w->geometry();
    const auto* label = static_cast<const QLabel*>(w);
    const QSize text(TextWidth(w->fontMetrics(), label->text()),
                     w->fontMetrics().height() * TextLines(label->text()));
    return (QStyle::alignedRect(w->layoutDirection(), label->alignment(), text, w->contentsRect()) &
            w->rect())
        .translated(w->pos());
}

// Captions side by side must not run into each other: the drawn text of a label stays clear of what
// its visible neighbours draw.
void CheckNeighbours(const QLabel* label, QStringList& found) {
    if (label->text().isEmpty() || !label->parentWidget()) return;
    const QRect drawn = DrawnArea(label);
    for (const QObject* child : label->parentWidget()->children()) {
        const auto* other = qobject_cast<const QWidget*>(child);
        if (!other || other == label || !other->isVisible() || other->isWindow()) continue;
        const QRect area = DrawnArea(other);
        const int gap = TextOnly(other) ? 2 : 0; // two texts that touch read as one word
        if (area.intersects(drawn.adjusted(-gap, 0, gap, 0)))
            found << QStringLiteral("%1 \"%2\" runs into %3 \"%4\"")
                         .arg(label->objectName(), label->text(), other->objectName(), Caption(other));
    }
}

QStringList Misfits(QWidget* window) {
    QStringList found;
    // The desktop cuts a caption wider than the title bar ("Print Q… HbA1c").
    if (!window->windowFlags().testFlag(Qt::FramelessWindowHint) && TitleBarWidth(window) > window->width())
        found << Misfit(window, window->windowTitle(), TitleBarWidth(window), window->width()) +
                     QStringLiteral(" for its title");
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible() || InsideAnotherControl(w, window)) continue;
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
            CheckLabel(label, found);
            if (TextOnly(label)) CheckNeighbours(label, found);
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
            CheckButton(button, found);
        } else if (const auto* grid = qobject_cast<const QTableWidget*>(w)) {
            CheckGridCells(grid, found);
        } else if (const auto* list = qobject_cast<const TTabList*>(w)) {
            CheckTabbedLines(list, list->Delegate()->TabStops(), found);
        } else if (const auto* archives = dynamic_cast<const TTabbedList*>(w)) {
            CheckTabbedLines(archives, archives->TabStops(), found);
        } else if (const auto* data = qobject_cast<const TWinShowData*>(window); data && w == data->LB()) {
            CheckTabbedLines(data->LB(), DataLineTabStops(MaxLevels, data->LB()), found);
        }
    }
    return found;
}

QStringList MisfitsOnEveryPage(QWidget* window) {
    return test::CheckEveryPage(window, Misfits);
}

// The desktop's own font (the test program keeps the platform's: 0), the window font and the larger
// sizes a desktop or its user may choose, and a desktop theme's style sheet that imposes 12 points
// on every widget (-12).
class TStyleSheetScope {
public:
    explicit TStyleSheetScope(const QString& sheet) { qApp->setStyleSheet(sheet); }
    ~TStyleSheetScope() { qApp->setStyleSheet(QString()); }
    TStyleSheetScope(const TStyleSheetScope&) = delete;
    TStyleSheetScope& operator=(const TStyleSheetScope&) = delete;
};

class LayoutFit : public testing::TestWithParam<int> {
protected:
    std::optional<test::TWindowFontScope> font_ = GetParam() > 0
                                                      ? std::make_optional<test::TWindowFontScope>(GetParam())
                                                      : std::nullopt;
    std::optional<TStyleSheetScope> sheet_ =
        GetParam() < 0 ? std::make_optional<TStyleSheetScope>(
                             QStringLiteral("QWidget { font-size: %1pt; }").arg(-GetParam()))
                       : std::nullopt;
};

TEST_P(LayoutFit, NoTextOfAnyWindowIsCut) {
    test::CheckEveryWindow(MisfitsOnEveryPage);
}

// On a screen smaller than the main window (a large font, a scaled screen) the window stays on the
// screen and its client scrolls, so that the bottom bar can still be reached; where the screen has
// room the whole client shows.
TEST_P(LayoutFit, MainWindowScrollsWhenLargerThanTheScreen) {
    test::TScriptedMessages messages;
    const TSettings saved = Settings;
    Settings.ShowAboutAtStart = 0;
    TWinMain window;
    window.SetScreenChecks(false);
    test::ShowActive(&window);
    auto* scroller = window.findChild<QScrollArea*>(QStringLiteral("ClientScroller"));
    ASSERT_TRUE(scroller && scroller->widget());
    const QSize client = scroller->widget()->size();
    const QRect screen = window.screen()->availableGeometry();
    EXPECT_LE(window.frameGeometry().width(), screen.width());
    EXPECT_LE(window.frameGeometry().height(), screen.height());
    if (client.width() > screen.width() || client.height() > screen.height()) {
        scroller->ensureWidgetVisible(window.BtExit());
        const QRect exit(window.BtExit()->mapTo(scroller->viewport(), QPoint(0, 0)), window.BtExit()->size());
        EXPECT_TRUE(scroller->viewport()->rect().contains(exit)) << client.width() << "x" << client.height();
    } else {
        EXPECT_EQ(scroller->viewport()->size(), client);
    }
    Settings = saved;
}

// The windows that lay themselves out (their grids scroll) open no larger than the screen, so that
// their OK and Cancel stay on it at any scale.
TEST_P(LayoutFit, WindowsWithScrollingGridsOpenWithinTheScreen) {
    const std::vector<std::pair<const char*, std::function<std::unique_ptr<QWidget>()>>> windows = {
        {"quality goals", [] { return std::unique_ptr<QWidget>(new TWinQualityGoals()); }},
        {"monthly summary", [] { return std::unique_ptr<QWidget>(new TWinMonthlySummary()); }},
        {"audit trail", [] { return std::unique_ptr<QWidget>(new TWinAuditTrail()); }},
    };
    for (const auto& [title, make] : windows) {
        const std::unique_ptr<QWidget> window = make();
        const QSize room = window->screen()->availableGeometry().size();
        EXPECT_LE(window->width(), room.width()) << title;
        EXPECT_LE(window->height(), room.height()) << title;
    }
}

// At the window font nothing grows: the client keeps the size its arrangement was drawn for.
TEST(MainWindowLayout, KeepsItsDesignClientAtTheWindowFont) {
    test::TWindowFontScope font;
    TWinMain window;
    const auto* scroller = window.findChild<QScrollArea*>(QStringLiteral("ClientScroller"));
    ASSERT_TRUE(scroller && scroller->widget());
    EXPECT_EQ(scroller->widget()->size(), QSize(792, 526));
    EXPECT_EQ(window.BtExit()->geometry(), QRect(3 + 8 * 87, 5, 84, 34));
}

INSTANTIATE_TEST_SUITE_P(Points, LayoutFit, testing::Values(0, 8, 10, 12, -12));

} // namespace
} // namespace tervanix
