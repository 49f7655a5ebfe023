#include "dialogs/UDefAnalytes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <QSpinBox>
#include <algorithm>
#include <map>
#include <memory>

#include "main/UAnsi.h"
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
namespace {

constexpr int ListLeft = 216;

TAnalyte* LineAnalyte(const QListWidgetItem* item) {
    return reinterpret_cast<TAnalyte*>(item->data(LineObjectRole).value<quintptr>());
}

QListWidgetItem* NewLine(const QString& text, TAnalyte* analyte) {
    auto* item = new QListWidgetItem(text);
    item->setData(LineObjectRole, QVariant::fromValue(reinterpret_cast<quintptr>(analyte)));
    return item;
}

// Names are compared as the model compares them: ASCII letters upper-cased, then byte by byte.
std::string NameKey(const QString& name) { return UpperAscii(ToAnsi(name)); }

// A TAB inside a field would split the line.
QString Field(const QString& text) { return QString(text).replace(QLatin1Char('\t'), QLatin1Char(' ')).trimmed(); }

} // namespace

QString TAnalyteLine::Text() const {
    const QChar tab(u'\t');
    return Name + tab + QString::number(Levels) + tab + Unit + tab + QString::number(Decimals) + tab +
           (CommonCV ? QStringLiteral("Yes") : QStringLiteral("No"));
}

TAnalyteLine TAnalyteLine::FromText(const QString& text) {
    const QStringList f = text.split(QLatin1Char('\t'));
    TAnalyteLine line;
    line.Name = f.value(0);
    line.Levels = std::clamp(f.value(1).toInt(), 1, MaxLevels);
    line.Unit = f.value(2);
    line.Decimals = std::clamp(f.value(3).toInt(), 0, 3);
    line.CommonCV = f.value(4).startsWith(u'Y');
    return line;
}

TWinDefAnalytes::TWinDefAnalytes(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WinDefAnalytes"));
    setWindowTitle(QStringLiteral("Definition of analytes"));
    setFixedSize(702, 404);
    CreateEditPanel();
    CreateListPanel();
    CreateButtons();
    FitToFont(this);
}

void TWinDefAnalytes::CreateEditPanel() {
    MakeHeader(this, QStringLiteral("Edit analytes"), QRect(8, 8, 196, 16));
    editNom_ = MakeCaptionedEdit(this, "EditNom", QStringLiteral("&Name"), QStringLiteral("(15 characters max)"), 32, 130, 15);

    seLevels_ = new QSpinBox(this);
    seLevels_->setObjectName(QStringLiteral("SELevels"));
    seLevels_->setRange(1, MaxLevels);
    seLevels_->setGeometry(8, 94, 50, 21);
    MakeCaption(this, QStringLiteral("&Levels"), QRect(8, 78, 60, 14), seLevels_);
    (new QLabel(QStringLiteral("(1 to 3)"), this))->setGeometry(64, 98, 80, 14);

    cbUnite_ = new QComboBox(this);
    cbUnite_->setObjectName(QStringLiteral("CBUnite"));
    cbUnite_->setEditable(true);
    cbUnite_->setInsertPolicy(QComboBox::NoInsert);
    cbUnite_->addItems({QStringLiteral("mmol/L"), QStringLiteral("µmol/L"), QStringLiteral("nmol/L"),
                        QStringLiteral("g/L"), QStringLiteral("mg/L"), QStringLiteral("µg/L"), QStringLiteral("ng/L"),
                        QStringLiteral("U/L"), QStringLiteral("mU/L"), QStringLiteral("µU/L"), QStringLiteral("%")});
    cbUnite_->lineEdit()->setMaxLength(6);
    cbUnite_->setGeometry(8, 140, 90, 21);
    MakeCaption(this, QStringLiteral("Uni&t"), QRect(8, 124, 60, 14), cbUnite_);
    (new QLabel(QStringLiteral("(6 chararcters max)"), this))->setGeometry(104, 144, 110, 14);

    seDecim_ = new QSpinBox(this);
    seDecim_->setObjectName(QStringLiteral("SEDecim"));
    seDecim_->setRange(0, 3);
    seDecim_->setGeometry(8, 186, 50, 21);
    MakeCaption(this, QStringLiteral("Deci&mals"), QRect(8, 170, 60, 14), seDecim_);
    (new QLabel(QStringLiteral("(0 to 3)"), this))->setGeometry(64, 190, 80, 14);

    cbCommonCV_ = new QCheckBox(QStringLiteral("&Common CV"), this);
    cbCommonCV_->setObjectName(QStringLiteral("CBCommonCV"));
    cbCommonCV_->setGeometry(8, 216, 120, 20);
    cbCommonCV_->setAccessibleName(QStringLiteral("Common CV"));

    btAjouter_ = MakeButton(this, QStringLiteral("&Add to list"), "BtAjouter", QRect(8, 250, 196, 25));
    btCorriger_ = MakeButton(this, QStringLiteral("&Replace in list"), "BtCorriger", QRect(8, 280, 196, 25));
    btClear_ = MakeButton(this, QStringLiteral("Reset &fields"), "BtClear", QRect(8, 310, 196, 25));
    connect(btAjouter_, &QPushButton::clicked, this, &TWinDefAnalytes::AddClick);
    connect(btCorriger_, &QPushButton::clicked, this, &TWinDefAnalytes::ReplaceClick);
    connect(btClear_, &QPushButton::clicked, this, &TWinDefAnalytes::ClearClick);
}

