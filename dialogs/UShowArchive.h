// The points and statistics of one archive, read-only, with its print.
#pragma once

#include <QDialog>

#include "model/UArchive.h"

class QLabel;
class QPushButton;

namespace tervanix {

class TTabbedList;

class TWinShowArchive : public QDialog {
    Q_OBJECT
public:
    explicit TWinShowArchive(QWidget* parent = nullptr);

    // Fills the window with the archive of the analyte; the caller then shows it modally.
    void Fill(const QString& analyteName, const TArchiveContent& archive);

    TTabbedList* LB() const { return lb_; }
    QLabel* PanelControlMaterial() const { return panelControlMaterial_; }
    QLabel* LblLot() const { return lblLot_; }
    QLabel* LblDateFrom() const { return lblDateFrom_; }
    QLabel* LblDateTo() const { return lblDateTo_; }
    QLabel* LblMean() const { return lblMean_; }
    QLabel* LblUnite() const { return lblUnite_; }
    QLabel* LblCV() const { return lblCV_; }
    QLabel* LblNbre() const { return lblNbre_; }
    QPushButton* BtImprimer() const { return btImprimer_; }
    QPushButton* BtOK() const { return btOK_; }

private:
    QLabel* AddValue(const QString& caption, int top, const char* name, int width = 56);
    void PrintClick();

    QString analyteName_;
    TArchiveContent archive_;
    TTabbedList* lb_ = nullptr;
    QLabel* panelControlMaterial_ = nullptr;
    QLabel* lblLot_ = nullptr;
    QLabel* lblDateFrom_ = nullptr;
    QLabel* lblDateTo_ = nullptr;
    QLabel* lblMean_ = nullptr;
    QLabel* lblUnite_ = nullptr;
    QLabel* lblCV_ = nullptr;
    QLabel* lblNbre_ = nullptr;
    QPushButton* btImprimer_ = nullptr;
    QPushButton* btOK_ = nullptr;
};

} // namespace tervanix
