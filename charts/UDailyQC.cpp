#include "charts/UDailyQC.h"

#include <QCalendarWidget>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTextOption>

#include "charts/UPrintService.h"
#include "main/UColors.h"
#include "main/UDateTimeEdits.h"
#include "main/UFontFit.h"
#include "main/UMessages.h"
#include "main/UResources.h"
#include "model/UAnalyte.h"
#include "model/UClock.h"
#include "model/UGlobals.h"

namespace tervanix {
namespace {

constexpr int ItemHeight = 16;
// The statuses of the three levels of a list item, for its marks.
constexpr int StatusRole = Qt::UserRole;

// Each item is drawn as on the sheet: alternate light cyan and white lines, columns at fixed tab
// stops, and a status mark just left of each level's value.
class TDayRunDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QRect r = option.rect;
        painter->save();
        painter->fillRect(r, AlternateLineColour(index.row()));
        painter->setPen(clBlack);
        painter->setFont(option.font);
        QTextOption layout(Qt::AlignLeft | Qt::AlignTop);
        layout.setWrapMode(QTextOption::NoWrap);
        layout.setTabArray({110, 200, 260, 320, 370, 415});
        painter->drawText(QRectF(r.left(), r.top() + 1, r.width(), r.height() - 1),
                          index.data(Qt::DisplayRole).toString(), layout);
        const QVariantList statuses = index.data(StatusRole).toList();
        for (int j = 0; j < statuses.size(); ++j) {
            const QPixmap mark = StatusBitmap(static_cast<std::uint8_t>(statuses[j].toInt()));
            if (!mark.isNull()) painter->drawPixmap(r.left() + 185 + 60 * j, r.top() + 2, mark);
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return QSize(option.rect.width(), ItemHeight);
    }
};

QLabel* MakeCaption(QWidget* parent, const QString& text, const char* name, int left, int width) {
    auto* caption = new QLabel(text, parent);
    caption->setObjectName(QString::fromLatin1(name));
    caption->setGeometry(left, 8, width, 19);
    caption->setAlignment(Qt::AlignCenter);
    caption->setAutoFillBackground(true);
    QPalette pal = caption->palette();
    pal.setColor(QPalette::Window, clNavy);
    pal.setColor(QPalette::WindowText, clYellow);
    caption->setPalette(pal);
    QFont font = caption->font();
    font.setPointSize(8);
    caption->setFont(font);
    return caption;
}

QPushButton* MakeButton(QWidget* parent, const QString& caption, const char* name, int top) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(47, top, 75, 25);
    return button;
}

} // namespace

TWinDailyQC::TWinDailyQC(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WinDailyQC"));
    setWindowTitle(QStringLiteral("QC daily summary"));
    setFixedSize(741, 340);
    CreateCaptions();
    CreateList();
    CreateCalendarAndButtons();
    // Enter closes as Escape does, wherever the focus is.
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, this, &QDialog::accept);
    }
    FitToFont(this);
}

void TWinDailyQC::CreateCaptions() {
    auto* panel1 = new QWidget(this);
    panel1->setObjectName(QStringLiteral("Panel1"));
    panel1->setGeometry(0, 0, 741, 35);
    MakeCaption(panel1, QStringLiteral("Analyte"), "Panel4", 9, 90);
    MakeCaption(panel1, QStringLiteral("Time"), "LblDate", 117, 60);
    MakeCaption(panel1, QStringLiteral("QC1"), "lblCQ1", 193, 50);
    MakeCaption(panel1, QStringLiteral("QC2"), "LblCQ2", 252, 50);
    MakeCaption(panel1, QStringLiteral("QC3"), "LblCQ3", 311, 45);
    MakeCaption(panel1, QStringLiteral("Operator"), "LblOperator", 363, 55);
    MakeCaption(panel1, QStringLiteral("Comment"), "LblComment", 428, 130);
    MakeCaption(panel1, QStringLiteral("Date"), "Panel3", 628, 60);
}

