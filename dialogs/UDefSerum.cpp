#include "dialogs/UDefSerum.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <algorithm>
#include <memory>

#include "main/UAnsi.h"
#include "main/UCommandRunner.h"
#include "main/UDialogParts.h"
#include "main/UFontFit.h"
#include "main/UKeyLock.h"
#include "main/ULaboratory.h"
#include "main/UMessages.h"
#include "main/UResources.h"
#include "main/UTabList.h"
#include "model/UArchive.h"
#include "model/UGlobals.h"

namespace tervanix {
namespace {

QString Name(const QString& line) { return line.section(QLatin1Char('\t'), 0, 0).left(15); }
QString Lot(const QString& line) { return line.section(QLatin1Char('\t'), 1).left(10); }
QString Described(const QString& name, const QString& lot) { return name + QStringLiteral(" (") + lot + u')'; }
QString Described(const TMaterial& m) { return Described(FromAnsi(m.Name.view()), FromAnsi(m.Lot.view())); }

TMaterial* LiveMaterial(std::int32_t id) {
    const int i = id < 0 ? -1 : Materials.IndexOfId(id);
    return i < 0 ? nullptr : &Materials[i];
}

std::vector<TAnalyte*> UsingAnalytes(std::int32_t id) {
    std::vector<TAnalyte*> using_;
    Analytes.CollectUsingMaterial(id, using_);
    return using_;
}

QString NameList(const std::vector<TAnalyte*>& analytes, const QString& bullet) {
    QString text;
    for (const TAnalyte* a : analytes) text += bullet + FromAnsi(a->Name.view());
    return text;
}

void ResetChangeFlags() {
    for (int i = 0; i < Materials.Count(); ++i) Materials[i].ChangeFlag = 0;
}

} // namespace

QString MaterialLine(const TMaterial& m) { return FromAnsi(m.Name.view()) + u'\t' + FromAnsi(m.Lot.view()); }

std::int32_t LineMaterialId(const QListWidgetItem* item) {
    const QVariant id = item->data(LineObjectRole);
    return id.isValid() ? id.toInt() : -1;
}

void FillMaterialList(TTabList* list) {
    const QSignalBlocker quiet(list);
    list->clear();
    for (const TMaterial& m : Materials.Items()) {
        auto* item = new QListWidgetItem(MaterialLine(m));
        item->setData(LineObjectRole, m.Id);
        InsertSorted(list, item);
    }
    list->setCurrentRow(-1);
}

TWinDefSerum::TWinDefSerum(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WinDefSerum"));
    setWindowTitle(QStringLiteral("Definition of control materials"));
    setFixedSize(672, 318);
    CreateEditPanel();
    CreateListPanel();
    FitToFont(this);
}

void TWinDefSerum::CreateEditPanel() {
    MakeHeader(this, QStringLiteral("Edit control materials"), QRect(8, 8, 240, 16));
    editNom_ = MakeCaptionedEdit(this, "EditNom", QStringLiteral("&Name"), QStringLiteral("(15 characters max)"), 32, 150, 15);
    editLot_ = MakeCaptionedEdit(this, "EditLot", QStringLiteral("&Lot"), QStringLiteral("(10 characters max)"), 78, 150, 10);

    btAjouter_ = MakeButton(this, QStringLiteral("&Add to list"), "BtAjouter", QRect(8, 130, 244, 25));
    btReplace_ = MakeButton(this, QStringLiteral("C&hange only the definition of materials"), "BtReplace",
                            QRect(8, 160, 244, 25));
    btErase_ = MakeButton(this, QStringLiteral("Change and &erase former data"), "BtErase", QRect(8, 190, 210, 25));
    btCle_ = MakeKeyButton(this);
    btCle_->setGeometry(222, 188, 30, 29);
    eraseLock_ = new TKeyLock(btCle_, {btErase_});
    btClear_ = MakeButton(this, QStringLiteral("&Clear fields"), "BtClear", QRect(8, 220, 244, 25));
    connect(btAjouter_, &QPushButton::clicked, this, &TWinDefSerum::AddClick);
    connect(btReplace_, &QPushButton::clicked, this, &TWinDefSerum::ReplaceClick);
    connect(btErase_, &QPushButton::clicked, this, &TWinDefSerum::EraseClick);
    connect(btClear_, &QPushButton::clicked, this, &TWinDefSerum::ClearClick);
}

void TWinDefSerum::CreateListPanel() {
    MakeHeader(this, QStringLiteral("List of registered control materials"), QRect(264, 8, 250, 16));
    lbSerum_ = new TTabList("LBSerum", QStringLiteral("List of registered control materials"), {130}, this);
    lbSerum_->setGeometry(264, 26, 250, 284);
    // A pending lot change shows the red cross on its line.
    lbSerum_->Delegate()->OnDrawExtra = [](QPainter& p, const QRect& r, const QModelIndex& index) {
        const TMaterial* m = LiveMaterial(index.data(LineObjectRole).isValid() ? index.data(LineObjectRole).toInt() : -1);
        if (m && m->ChangeFlag == 1) p.drawPixmap(r.left() + 180, r.top() + 2, ResourceBitmap(QStringLiteral("CROIXROUGE")));
    };
    connect(lbSerum_, &TTabList::LineClicked, this, [this] { LineClick(); });

    constexpr int x = 524, w = 140;
    btSupprimer_ = MakeButton(this, QStringLiteral("&Delete material"), "BtSupprimer", QRect(x, 26, w, 25));
    btUsedIn_ = MakeButton(this, QStringLiteral("&Material used by"), "BtUsedIn", QRect(x, 56, w, 25));
    auto* deleteKey = new QShortcut(QKeySequence::Delete, lbSerum_, nullptr, nullptr, Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, btSupprimer_, &QAbstractButton::click);
    connect(btSupprimer_, &QPushButton::clicked, this, &TWinDefSerum::DeleteClick);
    connect(btUsedIn_, &QPushButton::clicked, this, &TWinDefSerum::UsedInClick);

    btOK_ = MakeButton(this, QStringLiteral("OK"), "BtOK", QRect(x, 225, w, 25));
    btDefaire_ = MakeButton(this, QStringLiteral("&Undo"), "BtDefaire", QRect(x, 255, w, 25));
    bitBtn1_ = MakeButton(this, QStringLiteral("Cancel"), "BitBtn1", QRect(x, 285, w, 25));
    connect(btOK_, &QPushButton::clicked, this, Command([this] {
        Laboratory().EditReferenceData(ChangeNotes(), [this] { ApplyWorkingCopy(); });
        accept();
    }));
    connect(btDefaire_, &QPushButton::clicked, this, &TWinDefSerum::UndoClick);
    connect(bitBtn1_, &QPushButton::clicked, this, &QDialog::reject);
}

void TWinDefSerum::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) Activate();
}

