#include "main/UDialogParts.h"

#include <QLabel>
#include <QLineEdit>
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

QLineEdit* MakeCaptionedEdit(QWidget* parent, const char* name, const QString& caption, const QString& note, int top,
                             int width, int maxLength) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(8, top + 16, width, 21);
    edit->setMaxLength(maxLength);
    MakeCaption(parent, caption, QRect(8, top, 60, 14), edit);
    (new QLabel(note, parent))->setGeometry(70, top, 130, 14);
    return edit;
}

} // namespace tervanix
