#include "dialogs/UAuditTrail.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>

#include "charts/UAuditPages.h"
#include "charts/UPrintService.h"
#include "main/UAccessible.h"
#include "main/UAnsi.h"
#include "main/UAuditNotes.h"
#include "main/UCommandRunner.h"
#include "main/UDialogParts.h"
#include "main/UFontFit.h"
#include "model/UAnalyte.h"
#include "model/UGlobals.h"

namespace tervanix {

// The entries shown, one row each, newest first; the summaries are made when first drawn.
class TAuditModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void Reset(std::vector<TAuditEntry> entries) {
        beginResetModel();
        entries_ = std::move(entries);
        summaries_.assign(entries_.size(), std::nullopt);
        endResetModel();
    }
    const TAuditEntry* EntryAt(int row) const {
        return row >= 0 && row < rowCount() ? &entries_[static_cast<std::size_t>(row)] : nullptr;
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(entries_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : ColumnCount;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        static const char* const headings[ColumnCount] = {"Time (UTC)", "Operator", "Login", "Source",
                                                          "Action",     "Analyte",  "Level", "Summary"};
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
            return {};
        return QString::fromLatin1(headings[section]);
    }
    QVariant data(const QModelIndex& index, int role) const override {
        const TAuditEntry* e = EntryAt(index.row());
        if (!e || role != Qt::DisplayRole) return {};
        switch (index.column()) {
        case 0:
            return QString::fromStdString(e->Time).replace(u'T', u' ').remove(u'Z');
        case 1:
            return QString::fromStdString(e->Operator);
        case 2:
            return QString::fromStdString(e->Login);
        case 3:
            return QString::fromStdString(e->Source);
        case 4:
            return QString::fromStdString(e->Action);
        case 5:
            return QString::fromStdString(e->Analyte);
        case 6:
            return e->Level > 0 ? QVariant(e->Level) : QVariant();
        default:
            return Summary(static_cast<std::size_t>(index.row()));
        }
    }

private:
    static constexpr int ColumnCount = 8;
    QString Summary(std::size_t row) const {
        if (!summaries_[row]) summaries_[row] = AuditSummary(entries_[row]);
        return *summaries_[row];
    }
    std::vector<TAuditEntry> entries_;
    mutable std::vector<std::optional<QString>> summaries_;
};

namespace {

QString EntryText(const TAuditEntry& e) {
    const QByteArray details =
        QJsonDocument::fromJson(QByteArray::fromStdString(e.Details)).toJson(QJsonDocument::Indented);
    return QStringLiteral("Entry %1, %2 (UTC)\n"
                          "Action: %3\n"
                          "Analyte: %4   Level: %5\n"
                          "Operator: %6   Login: %7   Source: %8\n\n%9")
        .arg(e.Seq)
        .arg(QString::fromStdString(e.Time), QString::fromStdString(e.Action),
             QString::fromStdString(e.Analyte), e.Level > 0 ? QString::number(e.Level) : QStringLiteral("-"),
             QString::fromStdString(e.Operator), QString::fromStdString(e.Login),
             QString::fromStdString(e.Source), QString::fromUtf8(details));
}

QString CheckText(const std::optional<TAuditCheck>& check) {
    if (!check) return QStringLiteral("The audit trail cannot be read");
    if (check->Intact()) return QStringLiteral("Chain intact, %1 entries").arg(check->Entries);
    return QStringLiteral("Chain broken at line %1 of %2: that line and those after it cannot be trusted")
        .arg(check->FirstBroken)
        .arg(check->Entries);
}

} // namespace

TWinAuditTrail::TWinAuditTrail(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WinAuditTrail"));
    setWindowTitle(QStringLiteral("Audit trail"));
    resize(BoundedToScreen(this, {980, 640}));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(CreateFilters());

    model_ = new TAuditModel(this);
    list_ = new QTableView(this);
    list_->setObjectName(QStringLiteral("LBEntries"));
    list_->setModel(model_);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->verticalHeader()->hide();
    list_->horizontalHeader()->setStretchLastSection(true);
    list_->setAccessibleName(QStringLiteral("Entries, newest first"));
    connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { ShowSelected(); });
    shownLine_ = new QLabel(this);
    shownLine_->setObjectName(QStringLiteral("LblShown"));
    layout->addWidget(shownLine_);
    layout->addWidget(list_, 3);