void TWinDailyQC::CreateList() {
    lb_ = new QListWidget(this);
    lb_->setObjectName(QStringLiteral("LB"));
    lb_->setAccessibleName(QStringLiteral("Runs of the day"));
    lb_->setGeometry(0, 35, 570, 304);
    lb_->setUniformItemSizes(true);
    lb_->setItemDelegate(new TDayRunDelegate(lb_));
}

void TWinDailyQC::CreateCalendarAndButtons() {
    calendar_ = new QCalendarWidget(this);
    calendar_->setObjectName(QStringLiteral("Calendar"));
    calendar_->setAccessibleName(QStringLiteral("Date"));
    calendar_->setGeometry(569, 35, 173, 155);
    calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    calendar_->setHorizontalHeaderFormat(QCalendarWidget::SingleLetterDayNames);
    calendar_->setMinimumDate(QDate(1900, 1, 1));
    connect(calendar_, &QCalendarWidget::selectionChanged, this, &TWinDailyQC::FillDayList);
    // The calendar's own month buttons come without names for screen readers.
    const std::pair<const char*, const char*> parts[] = {{"qt_calendar_prevmonth", "Previous month"},
                                                         {"qt_calendar_nextmonth", "Next month"},
                                                         {"qt_calendar_monthbutton", "Month"},
                                                         {"qt_calendar_yearbutton", "Year"},
                                                         {"qt_calendar_yearedit", "Year"}};
    for (const auto& [name, caption] : parts)
        if (auto* part = calendar_->findChild<QWidget*>(QLatin1String(name))) part->setAccessibleName(QLatin1String(caption));

    auto* panel2 = new QWidget(this);
    panel2->setObjectName(QStringLiteral("Panel2"));
    panel2->setGeometry(571, 190, 170, 150);
    btToday_ = MakeButton(panel2, QStringLiteral("&Today"), "BtToday", 18);
    btOK_ = MakeButton(panel2, QStringLiteral("OK"), "BtOK", 63);
    btPrn_ = MakeButton(panel2, QStringLiteral("&Print"), "BtPrn", 108);
    connect(btPrn_, &QPushButton::clicked, this, &TWinDailyQC::BtPrnClick);
    connect(btToday_, &QPushButton::clicked, this, &TWinDailyQC::BtTodayClick);
    connect(btOK_, &QPushButton::clicked, this, &QDialog::accept);
}

TDateTime TWinDailyQC::Day() const {
    return DateTimeOf(calendar_->selectedDate());
}

void TWinDailyQC::FillDayList() {
    runs_ = CollectDayRuns(Analytes, Day());
    lb_->clear();
    for (const TDayRun& run : runs_) {
        auto* item = new QListWidgetItem(DayRunText(run), lb_);
        QVariantList statuses;
        for (int level = 0; level < MaxLevels; ++level)
            statuses << (level < run.Analyte->LevelCount ? run.Point->Levels[static_cast<std::size_t>(level)].Status
                                                         : static_cast<int>(qsNoValue));
        item->setData(StatusRole, statuses);
    }
}

void TWinDailyQC::BtPrnClick() {
    // The runs are collected again: the sheet shows the series as it is when printed.
    const std::vector<TDayRun> runs = CollectDayRuns(Analytes, Day());
    if (runs.empty()) {
        ShowError(QStringLiteral("Nothing to print"));
        return;
    }
    if (PrintJob(this, DailyPrintJob(runs, Day())) == TPrintOutcome::Printed) accept();
}

void TWinDailyQC::BtTodayClick() {
    {
        const QSignalBlocker quiet(calendar_);
        calendar_->setSelectedDate(QDateOf(Today()));
    }
    FillDayList();
    calendar_->setFocus();
}

void TWinDailyQC::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    BtTodayClick();
}

} // namespace tervanix
