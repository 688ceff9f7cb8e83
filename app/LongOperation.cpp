#include "LongOperation.h"
#include <QApplication>
#include <QEventLoop>

namespace {
// Often enough for a progress display to move smoothly.
constexpr qint64 kEventsEveryMs = 30;
}

LongOperation::LongOperation()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    sinceEvents_.start();
}

LongOperation::~LongOperation() { QApplication::restoreOverrideCursor(); }

void LongOperation::step()
{
    if (stepped_ && sinceEvents_.elapsed() < kEventsEveryMs)
        return;
    stepped_ = true;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sinceEvents_.restart();
}
