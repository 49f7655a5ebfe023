#include "main/UResources.h"

#include <QtGlobal>

// The resource file is compiled into a static library: it must be registered by name, outside
// any namespace, before the first use.
static void RegisterProgramResources() { Q_INIT_RESOURCE(resources); }

namespace tervanix {

QPixmap ResourceBitmap(const QString& name) {
    static const bool registered = (RegisterProgramResources(), true);
    (void)registered;
    return QPixmap(QStringLiteral(":/bitmaps/") + name);
}

} // namespace tervanix
