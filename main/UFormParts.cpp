#include "main/UFormParts.h"

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QPushButton>

#include "main/UColors.h"

namespace tervanix {

void SetWindowFont() {
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    QApplication::setFont(font);
}

QPushButton* MakeButton(QWidget* parent, const QString& caption, const char* name, const QRect& geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

QLabel* MakeCaption(QWidget* parent, const QString& text, const QRect& geometry, QWidget* buddy) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    if (buddy) label->setBuddy(buddy);
    return label;
}

QLabel* MakePageHeadline(QWidget* parent, const QString& text, const QRect& geometry) {
    QLabel* headline = MakeCaption(parent, text, geometry);
    headline->setAlignment(Qt::AlignCenter);
    QFont bold = headline->font();
    bold.setBold(true);
    headline->setFont(bold);
    QPalette red = headline->palette();
    red.setColor(QPalette::WindowText, clRed);
    headline->setPalette(red);
    return headline;
}

} // namespace tervanix