void TWinDefSerum::done(int result) {
    deleted_.clear();
    // A lot change that was not confirmed with OK is no longer pending.
    ResetChangeFlags();
    QDialog::done(result);
}

void TWinDefSerum::Activate() {
    eraseLock_->Activate();
    ResetChangeFlags();
    FillMaterialList(lbSerum_);
    ClearClick();
}

void TWinDefSerum::LineClick() {
    const QListWidgetItem* item = lbSerum_->SelectedItem();
    if (!item) return;
    editNom_->setText(Name(item->text()));
    editLot_->setText(Lot(item->text()));
}

void TWinDefSerum::ClearClick() {
    editNom_->clear();
    editLot_->clear();
    editNom_->setFocus();
}

bool TWinDefSerum::BuildLine(QString& text) {
    // A TAB inside a field would split the line.
    const QString name = editNom_->text().replace(u'\t', u' ').trimmed();
    if (name.isEmpty()) {
        ShowError(QStringLiteral("Missing name"));
        return false;
    }
    text = name + u'\t' + editLot_->text().replace(u'\t', u' ').trimmed();
    for (int i = 0; i < lbSerum_->count(); ++i)
        if (QString::compare(lbSerum_->item(i)->text(), text, Qt::CaseInsensitive) == 0) {
            ShowError(QStringLiteral("Duplicates"));
            return false;
        }
    return true;
}

