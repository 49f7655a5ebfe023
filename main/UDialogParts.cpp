#include "main/UDialogParts.h"

#include <QLabel>
#include <QPushButton>

namespace tervanix {

QString AccessibleCaption(const QString& caption) {
    QString text;
    for (int i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) ++i; // "&&" stands for one "&"
        text += caption[i];
    }
    while (!text.isEmpty() && text.back().isSpace()) text.chop(1);
    return text;
}

QPushButton* MakeButton(QWidget* parent, const QString& caption, const char* name, QRect geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setAccessibleName(AccessibleCaption(caption));
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
    field->setAccessibleName(AccessibleCaption(caption));
    return label;
}

} // namespace tervanix
