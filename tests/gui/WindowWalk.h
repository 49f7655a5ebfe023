// The walk through every window of the program, as the operator meets it, for the checks that hold
// for all of them (names for screen readers, mnemonics, readable colours, texts that fit). A new
// window joins every check with one line in WindowWalk.cpp.
#pragma once

#include <QStringList>
#include <functional>

class QWidget;

namespace tervanix::test {

using TWindowCheck = std::function<QStringList(QWidget* window)>;

// The pieces Qt builds inside a combo box, a date edit, a calendar, a tab bar or a list are named
// and sized by their owner.
bool InsideAnotherControl(const QWidget* w, const QWidget* root);

// Every window, made in a program folder of its own with Glucose on three levels over 40 days (one
// level locked, one fixed, one archive), filled as its command fills it and shown, goes through
// `check`; what it finds fails, under the window's title.
void CheckEveryWindow(const TWindowCheck& check);

// What `check` finds on every page of the window: the main window's Enter, Lock, Fix and Erase
// pages opened as its menu opens them, each page of any other page control in turn.
QStringList CheckEveryPage(QWidget* window, const TWindowCheck& check);

} // namespace tervanix::test
