// Definition of analytes: the operator creates, edits, reorders and deletes analytes on a working
// copy held in the list box; the live analyte list changes only on OK, and Undo throws the whole
// working copy away. Deleting an analyte is guarded by the password and removes its archive files
// on OK.
#pragma once

#include <QDialog>
#include <QString>
#include <vector>

#include "main/UAuditNotes.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace tervanix {

class TAnalyte;
class TKeyLock;
class TTabList;

// One line of the working copy: name, levels, unit, decimals and "Yes"/"No" separated by TABs.
struct TAnalyteLine {
    QString Name;
    int Levels = 3;
    QString Unit;
    int Decimals = 0;
    bool CommonCV = false;
    QString Text() const;
    static TAnalyteLine FromText(const QString& text);
};

class TWinDefAnalytes : public QDialog {
    Q_OBJECT
public:
    explicit TWinDefAnalytes(QWidget* parent = nullptr);

    // Commands, as the buttons run them.
    void AddClick();
    void ReplaceClick();
    void ClearClick();
    void DeleteClick();
    void MoveClick(int where); // 0 top, 1 up, 2 down, 3 bottom
    void SortClick();
    void UndoClick();
    // A line dragged (the selected one) and dropped on the line `target`.
    void DropOn(int target);
    // OK: the working copy becomes the live list; deleted analytes go with their archive files.
    void ApplyWorkingCopy();
    // What ApplyWorkingCopy changes, for the audit trail.
    TAuditNotes ChangeNotes() const;

    QLineEdit* EditNom() const { return editNom_; }
    QSpinBox* SELevels() const { return seLevels_; }
    QComboBox* CBUnite() const { return cbUnite_; }
    QSpinBox* SEDecim() const { return seDecim_; }
    QCheckBox* CBCommonCV() const { return cbCommonCV_; }
    TTabList* LBox() const { return lbox_; }
    QPushButton* BtAjouter() const { return btAjouter_; }
    QPushButton* BtCorriger() const { return btCorriger_; }
    QPushButton* BtClear() const { return btClear_; }
    QPushButton* BtTop() const { return btTop_; }
    QPushButton* SpeedButton1() const { return btUp_; }
    QPushButton* SpeedButton2() const { return btDown_; }
    QPushButton* BtBottom() const { return btBottom_; }
    QPushButton* BtSort() const { return btSort_; }
    QPushButton* BtSupprimer() const { return btSupprimer_; }
    QPushButton* BtCle() const { return btCle_; }
    QPushButton* BtOK() const { return btOK_; }
    QPushButton* BtDefaire() const { return btDefaire_; }
    QPushButton* BtCancel() const { return btCancel_; }

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void CreateEditPanel();
    void CreateListPanel();
    void CreateButtons();
    void Activate();
    void FillList();
    void LBoxClick();
    void SelectRow(int row);
    // The line of the fields; shows the refusal and returns false when there is none.
    bool BuildLine(int replacedRow, TAnalyteLine& line);
    bool CanReduceLevels(const TAnalyte& analyte, int newLevels);
    void MoveLine(int from, int to);
    void FocusName();

    QLineEdit* editNom_ = nullptr;
    QSpinBox* seLevels_ = nullptr;
    QComboBox* cbUnite_ = nullptr;
    QSpinBox* seDecim_ = nullptr;
    QCheckBox* cbCommonCV_ = nullptr;
    TTabList* lbox_ = nullptr;
    QPushButton* btAjouter_ = nullptr;
    QPushButton* btCorriger_ = nullptr;
    QPushButton* btClear_ = nullptr;
    QPushButton* btTop_ = nullptr;
    QPushButton* btUp_ = nullptr;
    QPushButton* btDown_ = nullptr;
    QPushButton* btBottom_ = nullptr;
    QPushButton* btSort_ = nullptr;
    QPushButton* btSupprimer_ = nullptr;
    QPushButton* btCle_ = nullptr;
    QPushButton* btOK_ = nullptr;
    QPushButton* btDefaire_ = nullptr;
    QPushButton* btCancel_ = nullptr;
    TKeyLock* deleteLock_ = nullptr;
    // Analytes whose lines were deleted since the dialog was shown (null for a line without one).
    std::vector<TAnalyte*> deleted_;
};

} // namespace tervanix