void TWinDefAnalytes::CreateListPanel() {
    const std::pair<const char*, int> headers[] = {
        {"Name", 0}, {"Levels", 125}, {"Unit", 165}, {"Decimals", 220}, {"Com. CV", 270}};
    for (const auto& [text, x] : headers)
        (new QLabel(QString::fromLatin1(text), this))->setGeometry(ListLeft + 4 + x, 8, 60, 16);
    // "Levels" and "Decimals" are wider than the figures under them: their columns make room for them.
    lbox_ = new TTabList("LBox", QStringLiteral("Analytes"), {125, 165, 220, 270}, this);
    lbox_->setGeometry(ListLeft, 26, 330, 370);
    lbox_->SetDropHandler([this](int target) { DropOn(target); });
    lbox_->SetDragSource(true);
    connect(lbox_, &TTabList::LineClicked, this, [this] { LBoxClick(); });
}

void TWinDefAnalytes::CreateButtons() {
    constexpr int x = 556, w = 138;
    MakeHeader(this, QStringLiteral("Sort Analytes"), QRect(x, 8, w, 16));
    btTop_ = MakeButton(this, QStringLiteral("T&op"), "BtTop", QRect(x, 26, w, 25));
    btUp_ = MakeButton(this, QStringLiteral("U&p"), "SpeedButton1", QRect(x, 54, w, 25));
    btDown_ = MakeButton(this, QStringLiteral("Do&wn"), "SpeedButton2", QRect(x, 82, w, 25));
    btBottom_ = MakeButton(this, QStringLiteral("&Bottom"), "BtBottom", QRect(x, 110, w, 25));
    btSort_ = MakeButton(this, QStringLiteral("&Sort analytes by names"), "BtSort", QRect(x, 146, w, 25));
    const QPushButton* moves[] = {btTop_, btUp_, btDown_, btBottom_};
    for (int where = 0; where < 4; ++where)
        connect(moves[where], &QPushButton::clicked, this, [this, where] { MoveClick(where); });
    connect(btSort_, &QPushButton::clicked, this, &TWinDefAnalytes::SortClick);

    btSupprimer_ = MakeButton(this, QStringLiteral("&Delete analyte"), "BtSupprimer", QRect(x, 196, w - 34, 25));
    btCle_ = MakeKeyButton(this);
    btCle_->setGeometry(x + w - 30, 194, 30, 29);
    deleteLock_ = new TKeyLock(btCle_, {btSupprimer_});
    connect(btSupprimer_, &QPushButton::clicked, this, &TWinDefAnalytes::DeleteClick);
    // The Delete key deletes only from the list, and only while the button is free.
    auto* deleteKey = new QShortcut(QKeySequence::Delete, lbox_, nullptr, nullptr, Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, btSupprimer_, &QAbstractButton::click);

    btOK_ = MakeButton(this, QStringLiteral("OK"), "BtOK", QRect(x, 311, w, 25));
    btDefaire_ = MakeButton(this, QStringLiteral("&Undo"), "BtDefaire", QRect(x, 341, w, 25));
    btCancel_ = MakeButton(this, QStringLiteral("Cancel"), "BtCancel", QRect(x, 371, w, 25));
    connect(btOK_, &QPushButton::clicked, this, Command([this] {
        Laboratory().EditAnalyteDefinitions(ChangeNotes(), [this] { ApplyWorkingCopy(); });
        accept();
    }));
    connect(btDefaire_, &QPushButton::clicked, this, &TWinDefAnalytes::UndoClick);
    connect(btCancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void TWinDefAnalytes::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) Activate();
}

