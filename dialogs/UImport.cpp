#include "dialogs/UImport.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <algorithm>

#include "main/UAnsi.h"
#include "main/UColors.h"
#include "main/UCommandRunner.h"
#include "main/UFontFit.h"
#include "main/UKeyLock.h"
#include "main/ULaboratory.h"
#include "main/UMessages.h"
#include "model/UFormat.h"

namespace tervanix {
namespace {

constexpr int TabStop = 80;
constexpr int LineHeight = 16;
// Reading shows its progress from this size on; smaller texts are read in a blink.
constexpr std::size_t ProgressFromBytes = std::size_t(4) << 20;

// Each field of a display line at its tab stop, black on alternating white and light cyan.
class TImportLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect, selected ? option.palette.highlight().color()
                                                : AlternateLineColour(index.row()));
        painter->setPen(selected ? option.palette.highlightedText().color() : QColor(Qt::black));
        const QStringList fields = index.data().toString().split(QLatin1Char('\t'));
        for (int i = 0; i < fields.size(); ++i) {
            const QRect cell(option.rect.left() + 2 + i * TabStop, option.rect.top() + 1, TabStop - 4, option.rect.height() - 1);
            painter->drawText(cell, Qt::AlignLeft | Qt::AlignTop, fields[i]);
        }
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return QSize(5 * TabStop, LineHeight); }
};

QPushButton* MakeButton(QWidget* parent, const QString& caption, const char* name, QRect geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    return button;
}

} // namespace

void TImportLines::Reset(const std::vector<TImportRun>* runs, int decimals) {
    beginResetModel();
    runs_ = runs;
    decimals_ = decimals;
    endResetModel();
}

int TImportLines::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !runs_ ? 0 : static_cast<int>(runs_->size());
}

QVariant TImportLines::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !runs_ || index.row() < 0 || index.row() >= rowCount()) return QVariant();
    const auto fields = ImportDisplayFields((*runs_)[static_cast<std::size_t>(index.row())], decimals_);
    QStringList texts;
    for (const std::string& field : fields) texts << FromAnsi(field);
    return texts.join(QLatin1Char('\t'));
}

TWinImport::TWinImport(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WinImport"));
    setFixedSize(440, 330);
    const char* headers[] = {"Date", "Time", "QC1", "QC2", "QC3"};
    for (int i = 0; i < 5; ++i) {
        auto* header = new QLabel(QString::fromLatin1(headers[i]), this);
        header->setGeometry(12 + i * TabStop, 8, TabStop - 4, 13);
    }
    lines_ = new TImportLines(this);
    lb_ = new QListView(this);
    lb_->setObjectName(QStringLiteral("LB"));
    lb_->setAccessibleName(QStringLiteral("QC data"));
    lb_->setGeometry(8, 24, 424, 256);
    lb_->setUniformItemSizes(true);
    lb_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lb_->setItemDelegate(new TImportLineDelegate(lb_));
    lb_->setModel(lines_);
    lblUnread_ = new QLabel(this);
    lblUnread_->setObjectName(QStringLiteral("LblUnread"));
    lblUnread_->setWordWrap(true);
    lblUnread_->setGeometry(8, 236, 424, 44);
    lblUnread_->hide();

    // Captioned with the analyte's name at each opening.
    btAdd_ = MakeButton(this, QStringLiteral("&Add the QC data"), "BtAdd", QRect(8, 294, 250, 25));
    bitBtn1_ = MakeButton(this, QStringLiteral("Cancel"), "BitBtn1", QRect(270, 294, 75, 25));
    btCle_ = MakeKeyButton(this);
    btCle_->setGeometry(360, 290, 32, 32);
    btCle_->setAccessibleName(QStringLiteral("Unlock"));
    btCle_->setToolTip(QStringLiteral("Unlock"));
    lock_ = new TKeyLock(btCle_, {btAdd_});
    connect(btAdd_, &QPushButton::clicked, this, Command([this] { BtAddClick(); }));
    connect(bitBtn1_, &QPushButton::clicked, this, &QDialog::reject);
    FitToFont(this);
}

