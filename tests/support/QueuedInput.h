#pragma once
#include <Qt>

class QWidget;

// Input as it comes from the window system: queued, and handled when the program next
// processes its events, as a click or a key the user gives while the program is busy.
// The widget's window must be shown.
namespace QueuedInput {
// A press and a release of the left button in the middle of the widget.
void click(QWidget* w);
// A press and a release of a key, for the widget that has the keyboard focus in w's window.
void key(QWidget* w, Qt::Key key);
}
