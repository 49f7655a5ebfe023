// Definition of control materials: names and lot numbers, edited on a working copy. A material
// can change its description only (the series measured on it go on) or change with erasure of
// the former data (a new lot: on OK every series measured on the old lot is archived and erased).
// The erasing change is guarded by the password.
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <vector>

#include "main/UAuditNotes.h"

class QLineEdit;
class QListWidgetItem;
class QPushButton;

namespace tervanix {

class TKeyLock;
class TTabList;
struct TMaterial;

// A material's line in the material lists: name, TAB, lot.
QString MaterialLine(const TMaterial& material);
// The live materials, sorted as the list box sorts them, each line carrying its material's id.
void FillMaterialList(TTabList* list);
// The id of a line's material; -1 for a line added since the dialog was shown.
std::int32_t LineMaterialId(const QListWidgetItem* item);

class TWinDefSerum : public QDialog {
    Q_OBJECT
public:
    explicit TWinDefSerum(QWidget* parent = nullptr);

    void AddClick();
    void ReplaceClick();
    void EraseClick();
    void DeleteClick();
    void UsedInClick();
    void ClearClick();
    void UndoClick();
    // OK: deletions, new materials, plain changes, and the lot changes the operator confirms.
    void ApplyWorkingCopy();
    // What ApplyWorkingCopy changes, for the audit trail.
    TAuditNotes ChangeNotes() const;

    QLineEdit* EditNom() const { return editNom_; }
    QLineEdit* EditLot() const { return editLot_; }
    TTabList* LBSerum() const { return lbSerum_; }
    QPushButton* BtAjouter() const { return btAjouter_; }
    QPushButton* BtReplace() const { return btReplace_; }
    QPushButton* BtErase() const { return btErase_; }
    QPushButton* BtClear() const { return btClear_; }
    QPushButton* BtCle() const { return btCle_; }
    QPushButton* BtSupprimer() const { return btSupprimer_; }
    QPushButton* BtUsedIn() const { return btUsedIn_; }
    QPushButton* BtOK() const { return btOK_; }
    QPushButton* BtDefaire() const { return btDefaire_; }
    QPushButton* BitBtn1() const { return bitBtn1_; }

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void CreateEditPanel();
    void CreateListPanel();
    void Activate();
    void LineClick();
    // The line of the fields; shows the refusal and returns false when there is none.
    bool BuildLine(QString& text);
    // Replaces the selected line by the text, keeping its material, and selects it.
    void ReplaceSelected(const QString& text);
    void ConfirmLotChange(std::int32_t id, const QString& name, const QString& lot);

    QLineEdit* editNom_ = nullptr;
    QLineEdit* editLot_ = nullptr;
    TTabList* lbSerum_ = nullptr;
    QPushButton* btAjouter_ = nullptr;
    QPushButton* btReplace_ = nullptr;
    QPushButton* btErase_ = nullptr;
    QPushButton* btClear_ = nullptr;
    QPushButton* btCle_ = nullptr;
    QPushButton* btSupprimer_ = nullptr;
    QPushButton* btUsedIn_ = nullptr;
    QPushButton* btOK_ = nullptr;
    QPushButton* btDefaire_ = nullptr;
    QPushButton* bitBtn1_ = nullptr;
    TKeyLock* eraseLock_ = nullptr;
    // Ids of the live materials whose lines were deleted.
    std::vector<std::int32_t> deleted_;
};

} // namespace tervanix
