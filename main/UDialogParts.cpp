#include "main/UDialogParts.h"

#include <QLabel>
#include <QPushButton>

#include "main/UAccessible.h"

namespace tervanix {

QPushButton* MakeButton(QWidget* parent, const QString& caption, const char* name, QRect geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    SetAccessibleCaption(button, caption);
    button->setAutoDefault(false);
    return button;
}

QLabel* MakeHeader(QWidget* parent, const QString& text, QRect geometry) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

QLabel* MakeCaption(QWidget* parent, const QString& caption, QRect geometry, QWidget* field) {
    auto* label = new QLabel(caption, parent);
    label->setGeometry(geometry);
    label->setBuddy(field);
    SetAccessibleCaption(field, caption);
    return label;
}

} // namespace tervanix
