#include "main/UEntryPage.h"

#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimeEdit>

#include "main/UAccessible.h"
#include "main/UAnsi.h"
#include "main/UCommandRunner.h"
#include "main/UDateTimeEdits.h"
#include "main/UFormParts.h"
#include "main/UMessages.h"
#include "main/UReaders.h"
#include "main/UResources.h"
#include "model/UAnalyte.h"
#include "model/UClock.h"
#include "model/UFormat.h"
#include "model/UGlobals.h"
#include "model/USeriesQueries.h"

namespace tervanix {

TEntryPage::TEntryPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabSheetEnter"));
    CreateHeadline();
    datePicker_ = MakeDatePicker(this, "DatePicker", QRect(5, 40, 94, 21));
    MakeCaption(this, QStringLiteral("&Date"), QRect(5, 24, 60, 14), datePicker_);
    timePicker_ = MakeTimePicker(this, "TimePicker", QRect(103, 40, 80, 21));
    MakeCaption(this, QStringLiteral("&Time"), QRect(103, 24, 60, 14), timePicker_);
    for (int level = 0; level < MaxLevels; ++level) CreateLevelRow(level);
    CreateOperatorAndComment();
    CreateButtons();
    CreateAnalyteList();
    SetTabOrder();
}

void TEntryPage::CreateHeadline() {
    QLabel* headline = MakePageHeadline(this, QStringLiteral("Entry of QC points"), QRect(0, 4, 185, 16));
    headline->setObjectName(QStringLiteral("LblEnterTitle"));
}

void TEntryPage::CreateLevelRow(int level) {
    TLevelRow& row = levelRows_[static_cast<std::size_t>(level)];
    const QString n = QString::number(level + 1);
    row.Material = MakeCaption(this, QString(), QRect(5, 28 * level + 70, 72, 16));
    row.Material->setObjectName(QStringLiteral("LblMaterial") + n);
    row.Edit = new QLineEdit(this);
    row.Edit->setObjectName(QStringLiteral("EditLevel") + n);
    row.Edit->setAccessibleName(QStringLiteral("QC") + n); // the material's name once an analyte is shown
    row.Edit->setGeometry(85, 28 * level + 67, 50, 21);
    row.Unit = MakeCaption(this, QString(), QRect(138, 28 * level + 70, 47, 16));
    row.Unit->setObjectName(QStringLiteral("LblUnit") + n);
}

void TEntryPage::CreateOperatorAndComment() {
    cbOperator_ = new QComboBox(this);
    cbOperator_->setObjectName(QStringLiteral("CBOperator"));
    cbOperator_->setEditable(true);
    cbOperator_->setInsertPolicy(QComboBox::NoInsert);
    cbOperator_->lineEdit()->setMaxLength(4);
    cbOperator_->lineEdit()->setAccessibleName(QStringLiteral("Operator")); // its typing field too
    cbOperator_->setGeometry(85, 155, 70, 21);
    MakeCaption(this, QStringLiteral("&Operator"), QRect(5, 158, 60, 14), cbOperator_);

    auto* commentIcon = new QLabel(this);
    commentIcon->setPixmap(ResourceBitmap(QStringLiteral("COMMENT")));
    commentIcon->setGeometry(68, 184, 12, 12);
    editComment_ = new QLineEdit(this);
    editComment_->setObjectName(QStringLiteral("EditComment"));
    editComment_->setMaxLength(20);
    editComment_->setGeometry(5, 200, 178, 21);
    MakeCaption(this, QStringLiteral("Co&mment"), QRect(5, 184, 60, 14), editComment_);
}

void TEntryPage::CreateButtons() {
    btOKEnter_ = new QPushButton(QStringLiteral("OK"), this);
    btOKEnter_->setObjectName(QStringLiteral("BtOKEnter"));
    btOKEnter_->setGeometry(5, 230, 86, 25);
    btOKEnter_->setFocusPolicy(Qt::StrongFocus); // the keyboard reaches it after the comment
    connect(btOKEnter_, &QPushButton::clicked, this, AfterAction(this, [this] {
        if (OnSubmit) OnSubmit();
    }));
    btRAZ_ = new QPushButton(QStringLiteral("Cl&ear"), this);
    btRAZ_->setObjectName(QStringLiteral("BtRAZEntryFields"));
    btRAZ_->setGeometry(97, 230, 86, 25);
    btRAZ_->setFocusPolicy(Qt::ClickFocus);
    connect(btRAZ_, &QPushButton::clicked, this, Command([this] {
        if (OnClear) OnClear();
    }));
}

