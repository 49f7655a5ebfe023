// Printing of the stored runs of an analyte as a table: one row per run with date, time, the value
// of each level marked by its status, operator and comment, optionally followed by the statistics
// of the printed runs. The dialog TWinPrnData chooses the date range; tervanix-cli prints the same.
#pragma once

#include <QDialog>
#include <QRect>
#include <QString>
#include <QStringList>
#include <vector>

#include "charts/UPrintJob.h"
#include "charts/UPrnTable.h"
#include "model/UTypes.h"

class QCheckBox;
class QDate;
class QDateEdit;
class QLabel;
class QPushButton;

namespace tervanix {

class TAnalyte;
class TListSerum;

// A run of consecutive stored points first..last; empty when last < first.
struct TPointRange {
    int First = 0;
    int Last = -1;
    int Count() const { return Last >= First ? Last - First + 1 : 0; }
};

// The points dated on the days d1 to d2 (times ignored, the two days exchanged when reversed):
// from the first point at or after d1 to the last point before the day after d2.
TPointRange PointsInDateRange(const TAnalyte& analyte, TDateTime d1, TDateTime d2);

// The table of the runs of `range`: one column per level between Time and Operator.
std::vector<int> DataTableWidths(int levelCount);
QStringList DataTableHeadingLines(const TAnalyte& analyte, const TListSerum& materials);
std::vector<TTableCell> DataTableCells(const TAnalyte& analyte, TPointRange range, bool withStatistics);

// Draws the table titled `title` (its footers carry the title too).
void PrintDataTable(TPrintPages& pages, const TAnalyte& analyte, const TListSerum& materials, TPointRange range,
                    const QString& title, bool withStatistics);
// The print job "Printing QC data" of the table titled "QC data for " + name, portrait. The job
// refers to the analyte and the materials: print it before they change.
TPrintJob DataTableJob(const TAnalyte& analyte, const TListSerum& materials, TPointRange range, bool withStatistics);

// The count panel and the two date pickers of a printing dialog, at the dialog's own places.
class TDateRangeControls {
public:
    struct TLayout {
        QPoint CountLabel;
        QRect CountPanel;
        QPoint FirstLabel;
        QRect FirstPicker;
        QPoint LastLabel;
        QRect LastPicker;
    };
    TDateRangeControls(QWidget* parent, const QString& countCaption, const TLayout& layout);

    // The pickers on the dates of the first and the last point; focus on the first picker.
    void ShowSeries(const TAnalyte& analyte);
    // A date being typed counts: the pickers take the text as it stands.
    void TakeTypedDates();
    TPointRange Range(const TAnalyte& analyte) const;
    void ShowCount(int count);

    QLabel* CountPanel = nullptr;
    QDateEdit* DatePicker1 = nullptr;
    QDateEdit* DatePicker2 = nullptr;
};

// The data printing dialog, opened by the data table for its analyte.
class TWinPrnData : public QDialog {
    Q_OBJECT
public:
    explicit TWinPrnData(QWidget* parent = nullptr);

    // Fills the dialog for the analyte (FormActivate), then runs it modally.
    int Execute(const TAnalyte& analyte, const TListSerum& materials);
    void Prepare(const TAnalyte& analyte, const TListSerum& materials);
    void CountNbLines();
    void BtPrintClick();

    QLabel* PanelNbLines() const { return range_.CountPanel; }
    QDateEdit* DatePicker1() const { return range_.DatePicker1; }
    QDateEdit* DatePicker2() const { return range_.DatePicker2; }
    QCheckBox* CBPrnStats() const { return cbPrnStats_; }
    QPushButton* BtPrint() const { return btPrint_; }
    QPushButton* BitBtn1() const { return bitBtn1_; }

private:
    TDateRangeControls range_;
    QCheckBox* cbPrnStats_;
    QPushButton* btPrint_;
    QPushButton* bitBtn1_;
    const TAnalyte* analyte_ = nullptr;
    const TListSerum* materials_ = nullptr;
};

// The Print and Cancel buttons at the foot of a printing dialog, on a panel of the given height.
struct TPrintButtons {
    QPushButton* Print;
    QPushButton* Cancel;
};
TPrintButtons MakePrintButtons(QDialog* dialog, int panelHeight);
// Yellow, lowered: the count of a printing dialog.
QLabel* MakeCountPanel(QWidget* parent, const QRect& geometry, const char* name, const QString& accessibleName);

} // namespace tervanix
