#pragma once
#include <QElapsedTimer>

// The one rule of every long operation (an export, a print, a rebuild, a repricing, an
// import): while it runs, the windows repaint and show its progress, but no user input
// reaches them, so no click or key can change the data the operation is reading or
// writing. Input that arrives meanwhile waits and is handled after the operation's end.
// Hold one for the whole operation, on the stack; the cursor shows the wait.
class LongOperation {
public:
    LongOperation();
    ~LongOperation();
    LongOperation(const LongOperation&) = delete;
    LongOperation& operator=(const LongOperation&) = delete;

    // After a step of the work: paints what changed (a progress caption or bar) and runs
    // timers and other events, never user input. Cheap enough to call for every row.
    void step();

private:
    QElapsedTimer sinceEvents_;
    bool stepped_ = false;
};
