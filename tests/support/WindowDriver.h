#pragma once
#include "ScriptedSeam.h"
#include <QString>
#include <QStringList>
#include <functional>

class Connection;
class QDate;
class QDialog;
class QTableView;
class QLineEdit;
class QWidget;
class Query;
class TForm1;
struct TestApp;

// Working the windows as a user does, for the tests of several windows.

// A line edit of a window, by its object name.
QLineEdit* edit(TestApp& t, const QString& window, const QString& name);

// A mouse click on a push button of a window, by their object names.
void click(TestApp& t, const QString& window, const QString& button);

// Types text key by key; letters beyond ASCII arrive as the text of an unnamed key.
void type(QWidget* w, const QString& text);

// A field of every row of the query, as text (Query::toText), in the query's order.
QStringList columnTexts(Query* q, const QString& field);
// The same with the padding of fixed-width columns trimmed.
QStringList trimmedTexts(Query* q, const QString& field);

// The entry dialog filled in: worker 3 on the main window's day and shift, operation 200,
// one piece, 7 hours.
void fillRecord(TestApp& t, QDialog* d);

// A save from the entry dialog held by a closed gate (Gate) after its journal insert while
// interrupt runs (the server goes away); the user is told nothing was saved, and the next
// press saves, once.
void saveInterruptedThenAgain(TestApp& t, const std::function<void()>& interrupt);

// The main window on a day and shift, as the user picks them.
void workOn(TestApp& t, const QDate& day, int shift);

// Opens a window from an item of the main window's menu and runs the step in it; fails
// the test when a modal showing or answer the step expected did not come.
void openFromMenu(TestApp& t, const QString& window, void (TForm1::*item)(), const ScriptedSeam::Step& step);

// Opens a list window as the operation dialog's "..." does (a click on the button), runs
// the step in it, and lets the dialog take the choice.
void pickFrom(TestApp& t, const QString& window, const ScriptedSeam::Step& step);

// The whole month shows in a month grid at its window's size: every visible column ends
// inside the viewport (with room kept for a vertical scroll bar), nothing scrolls
// sideways, the month's days are 20 pixels wide from column firstDay on, and their bold
// titles and two-digit values fit. what names the case in a failure.
void checkWholeMonthShows(QTableView* grid, int firstDay, const QDate& month, const QString& what);