void TWinDefAnalytes::done(int result) {
    deleted_.clear();
    QDialog::done(result);
}

void TWinDefAnalytes::Activate() {
    deleteLock_->Activate();
    deleted_.clear();
    FillList();
    ClearClick();
}

void TWinDefAnalytes::FillList() {
    const QSignalBlocker quiet(lbox_);
    lbox_->clear();
    for (int i = 0; i < Analytes.Count(); ++i) {
        const TAnalyte& a = Analytes[i];
        const TAnalyteLine line{FromAnsi(a.Name.view()), a.LevelCount, FromAnsi(a.UnitName.view()), a.Decimals,
                                a.HasOption(aoCommonCV)};
        lbox_->addItem(NewLine(line.Text(), &Analytes[i]));
    }
}

void TWinDefAnalytes::LBoxClick() {
    const QListWidgetItem* item = lbox_->SelectedItem();
    if (!item) return;
    const TAnalyteLine line = TAnalyteLine::FromText(item->text());
    editNom_->setText(line.Name);
    cbUnite_->setEditText(line.Unit);
    seDecim_->setValue(line.Decimals);
    seLevels_->setValue(line.Levels);
    cbCommonCV_->setChecked(line.CommonCV);
}

void TWinDefAnalytes::SelectRow(int row) {
    const QSignalBlocker quiet(lbox_);
    lbox_->setCurrentRow(row);
}

void TWinDefAnalytes::FocusName() { editNom_->setFocus(); }

void TWinDefAnalytes::ClearClick() {
    editNom_->clear();
    cbUnite_->setEditText(QStringLiteral("mmol/l"));
    seDecim_->setValue(0);
    seLevels_->setValue(3);
    cbCommonCV_->setChecked(false);
    FocusName();
}

bool TWinDefAnalytes::BuildLine(int replacedRow, TAnalyteLine& line) {
    line.Name = Field(editNom_->text());
    if (line.Name.isEmpty()) {
        ShowError(QStringLiteral("Missing name"));
        return false;
    }
    const std::string key = NameKey(line.Name);
    for (int i = 0; i < lbox_->count(); ++i)
        if (i != replacedRow && NameKey(TAnalyteLine::FromText(lbox_->item(i)->text()).Name) == key) {
            ShowError(QStringLiteral("Duplicate names"));
            return false;
        }
    line.Levels = seLevels_->value();
    line.Unit = Field(cbUnite_->currentText());
    line.Decimals = seDecim_->value();
    line.CommonCV = cbCommonCV_->isChecked();
    return true;
}

void TWinDefAnalytes::AddClick() {
    TAnalyteLine line;
    if (BuildLine(-1, line)) {
        lbox_->addItem(NewLine(line.Text(), nullptr));
        SelectRow(lbox_->count() - 1);
        ClearClick();
    }
    FocusName();
}

