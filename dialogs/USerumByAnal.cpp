#include "dialogs/USerumByAnal.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <algorithm>

#include "dialogs/UArrowBtn.h"
#include "dialogs/UDefSerum.h"
#include "main/UAnsi.h"
#include "main/UColors.h"
#include "main/UCommandRunner.h"
#include "main/UDialogParts.h"
#include "main/UFontFit.h"
#include "main/UKeyLock.h"
#include "main/ULaboratory.h"
#include "main/UMessages.h"
#include "main/UTabList.h"
#include "model/UArchive.h"
#include "model/UGlobals.h"

namespace tervanix {

TLevelPanel::TLevelPanel(QWidget* parent) : QWidget(parent) { setAcceptDrops(true); }

void TLevelPanel::SetMaterial(const QString& name, const QString& lot, bool changed) {
    name_ = name;
    lot_ = lot;
    changed_ = changed;
    setAccessibleDescription(name + u' ' + lot);
    update();
}

void TLevelPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), changed_ ? clYellow : clWhite);
    p.setPen(clGray);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(clBlack);
    const QFontMetrics metrics(font());
    p.drawText(5, metrics.ascent(), name_);
    p.drawText(5, 14 + metrics.ascent(), lot_);
}

// Any drag is taken: what is assigned is the selected line of the material list.
void TLevelPanel::dragEnterEvent(QDragEnterEvent* event) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void TLevelPanel::dropEvent(QDropEvent* event) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit Dropped();
}

TWinSerumByAnal::TWinSerumByAnal(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WinSerumByAnal"));
    setWindowTitle(QStringLiteral("Assignment of control materials"));
    setFixedSize(720, 236);

    MakeHeader(this, QStringLiteral("List of registered control materials"), QRect(8, 8, 250, 16));
    lbSerum_ = new TTabList("LBSerum", QStringLiteral("List of registered control materials"), {130}, this);
    lbSerum_->setGeometry(8, 26, 250, 202);
    lbSerum_->SetDragSource(true);

    auto* panelFleches = new QWidget(this);
    panelFleches->setObjectName(QStringLiteral("PanelFleches"));
    panelFleches->setGeometry(266, 8, 196, 190);
    panel9_ = MakeHeader(panelFleches, QString(), QRect(0, 0, 196, 26));
    panel9_->setObjectName(QStringLiteral("Panel9"));
    panel9_->setAlignment(Qt::AlignCenter);
    CreateLevels(panelFleches);

    constexpr int x = 470, w = 242;
    MakeHeader(this, QStringLiteral("Validation"), QRect(x, 8, w, 16));
    bitBtn1_ = MakeButton(this, QStringLiteral("Change only the assignment of materials"), "BitBtn1", QRect(x, 26, w, 25));
    btErase_ = MakeButton(this, QStringLiteral("Change and &erase former data"), "BtErase", QRect(x, 58, w - 36, 25));
    btCle_ = MakeKeyButton(this);
    btCle_->setGeometry(x + w - 30, 56, 30, 29);
    eraseLock_ = new TKeyLock(btCle_, {btErase_});
    btUndo_ = MakeButton(this, QStringLiteral("&Undo"), "BtUndo", QRect(x, 170, w, 25));
    btCancel_ = MakeButton(this, QStringLiteral("Cancel"), "Cancel", QRect(x, 203, w, 25));
    connect(bitBtn1_, &QPushButton::clicked, this, Command([this] { ChangeAssignmentClick(); }));
    connect(btErase_, &QPushButton::clicked, this, Command([this] { EraseClick(); }));
    connect(btUndo_, &QPushButton::clicked, this, &TWinSerumByAnal::UndoClick);
    connect(btCancel_, &QPushButton::clicked, this, &QDialog::reject);
    FitToFont(this);
}

void TWinSerumByAnal::CreateLevels(QWidget* panel) {
    for (int i = 0; i < MaxLevels; ++i) {
        const QString n = QString::number(i + 1);
        auto* arrow = new TArrowButton(panel);
        arrow->setObjectName(QStringLiteral("ArrowLevel") + n);
        arrow->setGeometry(5, 35 + 50 * i, 60, 40);
        arrow->SetButtonColor(clYellow);
        arrow->setText(QStringLiteral("Level &") + n); // Alt+digit clicks it while it is shown
        arrow->setAccessibleName(QStringLiteral("Level ") + n);
        connect(arrow, &TArrowButton::clicked, this, [this, i] { Assign(i); });
        auto* levelPanel = new TLevelPanel(panel);
        levelPanel->setObjectName(QStringLiteral("PanelLevel") + n);
        levelPanel->setGeometry(75, 40 + 50 * i, 110, 31);
        levelPanel->setAccessibleName(QStringLiteral("Material of level ") + n);
        connect(levelPanel, &TLevelPanel::Dropped, this, [this, i] { Assign(i); });
        arrows_[static_cast<std::size_t>(i)] = arrow;
        panels_[static_cast<std::size_t>(i)] = levelPanel;
    }
}

int TWinSerumByAnal::Execute(TAnalyte& analyte) {
    analyte_ = &analyte;
    return exec();
}

