#include "dialogs/UAbout.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

#include "main/UCommandRunner.h"
#include "main/UFontFit.h"
#include "main/ULaboratory.h"
#include "model/UGlobals.h"

namespace tervanix {
namespace {

// "Tervanix QC 2026", scrambled.
const QString ScrambledLabel7 = QStringLiteral("7313!DR!yjobwsfU");

const QString TermsOfUse = QStringLiteral(
    "Terms of use\n"
    "Tervanix is licensed for the internal quality control of the laboratory that installed it. "
    "The results it shows are computed from the values entered or delivered to it; the laboratory "
    "remains responsible for the validation of every run and for the release of patient results.\n\n"
    "Warranty disclaimer\n"
    "The software is provided \"as is\", without warranty of any kind, express or implied, including "
    "the warranties of merchantability and fitness for a particular purpose. In no event shall the "
    "authors be liable for any claim, damages or other liability arising from its use.");

} // namespace

QString UnscrambleText(const QString& scrambled) {
    QString text;
    text.reserve(scrambled.size());
    for (auto it = scrambled.crbegin(); it != scrambled.crend(); ++it) text += QChar(it->unicode() - 1);
    return text;
}

TWinAbout::TWinAbout(QWidget* parent)
    : QDialog(parent),
      panel_(new QFrame(this)),
      memo_(new QPlainTextEdit(TermsOfUse, this)),
      checkBoxAvertir_(new QCheckBox(QStringLiteral("&Do not show this window again"), this)),
      btOK_(new QPushButton(QStringLiteral("OK"), this)) {
    setWindowTitle(QStringLiteral("About Tervanix"));
    setFixedSize(417, 353);
    panel_->setGeometry(8, 8, 401, 137);
    panel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* icon = new QLabel(panel_);
    icon->setGeometry(12, 12, 32, 32);
    icon->setPixmap(QApplication::windowIcon().isNull()
                        ? style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(32, 32)
                        : QApplication::windowIcon().pixmap(32, 32));
    AddLabel(QStringLiteral("Name of  software : Tervanix"), 12);
    AddLabel(QStringLiteral("Version 1.0"), 30);
    lblServer_ = AddLabel(QStringLiteral("automation server"), 48);
    lblServer_->setObjectName(QStringLiteral("LblServer"));
    label7_ = AddLabel(UnscrambleText(ScrambledLabel7), 66);
    label7_->setObjectName(QStringLiteral("Label7"));
    AddLabel(QStringLiteral("Laboratory quality control software"), 92);
    AddLabel(QStringLiteral("Questions and remarks: your laboratory's system administrator"), 110);
    memo_->setGeometry(8, 153, 401, 129);
    memo_->setReadOnly(true);
    memo_->setAccessibleName(QStringLiteral("Terms of use"));
    checkBoxAvertir_->setGeometry(8, 292, 260, 17);
    checkBoxAvertir_->setObjectName(QStringLiteral("CheckBoxAvertir"));
    btOK_->setGeometry(334, 316, 75, 25);
    btOK_->setObjectName(QStringLiteral("BtOK"));
    btOK_->setDefault(true);
    connect(btOK_, &QPushButton::clicked, this, &QDialog::accept);
    FitToFont(this);
}

QLabel* TWinAbout::AddLabel(const QString& text, int top) {
    auto* label = new QLabel(text, panel_);
    label->setGeometry(60, top, 330, 16);
    return label;
}

void TWinAbout::PrepareAtStart() {
    atStart_ = true;
    checkBoxAvertir_->setEnabled(true);
    checkBoxAvertir_->setChecked(false);
}

void TWinAbout::PrepareFromMenu() {
    atStart_ = false;
    checkBoxAvertir_->setChecked(false);
    checkBoxAvertir_->setEnabled(false);
}

int TWinAbout::ExecAtStart() {
    PrepareAtStart();
    return exec();
}

int TWinAbout::ExecFromMenu() {
    PrepareFromMenu();
    return exec();
}

void TWinAbout::done(int result) {
    // However the box is closed (OK, Escape), the operator's choice counts.
    if (atStart_ && checkBoxAvertir_->isChecked()) RunCommand([] {
        Laboratory().EditSettings(
            {AuditNote("options.changed", {}, 0, {{QStringLiteral("show_about_at_start"), BeforeAfter(true, false)}})},
            [] { Settings.ShowAboutAtStart = 0; });
    });
    atStart_ = false;
    QDialog::done(result);
}

} // namespace tervanix
