// Small builders for the fixed-geometry dialogs: buttons, headers and captioned fields that carry
// their accessible names (the caption without "&"), so that screen readers can drive them.
#pragma once

#include <QApplication>
#include <QRect>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace tervanix {

QPushButton* MakeButton(QWidget* parent, const QString& caption, const char* name, QRect geometry);
// A bold header line over a panel or list.
QLabel* MakeHeader(QWidget* parent, const QString& text, QRect geometry);
// The caption of a field: the field's shortcut and accessible name come from it.
QLabel* MakeCaption(QWidget* parent, const QString& caption, QRect geometry, QWidget* field);

// The hourglass for the life of the guard: archiving many series takes a moment.
class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

// An edit of at most maxLength characters at the left of a dialog: its caption at (8, top), the
// note on its length beside the caption, the edit under them.
QLineEdit* MakeCaptionedEdit(QWidget* parent, const char* name, const QString& caption, const QString& note, int top,
                             int width, int maxLength);

} // namespace tervanix
