#include "main/UAccessible.h"

#include <QWidget>

namespace tervanix {

QString AccessibleCaption(const QString& caption) {
    QString name;
    name.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&')) {
            if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&')) name += caption[++i];
            continue;
        }
        name += caption[i];
    }
    while (!name.isEmpty() && name.back().isSpace())
        name.chop(1);
    return name;
}

void SetAccessibleCaption(QWidget* control, const QString& caption) {
    control->setAccessibleName(AccessibleCaption(caption));
}

} // namespace tervanix