void TWinImport::FillFromClipboard(const TAnalyte& analyte) {
    setWindowTitle(QStringLiteral("ClipBoard contents"));
    source_ = QStringLiteral("clipboard");
    runs_.clear();
    lines_->Reset(&runs_, analyte.Decimals);
    const QString text = QApplication::clipboard()->text();
    if (text.isEmpty() || static_cast<std::size_t>(text.size()) > MaxImportTextBytes) throw EQCError("Bad clipboard format");
    const QByteArray utf8 = text.toUtf8();
    Parse(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())), analyte);
}

void TWinImport::FillFromText(std::string_view bytes, const TAnalyte& analyte, const QString& fileName) {
    setWindowTitle(QStringLiteral("Imported file contents"));
    source_ = fileName;
    runs_.clear();
    lines_->Reset(&runs_, analyte.Decimals);
    if (bytes.size() > MaxImportTextBytes || !IsImportText(bytes)) throw EQCError("Bad file format");
    Parse(bytes, analyte);
}

void TWinImport::Parse(std::string_view bytes, const TAnalyte& analyte) {
    std::size_t unread = 0;
    if (bytes.size() < ProgressFromBytes) {
        runs_ = ParseImportText(bytes, {}, &unread);
    } else {
        QProgressDialog progress(QStringLiteral("Reading the QC data"), QStringLiteral("Cancel"), 0, 1000, parentWidget());
        progress.setWindowTitle(windowTitle());
        progress.setWindowModality(Qt::ApplicationModal);
        progress.setMinimumDuration(300);
        bool stopped = false;
        runs_ = ParseImportText(bytes, [&](std::size_t done, std::size_t total) {
            progress.setValue(static_cast<int>(done * 1000 / total));
            stopped = progress.wasCanceled();
            return !stopped;
        }, &unread);
        if (stopped) throw EAbortSilently();
    }
    lines_->Reset(&runs_, analyte.Decimals);
    ShowUnread(unread);
}

void TWinImport::ShowUnread(std::size_t unread) {
    lblUnread_->setVisible(unread > 0);
    lb_->setFixedHeight(unread > 0 ? 208 : 256); // the list makes room for the note under it
    if (unread == 0) return;
    const TLocaleFormats& locale = Locale();
    lblUnread_->setText(
        QStringLiteral("%1 %2 could not be read. Each line needs a date as %3, a time as %4 and up to three "
                       "values with \"%5\" as decimal separator, separated by tabs.")
            .arg(unread)
            .arg(unread == 1 ? QStringLiteral("line") : QStringLiteral("lines"))
            .arg(FromAnsi(locale.ShortDateFormat), FromAnsi(locale.LongTimeFormat), QChar::fromLatin1(locale.DecimalSeparator)));
}

bool TWinImport::Execute(TAnalyte& analyte) {
    analyte_ = &analyte;
    btAdd_->setText(QStringLiteral("&Add the QC data to ") + FromAnsi(analyte.Name.view()));
    lock_->Activate();
    lb_->scrollToTop();
    const bool added = exec() == QDialog::Accepted;
    analyte_ = nullptr;
    // A long text's runs are not kept once the dialog is closed.
    lines_->Reset(nullptr, analyte.Decimals);
    std::vector<TImportRun>().swap(runs_);
    return added;
}

void TWinImport::BtAddClick() {
    // Runs without a value on the analyte's levels are not added: with none, nothing changes.
    if (!analyte_ || std::none_of(runs_.begin(), runs_.end(), [this](const TImportRun& run) { return IsAddable(run, *analyte_); })) {
        reject();
        return;
    }
    if (analyte_->Count() > 0 &&
        !Confirm(QStringLiteral("Add the new QC points to the previous ones\rThe QC mode will be reset to mobile"))) {
        reject();
        return;
    }
    const auto added = std::count_if(runs_.begin(), runs_.end(), [this](const TImportRun& run) { return IsAddable(run, *analyte_); });
    const QJsonObject details{{QStringLiteral("file"), source_}, {QStringLiteral("runs"), static_cast<int>(added)}};
    Laboratory().EditSeries(*analyte_, {AuditNote("import", AuditAnalyteName(*analyte_), 0, details)},
                            [this] { AddImportedRuns(*analyte_, runs_); });
    accept();
}

} // namespace tervanix