void TEntryPage::CreateAnalyteList() {
    lbAnalytes_ = new QListWidget(this);
    lbAnalytes_->setObjectName(QStringLiteral("LBAnalytes"));
    lbAnalytes_->setGeometry(5, 280, 178, 166);
    const QLabel* caption = MakeCaption(this, QStringLiteral("Anal&ytes"), QRect(5, 264, 80, 14), lbAnalytes_);
    SetAccessibleCaption(lbAnalytes_, caption->text());
    connect(lbAnalytes_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && OnAnalyteChosen) RunCommand([this, row] { OnAnalyteChosen(row); });
    });
    // An assistive client selects a line without moving the current row: the selection leads.
    connect(lbAnalytes_, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> selected = lbAnalytes_->selectedItems();
        if (selected.size() == 1) lbAnalytes_->setCurrentItem(selected.front());
    });
    connect(lbAnalytes_, &QListWidget::itemDoubleClicked, this, AfterAction(this, [this] {
        if (OnAnalyteDoubleClicked) OnAnalyteDoubleClicked();
    }));
}

void TEntryPage::SetTabOrder() {
    QWidget::setTabOrder(datePicker_, timePicker_);
    QWidget::setTabOrder(timePicker_, levelRows_[0].Edit);
    QWidget::setTabOrder(levelRows_[0].Edit, levelRows_[1].Edit);
    QWidget::setTabOrder(levelRows_[1].Edit, levelRows_[2].Edit);
    QWidget::setTabOrder(levelRows_[2].Edit, cbOperator_);
    QWidget::setTabOrder(cbOperator_, editComment_);
    QWidget::setTabOrder(editComment_, btOKEnter_);
    QWidget::setTabOrder(btOKEnter_, lbAnalytes_);
}

void TEntryPage::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    // Return on a line of the analytes list chooses it; it is no field of the run.
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && !lbAnalytes_->hasFocus()) {
        btOKEnter_->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

// ---- What the page shows and reads ----

void TEntryPage::ClearFields() {
    for (TLevelRow& row : levelRows_) row.Edit->clear();
    datePicker_->setDate(QDateOf(Today()));
    timePicker_->setTime(QTimeOf(Now()));
    editComment_->clear();
    cbOperator_->setEditText(QString());
}

void TEntryPage::FillOperators(bool keepTyped) {
    const QString typed = keepTyped ? cbOperator_->currentText() : QString();
    cbOperator_->clear();
    for (const std::string& code : Operators.Items()) cbOperator_->addItem(FromAnsi(code));
    cbOperator_->setEditText(typed);
}

void TEntryPage::ShowLevels(const TAnalyte* analyte) {
    for (int level = 0; level < MaxLevels; ++level) {
        TLevelRow& row = levelRows_[static_cast<std::size_t>(level)];
        const bool shown = analyte && level < analyte->LevelCount;
        if (shown) {
            row.Material->setText(FromAnsi(LevelMaterialText(*analyte, Materials, level)));
            // The level is always said: two levels may show one material.
            row.Edit->setAccessibleName(QStringLiteral("QC%1 %2").arg(level + 1).arg(row.Material->text()));
            row.Unit->setText(FromAnsi(analyte->UnitName.str()));
        }
        row.Material->setVisible(shown);
        row.Edit->setVisible(shown);
        row.Unit->setVisible(shown);
    }
}

TResu TEntryPage::ReadRun(const TAnalyte& analyte) {
    TResu run;
    run.StandaloneFlag = 1;
    run.AnalyteName = analyte.Name.str();
    run.Comment = ToAnsi(editComment_->text().trimmed());
    run.Operator = ToAnsi(cbOperator_->currentText().trimmed());
    run.DateTime = DateTimeOf(datePicker_->date(), timePicker_->time());
    bool anyValue = false;
    for (int level = 0; level < analyte.LevelCount && level < MaxLevels; ++level) {
        run.Levels[static_cast<std::size_t>(level)] = ReadLevelResult(LevelEdit(level));
        anyValue = anyValue || run.Levels[static_cast<std::size_t>(level)].Status != qsNoValue;
    }
    if (!anyValue) {
        ShowError(QStringLiteral("No data"));
        datePicker_->setFocus();
        throw EAbortSilently();
    }
    return run;
}

void TEntryPage::ShowRun(const TQCPoint& point, const TAnalyte& analyte) {
    datePicker_->setDate(QDateOf(point.DateTime));
    timePicker_->setTime(QTimeOf(point.DateTime));
    cbOperator_->setEditText(FromAnsi(point.Operator.str()));
    for (int level = 0; level < analyte.LevelCount && level < MaxLevels; ++level) {
        const TLevelResult& r = point.Levels[static_cast<std::size_t>(level)];
        LevelEdit(level)->setText(r.Status == qsNoValue ? QString() : FromAnsi(FormatFixed(r.Value, 8, analyte.Decimals)));
    }
    editComment_->setText(point.CommentId >= 0 ? FromAnsi(analyte.CommentText(point.CommentId)) : QString());
}

void TEntryPage::ShowAnalytes(int row) {
    const QSignalBlocker quiet(lbAnalytes_);
    lbAnalytes_->clear();
    for (int i = 0; i < Analytes.Count(); ++i) lbAnalytes_->addItem(FromAnsi(Analytes[i].Name.str()));
    if (row >= 0) lbAnalytes_->setCurrentRow(row);
}

} // namespace tervanix
