#include "main/UAccessible.h"

#include <QTimer>
#include <QWidget>
#include <utility>

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

void OpenAfterAction(QObject* context, std::function<void()> open) {
    QTimer::singleShot(0, context, std::move(open));
}

std::function<void()> AfterAction(QObject* context, std::function<void()> command) {
    return [context, command = std::move(command)] { OpenAfterAction(context, command); };
}

} // namespace tervanix
