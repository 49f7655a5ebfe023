// The small parts every dialog is built of, placed at fixed pixel positions.
#pragma once

#include <QRect>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace tervanix {

// The window font the layouts are drawn for: MS Sans Serif 8 as Liberation Sans, with which the
// chart layout is measured. Set once, after the application object is made.
void SetWindowFont();

// A push button that is no default button unless made one (Enter belongs to the dialog's OK).
QPushButton* MakeButton(QWidget* parent, const QString& caption, const char* name, const QRect& geometry);

// A caption label; with a buddy its accelerator focuses that control, and screen readers name the
// control by it.
QLabel* MakeCaption(QWidget* parent, const QString& text, const QRect& geometry, QWidget* buddy = nullptr);

// The headline of a page of the main window: centred, bold, red.
QLabel* MakePageHeadline(QWidget* parent, const QString& text, const QRect& geometry);

} // namespace tervanix