    details_ = new QPlainTextEdit(this);
    details_->setObjectName(QStringLiteral("MemoDetails"));
    details_->setReadOnly(true);
    auto* detailsCaption = new QLabel(QStringLiteral("&Details of the selected entry"), this);
    detailsCaption->setBuddy(details_);
    details_->setAccessibleName(AccessibleCaption(detailsCaption->text()));
    layout->addWidget(detailsCaption);
    layout->addWidget(details_, 2);

    auto* bottom = new QHBoxLayout;
    checkLine_ = new QLabel(this);
    checkLine_->setObjectName(QStringLiteral("LblCheck"));
    checkLine_->setAccessibleName(QStringLiteral("Chain check"));
    bottom->addWidget(checkLine_, 1);
    btPrint_ = new QPushButton(QStringLiteral("&Print"), this);
    btPrint_->setObjectName(QStringLiteral("BtPrint"));
    SetAccessibleCaption(btPrint_, btPrint_->text());
    btClose_ = new QPushButton(QStringLiteral("&Close"), this);
    btClose_->setObjectName(QStringLiteral("BtClose"));
    SetAccessibleCaption(btClose_, btClose_->text());
    bottom->addWidget(btPrint_);
    bottom->addWidget(btClose_);
    layout->addLayout(bottom);
    connect(btPrint_, &QPushButton::clicked, this, Command([this] { PrintClick(); }));
    connect(btClose_, &QPushButton::clicked, this, &QDialog::accept);
    QWidget* const order[] = {analyte_, action_, dates_, from_, to_, list_, details_, btPrint_, btClose_};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

TWinAuditTrail::~TWinAuditTrail() {
    WaitForCheck();
}

QLayout* TWinAuditTrail::CreateFilters() {
    auto* filters = new QGridLayout;
    analyte_ = new QComboBox(this);
    analyte_->setObjectName(QStringLiteral("CBAnalyte"));
    analyte_->setEditable(true); // an analyte deleted since is typed
    analyte_->setMinimumContentsLength(16);
    analyte_->lineEdit()->setPlaceholderText(QStringLiteral("All analytes"));
    action_ = new QComboBox(this);
    action_->setObjectName(QStringLiteral("CBAction"));
    action_->addItem(QStringLiteral("All actions"), QString());
    for (const std::string_view action : AuditActions)
        action_->addItem(QString::fromLatin1(action.data(), static_cast<qsizetype>(action.size())),
                         QString::fromLatin1(action.data(), static_cast<qsizetype>(action.size())));
    dates_ = new QCheckBox(QStringLiteral("Only the da&ys (UTC)"), this);
    dates_->setObjectName(QStringLiteral("CBDates"));
    SetAccessibleCaption(dates_, dates_->text());
    from_ = new QDateEdit(QDate::currentDate(), this);
    from_->setObjectName(QStringLiteral("DateFrom"));
    to_ = new QDateEdit(QDate::currentDate(), this);
    to_->setObjectName(QStringLiteral("DateTo"));
    for (QDateEdit* date : {from_, to_}) {
        date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        date->setCalendarPopup(true);
        date->setEnabled(false);
    }
    int column = 0;
    const auto add = [&](const QString& caption, QWidget* field) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(field);
        field->setAccessibleName(AccessibleCaption(caption));
        filters->addWidget(label, 0, column++);
        filters->addWidget(field, 0, column++);
    };
    add(QStringLiteral("&Analyte"), analyte_);
    add(QStringLiteral("Ac&tion"), action_);
    filters->addWidget(dates_, 0, column++);
    add(QStringLiteral("&From"), from_);
    add(QStringLiteral("T&o"), to_);
    filters->setColumnStretch(column, 1);
    connect(analyte_, &QComboBox::currentTextChanged, this, [this] { Reload(); });
    connect(action_, &QComboBox::currentIndexChanged, this, [this] { Reload(); });
    connect(dates_, &QCheckBox::toggled, this, [this](bool on) {
        from_->setEnabled(on);
        to_->setEnabled(on);
        Reload();
    });
    connect(from_, &QDateEdit::dateChanged, this, [this] { Reload(); });
    connect(to_, &QDateEdit::dateChanged, this, [this] { Reload(); });
    return filters;
}