bool TWinDefAnalytes::CanReduceLevels(const TAnalyte& a, int newLevels) {
    const int old = a.LevelCount;
    const QString start = QStringLiteral("You want to reduce the number of QC levels for ") + FromAnsi(a.Name.view()) +
                          QLatin1Char('\r');
    const QString end = QStringLiteral("You must first erase/archive data.");
    if (old - newLevels == 1 && a.LevelHoldsData(old - 1)) {
        ShowError(start + QStringLiteral("Cannot suppress QC level ") + QString::number(old) + QStringLiteral(".\r") + end);
        return false;
    }
    if (old - newLevels == 2 && (a.LevelHoldsData(old - 1) || a.LevelHoldsData(old - 2))) {
        ShowError(start + QStringLiteral("Cannot suppress QC3 and QC2 levels.\r") + end);
        return false;
    }
    return true;
}

void TWinDefAnalytes::ReplaceClick() {
    const int row = lbox_->SelectedRow();
    if (row < 0) {
        ShowError(QStringLiteral("Select the analyte to replace"));
        return;
    }
    TAnalyteLine line;
    if (!BuildLine(row, line)) return;
    QListWidgetItem* item = lbox_->item(row);
    if (TAnalyte* a = LineAnalyte(item)) {
        if (!CanReduceLevels(*a, line.Levels)) return;
        // Levels added to an existing analyte start without a material.
        for (int level = a->LevelCount; level < line.Levels; ++level) a->MaterialId[static_cast<std::size_t>(level)] = -1;
    }
    item->setText(line.Text());
    ClearClick();
}

void TWinDefAnalytes::DeleteClick() {
    const int row = lbox_->SelectedRow();
    if (row < 0) {
        ShowError(QStringLiteral("Select the analyte to delete"));
        return;
    }
    const QString name = TAnalyteLine::FromText(lbox_->item(row)->text()).Name;
    if (!Confirm(QStringLiteral("Warning, you are about to clear all archived data and \rcurrent control points for ") +
                 FromAnsi(NameKey(name)) + QStringLiteral("\rConfirm analyte deletion :")))
        return;
    const std::unique_ptr<QListWidgetItem> item(lbox_->takeItem(row));
    deleted_.push_back(LineAnalyte(item.get()));
    ClearClick();
    if (lbox_->count() == 0) return;
    SelectRow(std::min(row, lbox_->count() - 1));
    LBoxClick();
}

void TWinDefAnalytes::MoveLine(int from, int to) {
    const QSignalBlocker quiet(lbox_);
    QListWidgetItem* item = lbox_->takeItem(from);
    lbox_->insertItem(to, item);
    lbox_->setCurrentRow(to);
}

void TWinDefAnalytes::MoveClick(int where) {
    const int row = lbox_->SelectedRow();
    const int last = lbox_->count() - 1;
    if (row < 0 || last < 0) {
        ShowError(QStringLiteral("Select the analyte to move"));
        return;
    }
    const int targets[] = {0, std::max(row - 1, 0), std::min(row + 1, last), last};
    MoveLine(row, targets[where]);
}

void TWinDefAnalytes::DropOn(int target) {
    const int source = lbox_->SelectedRow();
    if (source < 0 || target < 0 || target == source) return;
    MoveLine(source, target);
}

void TWinDefAnalytes::SortClick() {
    struct TKeyed {
        std::string Key;
        QListWidgetItem* Item;
    };
    std::vector<TKeyed> lines;
    const TWaitCursor wait;
    lbox_->setUpdatesEnabled(false);
    {
        const QSignalBlocker quiet(lbox_);
        while (lbox_->count() > 0) {
            QListWidgetItem* item = lbox_->takeItem(0);
            lines.push_back({NameKey(TAnalyteLine::FromText(item->text()).Name), item});
        }
        // The exchange sort: the order of equal names follows from it, not from the input.
        for (std::size_t j = lines.size(); j-- > 1;)
            for (std::size_t i = 0; i < j; ++i)
                if (lines[j].Key < lines[i].Key) std::swap(lines[i], lines[j]);
        for (const TKeyed& line : lines) lbox_->addItem(line.Item);
    }
    lbox_->setUpdatesEnabled(true);
}