void TWinDefSerum::AddClick() {
    QString text;
    if (BuildLine(text)) {
        const int row = InsertSorted(lbSerum_, new QListWidgetItem(text));
        const QSignalBlocker quiet(lbSerum_);
        lbSerum_->setCurrentRow(row);
        editNom_->clear();
        editLot_->clear();
    }
    editNom_->setFocus();
}

void TWinDefSerum::ReplaceSelected(const QString& text) {
    const int row = lbSerum_->SelectedRow();
    const std::unique_ptr<QListWidgetItem> old(lbSerum_->takeItem(row));
    auto* item = new QListWidgetItem(text);
    item->setData(LineObjectRole, old->data(LineObjectRole));
    const QSignalBlocker quiet(lbSerum_);
    lbSerum_->setCurrentRow(InsertSorted(lbSerum_, item));
    editNom_->clear();
    editLot_->clear();
}

void TWinDefSerum::ReplaceClick() {
    if (lbSerum_->SelectedRow() < 0) {
        ShowError(QStringLiteral("Select the line to replace"));
        return;
    }
    QString text;
    if (!BuildLine(text)) return;
    if (TMaterial* m = LiveMaterial(LineMaterialId(lbSerum_->SelectedItem()))) m->ChangeFlag = 0;
    ReplaceSelected(text);
}

void TWinDefSerum::EraseClick() {
    if (lbSerum_->SelectedRow() < 0) {
        ShowError(QStringLiteral("Select the line to replace"));
        return;
    }
    QString text;
    if (!BuildLine(text)) return;
    TMaterial* m = LiveMaterial(LineMaterialId(lbSerum_->SelectedItem()));
    if (!m) return; // a material added since the dialog was shown has no series yet
    if (UsingAnalytes(m->Id).empty()) {
        ShowWarning(QStringLiteral("The old control material ") + Described(*m) +
                    QStringLiteral(" is not used for any analyte.\rNo data to erase. Press the button <Replace in list>."));
        return;
    }
    m->ChangeFlag = 1;
    ReplaceSelected(text);
}

void TWinDefSerum::DeleteClick() {
    const QListWidgetItem* item = lbSerum_->SelectedItem();
    if (!item) {
        ShowError(QStringLiteral("Select the control material to delete"));
        lbSerum_->setFocus();
        return;
    }
    const QString described = Described(Name(item->text()), Lot(item->text()));
    const std::int32_t id = LineMaterialId(item);
    if (LiveMaterial(id)) {
        const std::vector<TAnalyte*> using_ = UsingAnalytes(id);
        if (!using_.empty()) {
            ShowError(QStringLiteral("Impossible to delete ") + described +
                      QStringLiteral(".\rThis control material is used by : ") +
                      NameList(using_, QStringLiteral("\r- ")));
            return;
        }
    }
    if (!Confirm(QStringLiteral("Delete the control material ") + described + u'.')) return;
    const QSignalBlocker quiet(lbSerum_);
    const std::unique_ptr<QListWidgetItem> gone(lbSerum_->takeItem(lbSerum_->SelectedRow()));
    lbSerum_->setCurrentRow(-1);
    editNom_->clear();
    editLot_->clear();
    if (LiveMaterial(id)) deleted_.push_back(id);
}

