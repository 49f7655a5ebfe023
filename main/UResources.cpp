#include "main/UResources.h"

namespace tervanix {

QPixmap ResourceBitmap(const QString& name) { return QPixmap(QStringLiteral(":/bitmaps/") + name); }

} // namespace tervanix
