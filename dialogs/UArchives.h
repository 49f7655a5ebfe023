// The archives of the current analyte, one summary line each: show one, print the list, and
// remove archives. Removed lines are only deleted from disk when the dialog closes with OK.
#pragma once

#include <QDialog>
#include <cstdint>
#include <vector>

#include "model/UArchive.h"

class QPushButton;

namespace tervanix {

class TAnalyte;
class TKeyLock;
class TTabbedList;
class TWinShowArchive;

class TWinArchives : public QDialog {
    Q_OBJECT
public:
    explicit TWinArchives(QWidget* parent = nullptr);
    ~TWinArchives() override;

    // Shows the analyte's archives modally. On OK the removed archives leave the analyte's list
    // and their files are deleted; returns true when the analyte's list changed.
    bool Execute(TAnalyte& analyte);

    TTabbedList* LBArchi() const { return lbArchi_; }
    QPushButton* BtShowArchive() const { return btShowArchive_; }
    QPushButton* BtImprimer() const { return btImprimer_; }
    QPushButton* BtDelete() const { return btDelete_; }
    QPushButton* BtUndo() const { return btUndo_; }
    QPushButton* BtCle() const { return btCle_; }
    QPushButton* BtOK() const { return btOK_; }
    QPushButton* BtCancel() const { return btCancel_; }
    TWinShowArchive* WinShowArchive() const { return winShowArchive_; }
    const std::vector<std::int32_t>& PendingDeletions() const { return pending_; }

private:
    struct TLine {
        std::int32_t Number;
        TArchiveContent Archive;
    };

    void FillList();
    void ShowArchiveClick();
    void PrintClick();
    void DeleteClick();
    void UndoClick();
    bool DeletePending();

    TAnalyte* analyte_ = nullptr;
    std::vector<TLine> lines_; // what each line of the list stands for, in list order
    std::vector<std::int32_t> pending_;
    TTabbedList* lbArchi_ = nullptr;
    QPushButton* btShowArchive_ = nullptr;
    QPushButton* btImprimer_ = nullptr;
    QPushButton* btDelete_ = nullptr;
    QPushButton* btUndo_ = nullptr;
    QPushButton* btCle_ = nullptr;
    QPushButton* btOK_ = nullptr;
    QPushButton* btCancel_ = nullptr;
    TKeyLock* lock_ = nullptr;
    TWinShowArchive* winShowArchive_ = nullptr;
};

} // namespace tervanix
