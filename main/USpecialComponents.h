// The group boxes of the Lock, Fix and Erase/archive pages: one per QC level, captioned with the
// level's control material. Each knows its level; the page connects its buttons.
#pragma once

#include <QGroupBox>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tervanix {

// Locking the limits of one level on the date interval chosen on the chart.
class TGBLockedParam : public QGroupBox {
    Q_OBJECT
public:
    TGBLockedParam(int level, QWidget* parent);
    int Level() const { return level_; }
    // The state of the level's limits; a long one is read in full from the tooltip.
    void SetState(const QString& text);

    QLabel* Lbl1;          // state of the level's limits
    QPushButton* BtLock;   // "Locked"
    QPushButton* BtUnLock; // "Mobile", only while locked

private:
    int level_;
};

// Fixed limits of one level: a target and the deviations allowed before warning and action.
class TGBFixedParam : public QGroupBox {
    Q_OBJECT
public:
    TGBFixedParam(int level, QWidget* parent);
    int Level() const { return level_; }

    QLabel* LblTarget;
    QLineEdit* EditTarget;
    QLabel* LblUnite;
    QLabel* LblLimits;
    QLabel* LblWarning;
    QLineEdit* EditWarning;
    QLabel* LblAction;
    QLineEdit* EditAction;
    QPushButton* BtFix;   // "Fixed"
    QPushButton* BtUnfix; // "Mobile", only while fixed

private:
    int level_;
};

// Marking one level for erasing into an archive file.
class TGBArchivage : public QGroupBox {
    Q_OBJECT
public:
    TGBArchivage(int level, QWidget* parent);
    int Level() const { return level_; }

    QPushButton* BtArchi; // "Erase/archive data" or "Un-erase data"

private:
    int level_;
};

} // namespace tervanix
