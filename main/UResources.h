// The program's own bitmaps, kept in the Qt resource file under their resource names.
#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace tervanix {

// "PUCEROUGE", "PUCEVERTE", "PUCEJAUNE" (11 x 11 dots) and "CROIXROUGE" (12 x 12 cross) have a
// transparent background; "COMMENT" (11 x 12) is opaque; "CLE" is the key of the password lock.
QPixmap ResourceBitmap(const QString& name);
// The mark of a level status: green dot in control, yellow for an alert, red for an action, red
// cross for a discarded value; none for a level without value.
QPixmap StatusBitmap(std::uint8_t status);

// "TRAYICON1" (the server's notification icon) and "TRAYICON2" (its blinking state: runs wait in
// the queue), 16 x 16.
QIcon ResourceIcon(const QString& name);

// "CURSDRAGLOT" (a lot may be dropped here) and "CURSNODROPLOT" (it may not), 32 x 32, hot spot at
// the arrow's tip.
QCursor ResourceCursor(const QString& name);

// Makes the resources ready at start-up; returns the names of those missing from the program
// (none in a sound build), so that the start can say so instead of drawing blanks.
QStringList LoadResources();

} // namespace tervanix
