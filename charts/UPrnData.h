// The data printing dialog: it chooses the date range of the runs to print and prints them with
// the data table of charts/UPrnDataPages.h; also the date range controls and the buttons that the
// printing dialogs share.
#pragma once

#include <QDialog>
#include <QRect>
#include <QString>
#include <QStringList>
#include <vector>

#include "charts/UPrnDataPages.h"
#include "model/UTypes.h"

class QCheckBox;
class QDate;
class QDateEdit;
class QLabel;
class QPushButton;

namespace tervanix {

class TAnalyte;
class TListSerum;

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
