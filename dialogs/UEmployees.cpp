#include "dialogs/UEmployees.h"

#include <QLabel>
#include <QPushButton>

#include "main/UAnsi.h"
#include "main/UCommandRunner.h"
#include "main/UEditGrid.h"
#include "main/UFontFit.h"
#include "main/UFormParts.h"
#include "main/ULaboratory.h"
#include "main/UMessages.h"
#include "model/UGlobals.h"

namespace tervanix {
namespace {

const QColor LightYellow(0xFF, 0xFF, 0xC0);
constexpr int MinRows = 16;

} // namespace

TWinEmployees::TWinEmployees(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WinEmployees"));
    setWindowTitle(QStringLiteral("List of operators"));
    setFixedSize(300, 290);
    grid_ = new TEditGrid(MinRows, 2, this);
    grid_->setObjectName(QStringLiteral("Grid"));
    grid_->setAccessibleName(QStringLiteral("List of operators"));
    grid_->setGeometry(12, 12, 24 + 115 + 22, 266);
    grid_->setColumnWidth(0, 24);
    grid_->setColumnWidth(1, 115);
    grid_->SetMaxLength(CodeLength);
    grid_->OnEscape = [this] { reject(); };
    // There is always a free row below the one being typed in.
    grid_->OnEditorOpened = [this](int row) {
        if (row != grid_->rowCount() - 1) return;
        grid_->insertRow(grid_->rowCount());
        NumberRow(grid_->rowCount() - 1);
    };

    (new QLabel(QStringLiteral("Maximum length"), this))->setGeometry(186, 16, 100, 14);
    lblNbChar_ = new QLabel(QString::number(CodeLength), this);
    lblNbChar_->setObjectName(QStringLiteral("LblNbChar"));
    lblNbChar_->setGeometry(186, 34, 12, 14);
    (new QLabel(QStringLiteral("characters"), this))->setGeometry(200, 34, 80, 14);

    btOK_ = MakeButton(this, QStringLiteral("OK"), "BtOK", QRect(196, 180, 90, 25));
    btOK_->setDefault(true);
    btCancel_ = MakeButton(this, QStringLiteral("Cancel"), "BtCancel", QRect(196, 214, 90, 25));
    btUndo_ = MakeButton(this, QStringLiteral("&Undo"), "BtUndo", QRect(196, 248, 90, 25));
    connect(btOK_, &QPushButton::clicked, this, Command([this] { BtOKClick(); }));
    connect(btCancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(btUndo_, &QPushButton::clicked, this, &TWinEmployees::FillGrid);
    FitToFont(this);
}

bool TWinEmployees::Execute() {
    FillGrid();
    return exec() == QDialog::Accepted;
}

void TWinEmployees::NumberRow(int row) { grid_->SetFixed(row, 0, QString::number(row + 1), LightYellow); }

void TWinEmployees::FillGrid() {
    grid_->FinishEditing();
    grid_->clearContents();
    grid_->setRowCount(Operators.Count() < MinRows - 1 ? MinRows : Operators.Count() + 1);
    for (int row = 0; row < grid_->rowCount(); ++row) NumberRow(row);
    for (int i = 0; i < Operators.Count(); ++i) grid_->setItem(i, 1, new QTableWidgetItem(FromAnsi(Operators[i])));
    grid_->setCurrentCell(0, 1);
    grid_->setFocus();
}

void TWinEmployees::BtOKClick() {
    grid_->FinishEditing();
    QString deleted;
    for (int i = 0; i < Operators.Count(); ++i)
        if (grid_->CellText(i, 1).isEmpty()) deleted += QStringLiteral("   ") + FromAnsi(Operators[i]) + QStringLiteral("\r");
    if (!deleted.isEmpty() && !Confirm(QStringLiteral("Deletion of :\r\r") + deleted)) {
        reject();
        return;
    }
    QJsonArray before, after;
    for (int i = 0; i < Operators.Count(); ++i) before.append(FromAnsi(Operators[i]));
    for (int row = 0; row < grid_->rowCount(); ++row)
        if (const QString code = grid_->CellText(row, 1); !code.isEmpty()) after.append(code);
    Laboratory().EditSettings({AuditNote("operators.changed", {}, 0, {{QStringLiteral("operators"), BeforeAfter(before, after)}})}, [this] {
        Operators.Clear();
        for (int row = 0; row < grid_->rowCount(); ++row)
            if (const QString code = grid_->CellText(row, 1); !code.isEmpty()) Operators.Add(ToAnsi(code));
    });
    accept();
}

bool EditOperators(TWinEmployees& window) { return window.Execute(); }

} // namespace tervanix