void TWinDefAnalytes::UndoClick() {
    deleted_.clear();
    FillList();
    ClearClick();
}

TAuditNotes TWinDefAnalytes::ChangeNotes() const {
    TAuditNotes notes;
    for (int i = 0; i < lbox_->count(); ++i) {
        const TAnalyteLine line = TAnalyteLine::FromText(lbox_->item(i)->text());
        QJsonObject after{{QStringLiteral("unit"), line.Unit}, {QStringLiteral("decimals"), line.Decimals},
                          {QStringLiteral("levels"), line.Levels}, {QStringLiteral("common_cv"), line.CommonCV}};
        const TAnalyte* a = LineAnalyte(lbox_->item(i));
        if (!a || Analytes.IndexOf(a) < 0) {
            notes.push_back(AuditNote("analyte.added", line.Name, 0, after));
            continue;
        }
        after.insert(QStringLiteral("name"), line.Name);
        const QJsonObject before{{QStringLiteral("name"), AuditAnalyteName(*a)}, {QStringLiteral("unit"), FromAnsi(a->UnitName.str())},
                                 {QStringLiteral("decimals"), a->Decimals}, {QStringLiteral("levels"), a->LevelCount},
                                 {QStringLiteral("common_cv"), a->HasOption(aoCommonCV)}};
        if (before != after) notes.push_back(AuditNote("analyte.changed", line.Name, 0, BeforeAfter(before, after)));
    }
    for (const TAnalyte* gone : deleted_)
        if (gone && Analytes.IndexOf(gone) >= 0)
            notes.push_back(AuditNote("analyte.deleted", AuditAnalyteName(*gone), 0,
                                      {{QStringLiteral("runs"), gone->Count()}, {QStringLiteral("archives"), int(gone->Archives.size())}}));
    return notes;
}

void TWinDefAnalytes::ApplyWorkingCopy() {
    // The live list is emptied without destroying its analytes; each finds its place again.
    std::map<TAnalyte*, std::unique_ptr<TAnalyte>> held;
    while (Analytes.Count() > 0) {
        std::unique_ptr<TAnalyte> a = Analytes.Extract(Analytes.Count() - 1);
        TAnalyte* key = a.get();
        held.emplace(key, std::move(a));
    }
    for (int i = 0; i < lbox_->count(); ++i) {
        const TAnalyteLine line = TAnalyteLine::FromText(lbox_->item(i)->text());
        const auto found = held.find(LineAnalyte(lbox_->item(i)));
        if (found == held.end()) {
            Analytes.Add(std::make_unique<TAnalyte>(ToAnsi(line.Name), ToAnsi(line.Unit), line.Decimals, line.Levels,
                                                    line.CommonCV));
            continue;
        }
        std::unique_ptr<TAnalyte> a = std::move(found->second);
        held.erase(found);
        a->Name = ToAnsi(line.Name);
        a->UnitName = ToAnsi(line.Unit);
        a->Decimals = line.Decimals;
        a->SetLevelCount(line.Levels);
        a->Options = static_cast<TAnalyteOptions>(line.CommonCV ? (a->Options | aoCommonCV) : (a->Options & ~aoCommonCV));
        Analytes.Add(std::move(a));
    }
    for (TAnalyte* gone : deleted_) {
        if (!gone) continue;
        const auto found = held.find(gone);
        if (found == held.end()) continue;
        // The analyte goes with its archives; a file that will not go is no reason to keep it.
        DeleteArchives(*gone, std::vector<std::int32_t>(gone->Archives));
        held.erase(found);
    }
    // An analyte that is neither listed nor deleted is never dropped.
    for (auto& [key, rest] : held)
        if (rest) Analytes.Add(std::move(rest));
    deleted_.clear();
}

} // namespace tervanix
