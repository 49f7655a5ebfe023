#include "main/UResources.h"

#include <QtGlobal>
#include <initializer_list>

#include "model/UTypes.h"

// The resource file is compiled into a static library: it must be registered by name, outside
// any namespace, before the first use.
static void RegisterProgramResources() { Q_INIT_RESOURCE(resources); }

namespace tervanix {

namespace {

QString ResourcePath(const char* folder, const QString& name) {
    static const bool registered = (RegisterProgramResources(), true);
    (void)registered;
    return QStringLiteral(":/") + QLatin1String(folder) + QLatin1Char('/') + name;
}

} // namespace

QPixmap ResourceBitmap(const QString& name) { return QPixmap(ResourcePath("bitmaps", name)); }

QPixmap StatusBitmap(std::uint8_t status) {
    switch (status) {
    case qsInControl: return ResourceBitmap(QStringLiteral("PUCEVERTE"));
    case qsHighAlert:
    case qsLowAlert: return ResourceBitmap(QStringLiteral("PUCEJAUNE"));
    case qsHighAction:
    case qsLowAction: return ResourceBitmap(QStringLiteral("PUCEROUGE"));
    case qsDiscarded: return ResourceBitmap(QStringLiteral("CROIXROUGE"));
    default: return QPixmap();
    }
}

QIcon ResourceIcon(const QString& name) { return QIcon(ResourcePath("icons", name)); }

QCursor ResourceCursor(const QString& name) { return QCursor(QPixmap(ResourcePath("cursors", name)), 0, 0); }

QStringList LoadResources() {
    QStringList missing;
    const auto check = [&missing](const char* folder, std::initializer_list<const char*> names) {
        for (const char* name : names) {
            const QString path = ResourcePath(folder, QLatin1String(name));
            if (QPixmap(path).isNull()) missing << QLatin1String(name);
        }
    };
    check("bitmaps", {"PUCEROUGE", "PUCEVERTE", "PUCEJAUNE", "CROIXROUGE", "COMMENT", "CLE"});
    check("icons", {"TRAYICON1", "TRAYICON2"});
    check("cursors", {"CURSDRAGLOT", "CURSNODROPLOT"});
    return missing;
}

} // namespace tervanix
