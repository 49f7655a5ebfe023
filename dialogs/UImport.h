// Shows the runs read from tab-separated text (the clipboard or a spreadsheet's text file) and,
// on Add, puts them into the current analyte's series.
#pragma once

#include <QAbstractListModel>
#include <QDialog>
#include <string_view>
#include <vector>

#include "model/UImportText.h"

class QLabel;
class QListView;
class QPushButton;

namespace tervanix {

class TKeyLock;

// The display lines of the parsed runs, made when they are painted: a long text costs no more
// than the lines on screen.
class TImportLines : public QAbstractListModel {
public:
    explicit TImportLines(QObject* parent) : QAbstractListModel(parent) {}
    void Reset(const std::vector<TImportRun>* runs, int decimals);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    const std::vector<TImportRun>* runs_ = nullptr;
    int decimals_ = 2;
};

class TWinImport : public QDialog {
    Q_OBJECT
public:
    explicit TWinImport(QWidget* parent = nullptr);

    // Both read the text into the list for the analyte's decimals. They throw EQCError when
    // there is no text to read (the caller says which message), and EAbortSilently when the
    // operator stopped the reading of a long text.
    void FillFromClipboard(const TAnalyte& analyte);
    // `fileName`: where the text came from, for the audit trail.
    void FillFromText(std::string_view bytes, const TAnalyte& analyte, const QString& fileName = {});

    // Shows the dialog modally for the analyte; true when runs were added.
    bool Execute(TAnalyte& analyte);

    const std::vector<TImportRun>& Runs() const { return runs_; }
    QListView* LB() const { return lb_; }
    QLabel* LblUnread() const { return lblUnread_; }
    QPushButton* BtAdd() const { return btAdd_; }
    QPushButton* BitBtn1() const { return bitBtn1_; }
    QPushButton* BtCle() const { return btCle_; }

private:
    void Parse(std::string_view bytes, const TAnalyte& analyte);
    // How many lines of the text gave no run, and what a line must hold; nothing when all were read.
    void ShowUnread(std::size_t unread);
    void BtAddClick();

    std::vector<TImportRun> runs_;
    QString source_; // the file name, or "clipboard"
    TAnalyte* analyte_ = nullptr;
    TImportLines* lines_ = nullptr;
    QListView* lb_ = nullptr;
    QLabel* lblUnread_ = nullptr;
    QPushButton* btAdd_ = nullptr;
    QPushButton* bitBtn1_ = nullptr;
    QPushButton* btCle_ = nullptr;
    TKeyLock* lock_ = nullptr;
};

} // namespace tervanix