void TWinAuditTrail::Execute(const std::string& path) {
    Open(path);
    exec();
    WaitForCheck();
}

void TWinAuditTrail::Open(const std::string& path) {
    path_ = path;
    {
        const QSignalBlocker blocker(analyte_);
        const QString typed = analyte_->currentText();
        analyte_->clear();
        analyte_->addItem(QString());
        for (int i = 0; i < Analytes.Count(); ++i)
            analyte_->addItem(FromAnsi(Analytes[i].Name.str()));
        analyte_->setCurrentText(typed);
    }
    Reload();
    StartCheck();
    list_->setFocus();
}

TAuditFilter TWinAuditTrail::Filter() const {
    TAuditFilter filter;
    filter.Analyte = analyte_->currentText().trimmed().toStdString();
    filter.Action = action_->currentData().toString().toStdString();
    if (dates_->isChecked()) {
        const QDate first = std::min(from_->date(), to_->date()), last = std::max(from_->date(), to_->date());
        filter.FromDate = first.toString(Qt::ISODate).toStdString();
        filter.ToDate = last.toString(Qt::ISODate).toStdString();
    }
    return filter;
}

void TWinAuditTrail::Reload() {
    if (path_.empty()) return;
    std::vector<TAuditEntry> entries;
    try {
        entries = ReadAuditEntries(path_, Filter(), ShownEntries);
    } catch (const EQCError& e) {
        shownLine_->setText(QString::fromStdString(e.what()));
    }
    const std::size_t count = entries.size();
    model_->Reset(std::move(entries));
    shownLine_->setText(count == ShownEntries
                            ? QStringLiteral("The newest %1 entries that the filters select").arg(count)
                            : QStringLiteral("%1 entries that the filters select").arg(count));
    list_->resizeColumnsToContents();
    if (count > 0) list_->selectRow(0);
    ShowSelected();
}

void TWinAuditTrail::ShowSelected() {
    const TAuditEntry* entry = model_->EntryAt(list_->currentIndex().row());
    details_->setPlainText(entry ? EntryText(*entry) : QString());
}

// The check reads the whole file: it runs beside the window, which is usable at once.
void TWinAuditTrail::StartCheck() {
    WaitForCheck();
    checked_ = false;
    checkLine_->setText(QStringLiteral("Checking the chain..."));
    checkResult_ = std::make_shared<std::optional<TAuditCheck>>();
    stopCheck_ = std::make_shared<std::atomic<bool>>(false);
    check_.reset(QThread::create([path = path_, result = checkResult_, stop = stopCheck_] {
        *result = VerifyAuditFile(path, nullptr, stop.get());
    }));
    // A check that was stopped or replaced says nothing.
    connect(check_.get(), &QThread::finished, this, [this, result = checkResult_, stop = stopCheck_] {
        if (result == checkResult_ && !*stop) EndCheck();
    });
    check_->start();
}

void TWinAuditTrail::EndCheck() {
    checkLine_->setText(CheckText(*checkResult_));
    checkLine_->setAccessibleDescription(checkLine_->text());
    checked_ = true;
    emit ChainChecked();
}

// A check still running is stopped: the window closes, or checks the trail afresh.
void TWinAuditTrail::WaitForCheck() {
    if (!check_) return;
    if (!checked_) *stopCheck_ = true;
    check_->wait();
}

void TWinAuditTrail::PrintClick() {
    std::vector<TAuditEntry> entries = ReadAuditEntries(path_, Filter());
    if (entries.empty()) throw EQCError("Nothing to print");
    std::reverse(entries.begin(), entries.end()); // in the order they were written
    QString selection = AuditSelectionLine(Filter());
    if (checked_) selection += QStringLiteral(" - ") + checkLine_->text();
    PrintJob(this, AuditPrintJob(entries, selection));
}

} // namespace tervanix
