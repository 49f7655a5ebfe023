// The daily QC summary: every run stored on one calendar day, analyte by analyte, with a status
// mark beside each level's value; printed as a cumulative daily QC sheet kept as an archive
// document. It only reads the model.
#pragma once

#include <QDialog>
#include <QString>
#include <vector>

#include "charts/UDailyQCPages.h"
#include "model/USeriesQueries.h"
#include "model/UTypes.h"

class QCalendarWidget;
class QLabel;
class QListWidget;
class QPushButton;
class QWidget;

namespace tervanix {

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
