// The program's own bitmaps, kept in the Qt resource file under their resource names.
#pragma once

#include <QPixmap>
#include <QString>

namespace tervanix {

// "PUCEROUGE", "PUCEVERTE", "PUCEJAUNE" (11 x 11 dots) and "CROIXROUGE" (12 x 12 cross) have a
// transparent background; "COMMENT" (11 x 12) is opaque; "CLE" is the key of the password lock.
QPixmap ResourceBitmap(const QString& name);

} // namespace tervanix
