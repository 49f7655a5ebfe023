// The limits view: for the current analyte, one column per QC level with its material, lot, limits
// mode, target, warning and action limits, reference interval, number of points, reference CV and
// degrees of freedom, all from the limits in use. It is also where the analyte's common-CV method is
// switched, with immediate effect on the limits and the chart; Cancel undoes the switch.
#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>
#include <vector>

#include "charts/UPrintService.h"
#include "charts/UShowLimitsPages.h"

class QCheckBox;
class QPushButton;
class QTableWidget;
class QWidget;

namespace tervanix {

class TAnalyte;
class TKeyLock;
class TListSerum;

class TWinShowLimits : public QDialog {
    Q_OBJECT
public:
    // The common-CV switch changes the analyte through the laboratory, which tells the chart.
    explicit TWinShowLimits(QWidget* parent = nullptr);

    // Shows the analyte's limits modally; the result of the dialog.
    int Execute(TAnalyte& analyte);
    // What showing does before the modal loop (tests drive the window without one).
    void Prepare(TAnalyte& analyte);
    void FillGrid();
    // Prints the table; a cancelled or failed print leaves the window as it was.
    TPrintOutcome BtPrnClick();

    // The common-CV option when the window was shown.
    bool RememberedCommonCV() const { return rememberedCommonCV_; }

    QTableWidget* Grid() const { return grid_; }
    QWidget* Panel3() const { return panel3_; }
    QCheckBox* CBCommonCV() const { return cbCommonCV_; }
    QPushButton* BtCle() const { return btCle_; }
    QPushButton* BtOK() const { return btOK_; }
    QPushButton* BtPrn() const { return btPrn_; }
    QPushButton* BtCancel() const { return btCancel_; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateGrid();
    void CreatePanel();
    void PlaceControls();
    int WidestLevelText() const;
    void CBCommonCVClick(bool checked);
    void SetCommonCV(bool on);

    TAnalyte* analyte_ = nullptr;
    bool rememberedCommonCV_ = false;

    QTableWidget* grid_;
    QWidget* panel3_;
    QPushButton* btCle_;
    QCheckBox* cbCommonCV_;
    QPushButton* btOK_;
    QPushButton* btPrn_;
    QPushButton* btCancel_;
    TKeyLock* lock_;
};

} // namespace tervanix
