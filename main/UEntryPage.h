// The Enter page of the main window: date and time of a run, one field per level with its
// material and unit, the operator, a comment, OK and Clear, and the list of analytes. It reads
// and shows runs; the main window takes them on their road through validation.
#pragma once

#include <QWidget>
#include <array>
#include <functional>

#include "model/UTypes.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimeEdit;

namespace tervanix {

class TAnalyte;

class TEntryPage : public QWidget {
public:
    explicit TEntryPage(QWidget* parent = nullptr);

    // Empty fields, today's date and the time of now.
    void ClearFields();
    // The operators offered, the typed one kept when `keepTyped`.
    void FillOperators(bool keepTyped);
    // The level rows of the analyte (none: every row hidden).
    void ShowLevels(const TAnalyte* analyte);
    // The run typed for the analyte; "No data" (and the command stops) when no level has a value,
    // a reader's message when a value cannot be read.
    TResu ReadRun(const TAnalyte& analyte);
    // A stored run of the analyte back in the fields, to be corrected.
    void ShowRun(const TQCPoint& point, const TAnalyte& analyte);
    // The analytes' names, the line of `row` current (signals quiet).
    void ShowAnalytes(int row);

    std::function<void()> OnSubmit;
    std::function<void()> OnClear;
    std::function<void(int row)> OnAnalyteChosen;
    std::function<void()> OnAnalyteDoubleClicked;

    QDateEdit* DatePicker() const { return datePicker_; }
    QTimeEdit* TimePicker() const { return timePicker_; }
    QLineEdit* LevelEdit(int level) const { return levelRows_[static_cast<std::size_t>(level)].Edit; }
    QLabel* LevelMaterial(int level) const { return levelRows_[static_cast<std::size_t>(level)].Material; }
    QLabel* LevelUnit(int level) const { return levelRows_[static_cast<std::size_t>(level)].Unit; }
    QComboBox* CBOperator() const { return cbOperator_; }
    QLineEdit* EditComment() const { return editComment_; }
    QPushButton* BtOKEnter() const { return btOKEnter_; }
    QPushButton* BtRAZEntryFields() const { return btRAZ_; }
    QListWidget* LBAnalytes() const { return lbAnalytes_; }

protected:
    // Return in a field submits the run as OK does; the fields pass it on to the page.
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct TLevelRow {
        QLabel* Material = nullptr;
        QLineEdit* Edit = nullptr;
        QLabel* Unit = nullptr;
    };

    void CreateHeadline();
    void CreateLevelRow(int level);
    void CreateOperatorAndComment();
    void CreateButtons();
    void CreateAnalyteList();
    void SetTabOrder();

    QDateEdit* datePicker_ = nullptr;
    QTimeEdit* timePicker_ = nullptr;
    std::array<TLevelRow, MaxLevels> levelRows_{};
    QComboBox* cbOperator_ = nullptr;
    QLineEdit* editComment_ = nullptr;
    QPushButton* btOKEnter_ = nullptr;
    QPushButton* btRAZ_ = nullptr;
    QListWidget* lbAnalytes_ = nullptr;
};

} // namespace tervanix
