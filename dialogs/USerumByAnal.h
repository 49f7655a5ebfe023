// Assignment of control materials to the QC levels of one analyte: a material of the list is
// clicked, dragged or Alt-digit assigned to a level; the analyte then changes only its assignment
// (its series go on), or changes with archiving and erasing of the data measured on the former
// materials (a change of lot), the latter guarded by the password.
#pragma once

#include <QDialog>
#include <array>
#include <cstdint>

#include "main/UAuditNotes.h"
#include "model/UTypes.h"

class QLabel;
class QPushButton;

namespace tervanix {

class TAnalyte;
class TArrowButton;
class TKeyLock;
class TLevelPanel;
class TTabList;

class TWinSerumByAnal : public QDialog {
    Q_OBJECT
public:
    explicit TWinSerumByAnal(QWidget* parent = nullptr);

    // Runs the dialog on the analyte; QDialog::Accepted after either change button (or the
    // erase confirmation's Cancel), Rejected after Cancel.
    int Execute(TAnalyte& analyte);
    // Shows the dialog on the analyte without waiting (tests).
    void Prepare(TAnalyte& analyte);

    // The selected material to level `level` (0-based).
    void Assign(int level);
    void ChangeAssignmentClick();
    void EraseClick();
    void UndoClick();

    const std::array<std::int32_t, MaxLevels>& WorkingAssignment() const { return working_; }
    TTabList* LBSerum() const { return lbSerum_; }
    TArrowButton* Arrow(int level) const { return arrows_[static_cast<std::size_t>(level)]; }
    TLevelPanel* LevelPanel(int level) const { return panels_[static_cast<std::size_t>(level)]; }
    QLabel* Panel9() const { return panel9_; }
    QPushButton* BitBtn1() const { return bitBtn1_; }
    QPushButton* BtErase() const { return btErase_; }
    QPushButton* BtUndo() const { return btUndo_; }
    QPushButton* BtCancel() const { return btCancel_; }
    QPushButton* BtCle() const { return btCle_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateLevels(QWidget* panel);
    void Initialise();
    void ShowLevel(int level);
    int ChangedLevels() const;
    TAuditNotes AssignmentNotes(bool archived) const;

    TAnalyte* analyte_ = nullptr;
    std::array<std::int32_t, MaxLevels> working_{-1, -1, -1};
    TTabList* lbSerum_ = nullptr;
    QLabel* panel9_ = nullptr;
    std::array<TArrowButton*, MaxLevels> arrows_{};
    std::array<TLevelPanel*, MaxLevels> panels_{};
    QPushButton* bitBtn1_ = nullptr;
    QPushButton* btErase_ = nullptr;
    QPushButton* btUndo_ = nullptr;
    QPushButton* btCancel_ = nullptr;
    QPushButton* btCle_ = nullptr;
    TKeyLock* eraseLock_ = nullptr;
};

// The panel of a level: the material's name over its lot, white while it is the analyte's own,
// yellow once another is chosen; it takes a material dropped on it.
class TLevelPanel : public QWidget {
    Q_OBJECT
public:
    explicit TLevelPanel(QWidget* parent);
    void SetMaterial(const QString& name, const QString& lot, bool changed);
    const QString& MaterialName() const { return name_; }
    const QString& MaterialLot() const { return lot_; }
    bool Changed() const { return changed_; }

signals:
    void Dropped();

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QString name_, lot_;
    bool changed_ = false;
};

} // namespace tervanix