void TWinSerumByAnal::Prepare(TAnalyte& analyte) {
    analyte_ = &analyte;
    show();
}

void TWinSerumByAnal::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) Initialise();
}

void TWinSerumByAnal::Initialise() {
    eraseLock_->Activate();
    if (!analyte_) return;
    working_ = analyte_->MaterialId;
    for (int i = 0; i < MaxLevels; ++i) {
        const bool shown = i < analyte_->LevelCount;
        Arrow(i)->setVisible(shown);
        LevelPanel(i)->setVisible(shown);
        if (shown) ShowLevel(i);
    }
    panel9_->setText(QStringLiteral("QC materials for ") + FromAnsi(analyte_->Name.view()));
    FillMaterialList(lbSerum_);
    lbSerum_->setFocus();
}

void TWinSerumByAnal::ShowLevel(int level) {
    const auto i = static_cast<std::size_t>(level);
    const TMaterial& m = Materials.FindById(working_[i]);
    LevelPanel(level)->SetMaterial(FromAnsi(m.Name.view()), FromAnsi(m.Lot.view()), working_[i] != analyte_->MaterialId[i]);
}

void TWinSerumByAnal::Assign(int level) {
    if (!analyte_ || level >= analyte_->LevelCount) return;
    const QListWidgetItem* item = lbSerum_->SelectedItem();
    if (lbSerum_->count() == 0 || !item) {
        ShowError(QStringLiteral("No control material selected"));
        return;
    }
    working_[static_cast<std::size_t>(level)] = LineMaterialId(item);
    ShowLevel(level);
}

int TWinSerumByAnal::ChangedLevels() const {
    int changed = 0;
    for (int i = 0; i < std::min(analyte_->LevelCount, MaxLevels); ++i)
        if (working_[static_cast<std::size_t>(i)] != analyte_->MaterialId[static_cast<std::size_t>(i)]) ++changed;
    return changed;
}

namespace {

QJsonObject MaterialOf(std::int32_t id) {
    const TMaterial& m = Materials.FindById(id);
    return {{QStringLiteral("name"), FromAnsi(m.Name.str())}, {QStringLiteral("lot"), FromAnsi(m.Lot.str())}};
}

} // namespace

// One note for each level given another material; `archived`: its results go to an archive.
TAuditNotes TWinSerumByAnal::AssignmentNotes(bool archived) const {
    TAuditNotes notes;
    for (int i = 0; i < std::min(analyte_->LevelCount, MaxLevels); ++i) {
        const auto l = static_cast<std::size_t>(i);
        if (working_[l] == analyte_->MaterialId[l]) continue;
        QJsonObject details = BeforeAfter(MaterialOf(analyte_->MaterialId[l]), MaterialOf(working_[l]));
        details.insert(QStringLiteral("results_archived"), archived);
        notes.push_back(AuditNote("assignment.changed", AuditAnalyteName(*analyte_), i + 1, details));
    }
    return notes;
}

void TWinSerumByAnal::ChangeAssignmentClick() {
    if (!analyte_) return;
    if (ChangedLevels() == 0)
        ShowInformation(QStringLiteral("Nothing Changed"));
    else
        Laboratory().EditReferenceData(AssignmentNotes(false), [this] { analyte_->MaterialId = working_; });
    accept();
}

void TWinSerumByAnal::EraseClick() {
    if (!analyte_) return;
    if (ChangedLevels() == 0) {
        ShowInformation(QStringLiteral("Nothing Changed"));
        return;
    }
    TAnalyte& a = *analyte_;
    const int levels = std::min(a.LevelCount, MaxLevels);
    QString question = QStringLiteral("Delete and archive ") + FromAnsi(a.Name.view()) +
                       QStringLiteral(" QC data for control material(s) : ");
    for (int i = 0; i < levels; ++i) {
        const auto l = static_cast<std::size_t>(i);
        if (working_[l] == a.MaterialId[l]) continue;
        const TMaterial& former = Materials.FindById(a.MaterialId[l]);
        question += QStringLiteral("\r  - ") + FromAnsi(former.Name.view()) + QStringLiteral(" (") +
                    FromAnsi(former.Lot.view()) + u')';
    }
    QStringList failures;
    if (Confirm(question)) Laboratory().EditReferenceData(AssignmentNotes(true), [&] {
        const TWaitCursor wait;
        for (int i = 0; i < levels; ++i) {
            const auto l = static_cast<std::size_t>(i);
            if (working_[l] == a.MaterialId[l]) continue;
            try {
                if (a.LevelHoldsData(i)) ArchiveLevel(a, i);
                a.MaterialId[l] = working_[l];
            } catch (const std::exception& e) {
                // A series that could not be archived stays with the material it was measured on.
                failures << QString::fromLocal8Bit(e.what());
            }
        }
    });
    for (const QString& failure : failures) ShowError(failure);
    accept();
}

void TWinSerumByAnal::UndoClick() {
    Initialise();
    for (int i = 0; i < MaxLevels; ++i) LevelPanel(i)->update();
}

} // namespace tervanix
