// The daily QC summary: every run stored on one calendar day, analyte by analyte, with a status
// mark beside each level's value; printed as a cumulative daily QC sheet kept as an archive
// document. It only reads the model.
#pragma once

#include <QDialog>
#include <QString>
#include <vector>

#include "charts/UPrintJob.h"
#include "model/UTypes.h"

class QCalendarWidget;
class QLabel;
class QListWidget;
class QPushButton;
class QWidget;

namespace tervanix {

class TAnalyte;
class TListAnalytes;

// One run of the day and the analyte it belongs to.
struct TDayRun {
    const TAnalyte* Analyte = nullptr;
    const TQCPoint* Point = nullptr;
};

// The runs dated on the day that starts at `day` (00:00), in the order of the analyte list and,
// within an analyte, newest first.
std::vector<TDayRun> CollectDayRuns(const TListAnalytes& analytes, TDateTime day);

// The list line of a run: analyte, time, three values, operator, comment, TAB-separated.
QString DayRunText(const TDayRun& run);

// The text of a level's value: the analyte's decimals; empty without a value or beyond the levels.
QString DayRunValue(const TDayRun& run, int level);

// The cumulative daily QC sheet of the runs of a day, marked as an archive document: one row per
// run, each value in the cell style of its status.
TPrintJob DailyPrintJob(const std::vector<TDayRun>& runs, TDateTime day);

class TWinDailyQC : public QDialog {
    Q_OBJECT
public:
    explicit TWinDailyQC(QWidget* parent = nullptr);

    // Rebuilds the list for the calendar's day.
    void FillDayList();
    // The calendar's day at 00:00.
    TDateTime Day() const;
    const std::vector<TDayRun>& Runs() const { return runs_; }
    // Prints the day and closes the window; with nothing to print, says so. A cancelled or failed
    // print leaves the window open.
    void BtPrnClick();

    QListWidget* LB() const { return lb_; }
    QCalendarWidget* Calendar() const { return calendar_; }
    QPushButton* BtToday() const { return btToday_; }
    QPushButton* BtOK() const { return btOK_; }
    QPushButton* BtPrn() const { return btPrn_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateCaptions();
    void CreateList();
    void CreateCalendarAndButtons();
    void BtTodayClick();

    std::vector<TDayRun> runs_;

    QListWidget* lb_;
    QCalendarWidget* calendar_;
    QPushButton* btToday_;
    QPushButton* btOK_;
    QPushButton* btPrn_;
};

} // namespace tervanix