void TWinDefSerum::UsedInClick() {
    const QListWidgetItem* item = lbSerum_->SelectedItem();
    if (!item) {
        ShowError(QStringLiteral("Select one control material"));
        return;
    }
    const std::int32_t id = LineMaterialId(item);
    if (!LiveMaterial(id)) return;
    ShowInformation(QStringLiteral("Analytes controled by ") + Described(Name(item->text()), Lot(item->text())) +
                    QStringLiteral(" : ") + NameList(UsingAnalytes(id), QStringLiteral("\r   - ")));
}

void TWinDefSerum::UndoClick() {
    Activate();
    deleted_.clear();
}

void TWinDefSerum::ConfirmLotChange(std::int32_t id, const QString& name, const QString& lot) {
    const std::vector<TAnalyte*> using_ = UsingAnalytes(id);
    if (!using_.empty()) {
        if (!Confirm(QStringLiteral("Delete and archive the results of ") + Described(*LiveMaterial(id)) +
                     QStringLiteral(" for the analyte(s) :") + NameList(using_, QStringLiteral("\r - "))))
            return;
        QString failure;
        {
            const TWaitCursor wait;
            try {
                for (TAnalyte* a : using_)
                    for (int level = 0; level < std::min(a->LevelCount, MaxLevels); ++level)
                        if (a->MaterialId[static_cast<std::size_t>(level)] == id && a->LevelHoldsData(level))
                            ArchiveLevel(*a, level);
            } catch (const std::exception& e) {
                failure = QString::fromLocal8Bit(e.what());
            }
        }
        if (!failure.isEmpty()) {
            // A series that could not be archived stays, so the material keeps the lot it was
            // measured on.
            ShowError(failure);
            return;
        }
    }
    TMaterial* m = LiveMaterial(id);
    m->Name = ToAnsi(name);
    m->Lot = ToAnsi(lot);
}

namespace {

QJsonObject MaterialJson(const QString& name, const QString& lot) {
    return {{QStringLiteral("name"), name}, {QStringLiteral("lot"), lot}};
}

} // namespace

TAuditNotes TWinDefSerum::ChangeNotes() const {
    TAuditNotes notes;
    for (std::int32_t id : deleted_)
        if (const TMaterial* m = LiveMaterial(id))
            notes.push_back(AuditNote("material.deleted", {}, 0, MaterialJson(FromAnsi(m->Name.str()), FromAnsi(m->Lot.str()))));
    for (int row = 0; row < lbSerum_->count(); ++row) {
        const QString text = lbSerum_->item(row)->text();
        const QJsonObject after = MaterialJson(Name(text), Lot(text));
        const TMaterial* m = LiveMaterial(LineMaterialId(lbSerum_->item(row)));
        if (!m) {
            notes.push_back(AuditNote("material.added", {}, 0, after));
            continue;
        }
        const QJsonObject before = MaterialJson(FromAnsi(m->Name.str()), FromAnsi(m->Lot.str()));
        if (before != after || m->ChangeFlag == 1) {
            QJsonObject details = BeforeAfter(before, after);
            if (m->ChangeFlag == 1) details.insert(QStringLiteral("new_lot"), true); // its results are archived
            notes.push_back(AuditNote("material.changed", {}, 0, details));
        }
    }
    return notes;
}

void TWinDefSerum::ApplyWorkingCopy() {
    for (std::int32_t id : deleted_)
        if (const int i = Materials.IndexOfId(id); i >= 0) Materials.Delete(i);
    for (int row = 0; row < lbSerum_->count(); ++row) {
        const QString text = lbSerum_->item(row)->text();
        const std::int32_t id = LineMaterialId(lbSerum_->item(row));
        TMaterial* m = LiveMaterial(id);
        if (!m) {
            Materials.AddMaterial(ToAnsi(Name(text)), ToAnsi(Lot(text)));
        } else if (m->ChangeFlag == 1) {
            ConfirmLotChange(id, Name(text), Lot(text));
        } else {
            m->Name = ToAnsi(Name(text));
            m->Lot = ToAnsi(Lot(text));
        }
    }
    deleted_.clear();
    Materials.Resort();
}

} // namespace tervanix
