// Special functions › Audit trail: the entries of the audit trail newest first, filtered by
// analyte, action and dates, the details of the selected entry, whether the chain is intact, and
// the printout of what the filters select. It only reads: the trail is written by the laboratory.
#pragma once

#include <QDialog>
#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "model/UAuditTrail.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLayout;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QThread;

namespace tervanix {

class TAuditModel;

class TWinAuditTrail : public QDialog {
    Q_OBJECT
public:
    // The list shows at most this many entries, the newest; the printout takes them all.
    static constexpr std::size_t ShownEntries = 10000;

    explicit TWinAuditTrail(QWidget* parent = nullptr);
    ~TWinAuditTrail() override;

    // Shows the trail of that audit file modally.
    void Execute(const std::string& path);
    // Reads the trail (the newest entries the filters select) and starts the check of its chain.
    void Open(const std::string& path);
    // The check of the chain has ended and its line is shown.
    bool Checked() const { return checked_; }

    QTableView* List() const { return list_; }
    QComboBox* AnalyteFilter() const { return analyte_; }
    QComboBox* ActionFilter() const { return action_; }
    QCheckBox* DateFilter() const { return dates_; }
    QDateEdit* FromDate() const { return from_; }
    QDateEdit* ToDate() const { return to_; }
    QPlainTextEdit* Details() const { return details_; }
    QLabel* CheckLine() const { return checkLine_; }
    QPushButton* BtPrint() const { return btPrint_; }

signals:
    // The check of the chain has ended and its line is shown.
    void ChainChecked();

private:
    QLayout* CreateFilters();
    TAuditFilter Filter() const;
    void Reload();
    void ShowSelected();
    void StartCheck();
    void EndCheck();
    void WaitForCheck();
    void PrintClick();

    std::string path_;
    TAuditModel* model_ = nullptr;
    QTableView* list_ = nullptr;
    QComboBox* analyte_ = nullptr;
    QComboBox* action_ = nullptr;
    QCheckBox* dates_ = nullptr;
    QDateEdit* from_ = nullptr;
    QDateEdit* to_ = nullptr;
    QPlainTextEdit* details_ = nullptr;
    QLabel* checkLine_ = nullptr;
    QLabel* shownLine_ = nullptr;
    QPushButton* btPrint_ = nullptr;
    QPushButton* btClose_ = nullptr;
    std::unique_ptr<QThread> check_;
    std::shared_ptr<std::optional<TAuditCheck>> checkResult_;
    std::shared_ptr<std::atomic<bool>> stopCheck_;
    bool checked_ = false;
};

} // namespace tervanix
