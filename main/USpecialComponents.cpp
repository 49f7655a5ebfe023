#include "main/USpecialComponents.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "charts/UDrawChart.h"
#include "main/UColors.h"

namespace tervanix {
namespace {

QLabel* AddLabel(QWidget* box, const QString& text, int left, int top) {
    auto* label = new QLabel(text, box);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QPushButton* AddButton(QWidget* box, const QString& caption, const char* name, QRect geometry) {
    auto* button = new QPushButton(caption, box);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    return button;
}

// An edit with its caption as buddy, so that its caption is also its name for screen readers.
QLineEdit* AddEdit(QWidget* box, QLabel* caption, const char* name, QRect geometry) {
    auto* edit = new QLineEdit(box);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(geometry);
    caption->setBuddy(edit);
    return edit;
}

} // namespace

TGBLockedParam::TGBLockedParam(int level, QWidget* parent) : QGroupBox(parent), level_(level) {
    setObjectName(QStringLiteral("GBLockedParam%1").arg(level + 1));
    resize(183, 62);
    Lbl1 = AddLabel(this, QString(), 6, 18);
    Lbl1->setObjectName(QStringLiteral("Lbl1"));
    Lbl1->resize(175, 16);
    QPalette red = Lbl1->palette();
    red.setColor(QPalette::WindowText, clRed);
    Lbl1->setPalette(red);
    BtLock = AddButton(this, QStringLiteral("Locked"), "BtLock", QRect(30, 38, 60, 18));
    BtUnLock = AddButton(this, QStringLiteral("Mobile"), "BtUnLock", QRect(100, 38, 60, 18));
}

// The dates of a long date format are read whole: the line's font is made smaller only as far as
// the box's width needs.
void TGBLockedParam::SetState(const QString& text) {
    Lbl1->setFont(ScaleLabelFont(font(), {text}, Lbl1->contentsRect().width()));
    Lbl1->setText(text);
    Lbl1->setToolTip(text);
}

TGBFixedParam::TGBFixedParam(int level, QWidget* parent) : QGroupBox(parent), level_(level) {
    setObjectName(QStringLiteral("GBFixedParam%1").arg(level + 1));
    resize(170, 115);
    LblTarget = AddLabel(this, QStringLiteral("Target value"), 5, 21);
    EditTarget = AddEdit(this, LblTarget, "EditTarget", QRect(72, 17, 45, 20));
    LblUnite = AddLabel(this, QString(), 123, 21);
    LblUnite->resize(45, 16);
    LblLimits = AddLabel(this, QStringLiteral("Deviations allowed before"), 5, 42);
    LblWarning = AddLabel(this, QStringLiteral("warning"), 5, 67);
    EditWarning = AddEdit(this, LblWarning, "EditWarning", QRect(47, 63, 40, 20));
    LblAction = AddLabel(this, QStringLiteral("action"), 91, 67);
    EditAction = AddEdit(this, LblAction, "EditAction", QRect(124, 63, 40, 20));
    BtFix = AddButton(this, QStringLiteral("Fixed"), "BtFix", QRect(20, 90, 60, 18));
    BtUnfix = AddButton(this, QStringLiteral("Mobile"), "BtUnfix", QRect(90, 90, 60, 18));
}

TGBArchivage::TGBArchivage(int level, QWidget* parent) : QGroupBox(parent), level_(level) {
    setObjectName(QStringLiteral("GBArchivage%1").arg(level + 1));
    resize(160, 60);
    BtArchi = AddButton(this, QStringLiteral("Erase/archive data"), "BtArchi", QRect(10, 22, 140, 25));
}

} // namespace tervanix
