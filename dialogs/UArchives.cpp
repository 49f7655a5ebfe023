#include "dialogs/UArchives.h"

#include <QPushButton>
#include <memory>

#include "charts/UPrintService.h"
#include "charts/UPrnArchive.h"
#include "dialogs/UShowArchive.h"
#include "main/UAnsi.h"
#include "main/UColors.h"
#include "main/UFontFit.h"
#include "main/UFormParts.h"
#include "main/UKeyLock.h"
#include "main/ULaboratory.h"
#include "main/UMessages.h"
#include "main/UTabbedList.h"
#include "model/UAnalyte.h"

namespace tervanix {

TWinArchives::TWinArchives(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WinArchives"));
    setFixedSize(500, 330);
    const QRect listGeometry(8, 24, 484, 224);
    lbArchi_ = new TTabbedList(this, {70, 140, 240, 300, 360, 400}, clNavy);
    lbArchi_->setObjectName(QStringLiteral("LBArchi"));
    lbArchi_->setGeometry(listGeometry);
    lbArchi_->setAccessibleName(QStringLiteral("QC archives"));
    AddTabHeadings(this, listGeometry, *lbArchi_, {"Begin", "End", "Control material", "Lot", "Mean", "CV", "N"});
    connect(lbArchi_, &QListWidget::itemDoubleClicked, this, [this] { ShowArchiveClick(); });

    btShowArchive_ = MakeButton(this, QStringLiteral("&Show QC points"), "BtShowArchive", QRect(8, 258, 110, 25));
    btImprimer_ = MakeButton(this, QStringLiteral("&Print"), "BtImprimer", QRect(126, 258, 80, 25));
    btDelete_ = MakeButton(this, QStringLiteral("&Delete selection"), "BtDelete", QRect(214, 258, 110, 25));
    btUndo_ = MakeButton(this, QStringLiteral("&Undo"), "BtUndo", QRect(332, 258, 80, 25));
    btCle_ = MakeKeyButton(this);
    btCle_->setGeometry(420, 256, 30, 29);
    btCle_->setAccessibleName(QStringLiteral("Unlock"));
    btOK_ = MakeButton(this, QStringLiteral("OK"), "BtOK", QRect(322, 296, 80, 25));
    btCancel_ = MakeButton(this, QStringLiteral("Cancel"), "BtCancel", QRect(410, 296, 80, 25));
    connect(btShowArchive_, &QPushButton::clicked, this, &TWinArchives::ShowArchiveClick);
    connect(btImprimer_, &QPushButton::clicked, this, &TWinArchives::PrintClick);
    connect(btDelete_, &QPushButton::clicked, this, &TWinArchives::DeleteClick);
    connect(btUndo_, &QPushButton::clicked, this, &TWinArchives::UndoClick);
    connect(btOK_, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel_, &QPushButton::clicked, this, &QDialog::reject);
    BindKeyToButton(QKeySequence(Qt::Key_Delete), btDelete_, this);
    lock_ = new TKeyLock(btCle_, {btDelete_, btUndo_});
    winShowArchive_ = new TWinShowArchive(this);
    FitToFont(this);
}

TWinArchives::~TWinArchives() = default;

bool TWinArchives::Execute(TAnalyte& analyte) {
    analyte_ = &analyte;
    setWindowTitle(QStringLiteral("QC archives for ") + FromAnsi(analyte.Name.str()));
    pending_.clear();
    FillList();
    lock_->Activate();
    lbArchi_->setFocus();
    const bool ok = exec() == QDialog::Accepted;
    const bool changed = ok && DeletePending();
    pending_.clear();
    lines_.clear();
    lbArchi_->clear();
    analyte_ = nullptr;
    return changed;
}

// An archive whose file cannot be read is left out without a word.
void TWinArchives::FillList() {
    lbArchi_->clear();
    lines_.clear();
    for (const std::int32_t number : analyte_->Archives) {
        auto archive = ReadArchive(number);
        if (!archive) continue;
        lbArchi_->addItem(FromAnsi(archive->SummaryLine()));
        lines_.push_back({number, std::move(*archive)});
    }
    if (lbArchi_->count() > 0) lbArchi_->setCurrentRow(0);
}

void TWinArchives::ShowArchiveClick() {
    if (lines_.empty()) {
        ShowError(QStringLiteral("Nothing to show"));
        return;
    }
    const int row = std::max(lbArchi_->currentRow(), 0);
    winShowArchive_->Fill(FromAnsi(analyte_->Name.str()), lines_[static_cast<std::size_t>(row)].Archive);
    winShowArchive_->move(pos() + QPoint(100, 20));
    winShowArchive_->exec();
}

void TWinArchives::PrintClick() {
    if (lines_.empty()) {
        ShowError(QStringLiteral("Nothing to print"));
        return;
    }
    std::vector<TArchiveContent> archives;
    archives.reserve(lines_.size());
    for (const TLine& line : lines_) archives.push_back(line.Archive);
    PrintJob(this, ArchiveListPrintJob(FromAnsi(analyte_->Name.str()), archives));
}

void TWinArchives::DeleteClick() {
    for (int row = lbArchi_->count() - 1; row >= 0; --row) {
        if (!lbArchi_->item(row)->isSelected()) continue;
        pending_.push_back(lines_[static_cast<std::size_t>(row)].Number);
        lines_.erase(lines_.begin() + row);
        const std::unique_ptr<QListWidgetItem> removed(lbArchi_->takeItem(row));
    }
}

void TWinArchives::UndoClick() {
    pending_.clear();
    FillList();
}

// A file that cannot be deleted keeps its archive in the list, and the operator is told.
bool TWinArchives::DeletePending() {
    if (pending_.empty()) return false;
    // The deleted archives leave the analyte's list on disk at once, so that a later archive that
    // takes a freed number is never listed for this analyte.
    std::vector<std::string> kept;
    TAuditNotes notes;
    for (const std::int32_t number : pending_)
        notes.push_back(AuditNote("archive.deleted", AuditAnalyteName(*analyte_), 0, {{QStringLiteral("archive"), number}}));
    Laboratory().EditSeries(*analyte_, notes, [&] { kept = DeleteArchives(*analyte_, pending_); });
    for (const std::string& path : kept)
        ShowError(QStringLiteral("Cannot delete file \"") + QString::fromStdString(path) + QStringLiteral("\""));
    return true;
}

} // namespace tervanix
