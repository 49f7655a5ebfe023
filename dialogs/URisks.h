// The two statistical risks from which every alert and action limit is computed. Each click is
// previewed at once on the current analyte's limits and chart; leaving without OK puts the former
// risks back.
#pragma once

#include <QDialog>
#include <functional>

#include "model/UTypes.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace tervanix {

class TAnalyte;
class TKeyLock;

class TWinRisks : public QDialog {
    Q_OBJECT
public:
    // Each choice is previewed on the analyte `shown` gives (the main window's current one, or
    // none), through the laboratory, which tells the chart.
    explicit TWinRisks(std::function<TAnalyte*()> shown, QWidget* parent = nullptr);

    // The risks as they were when the window was shown.
    TRiskIndex RememberedAlert() const { return rememberedAlert_; }
    TRiskIndex RememberedAction() const { return rememberedAction_; }

    QLabel* PanelInfo() const { return panelInfo_; }
    QGroupBox* RGAlert() const { return rgAlert_; }
    QGroupBox* RGAction() const { return rgAction_; }
    // Item k of a group (alert: risk index k; action: risk index k + 2).
    QRadioButton* AlertItem(int k) const;
    QRadioButton* ActionItem(int k) const;
    QPushButton* BtOK() const { return btOK_; }
    QPushButton* BtCancel() const { return btCancel_; }
    QPushButton* BtUndo() const { return btUndo_; }
    QPushButton* BtCle() const { return btCle_; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QGroupBox* MakeGroup(const QString& title, const char* name, QRect geometry, const QStringList& items,
                         QButtonGroup*& buttons);
    void SelectPresentItems();
    void SetRisks(TRiskIndex alert, TRiskIndex action);
    void BtUndoClick();

    std::function<TAnalyte*()> shown_;
    TRiskIndex rememberedAlert_ = 0;
    TRiskIndex rememberedAction_ = 4;

    QLabel* panelInfo_;
    QGroupBox* rgAlert_;
    QGroupBox* rgAction_;
    QButtonGroup* alertButtons_ = nullptr;
    QButtonGroup* actionButtons_ = nullptr;
    QPushButton* btOK_;
    QPushButton* btCancel_;
    QPushButton* btUndo_;
    QPushButton* btCle_;
    TKeyLock* lock_;
};

// The "Statistical risks" command: runs the dialog modally; on OK every analyte's limits follow and
// the settings file is written at once. True on OK.
bool ChangeRisks(TWinRisks& window);

} // namespace tervanix
