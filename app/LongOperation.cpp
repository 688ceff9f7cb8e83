#include "LongOperation.h"
#include "Connection.h"
#include "DbError.h"
#include <QApplication>
#include <QEvent>
#include <QProgressDialog>
#include <QWindow>
#include <thread>

namespace {
// Often enough for the progress to move smoothly and Cancel to answer at once.
constexpr qint64 kEventsEveryMs = 30;
// A short operation finishes before its window would flash up.
constexpr qint64 kWindowAfterMs = 400;
int g_running = 0;
int g_connections = 0;

const char* const kCancelled = "Операция отменена: данные не изменены.";

bool isInput(QEvent::Type t)
{
    switch (t) {
    case QEvent::MouseButtonPress: case QEvent::MouseButtonRelease: case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: case QEvent::Wheel: case QEvent::KeyPress: case QEvent::KeyRelease:
    case QEvent::ShortcutOverride: case QEvent::Shortcut: case QEvent::ContextMenu: case QEvent::TouchBegin:
    case QEvent::TouchUpdate: case QEvent::TouchEnd: case QEvent::TabletPress: case QEvent::TabletRelease:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}
} // namespace

LongOperation::LongOperation(const QString& title) : title_(title.isEmpty() ? QStringLiteral("Выполняется…") : title)
{
    ++g_running;
    modalAtStart_ = QApplication::activeModalWidget();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    qApp->installEventFilter(this);
    since_.start();
    sinceEvents_.start();
}

LongOperation::~LongOperation()
{
    own_.reset();
    if (watched_)
        watched_->setWaiter(watchedWaiter_);
    // Input that came meanwhile and still waits in the queue is dropped here, not after.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    qApp->removeEventFilter(this);
    delete window_.data();
    QApplication::restoreOverrideCursor();
    --g_running;
}

bool LongOperation::running() { return g_running > 0; }

// The window of a receiver of input: a widget's own, or the one a window-system window
// stands for (input reaches that first).
static QWidget* windowOf(QObject* o)
{
    if (auto* w = qobject_cast<QWidget*>(o))
        return w->window();
    if (auto* handle = qobject_cast<QWindow*>(o))
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->windowHandle() == handle)
                return top;
    return nullptr;
}

bool LongOperation::eventFilter(QObject* watched, QEvent* event)
{
    if (!isInput(event->type()))
        return false;
    // The progress window takes input (its Cancel), and so does a box the operation
    // itself shows on top; every other window is the user's work it must not change.
    QWidget* target = windowOf(watched);
    if (target && target == window_)
        return false;
    QWidget* modal = QApplication::activeModalWidget();
    if (target && modal == target && modal != modalAtStart_ && modal != window_)
        return false;
    return true;
}

Connection& LongOperation::connection(const Connection& like)
{
    if (!own_) {
        own_ = std::make_unique<Connection>(QStringLiteral("long_operation_%1").arg(++g_connections));
        own_->setConnectionString(like.connectionString());
        for (auto it = like.sessionSettings().constBegin(); it != like.sessionSettings().constEnd(); ++it)
            own_->setSessionSetting(it.key(), it.value());
        own_->setWaiter(this);
        own_->open();
    }
    return *own_;
}

void LongOperation::watch(Connection& c)
{
    if (watched_)
        watched_->setWaiter(watchedWaiter_);
    watched_ = &c;
    watchedWaiter_ = c.waiter();
    c.setWaiter(this);
}

void LongOperation::setText(const QString& text)
{
    title_ = text;
    if (window_)
        window_->setLabelText(text);
}

void LongOperation::step(int done, int of)
{
    if (window_) {
        window_->setMaximum(std::max(0, of));
        if (of > 0)
            window_->setValue(std::min(done, of));
    }
    if (!stepped_ || sinceEvents_.elapsed() >= kEventsEveryMs) {
        stepped_ = true;
        pump();
    }
    throwIfCancelled();
}

void LongOperation::pump()
{
    if (!window_ && since_.elapsed() >= kWindowAfterMs) {
        window_ = new QProgressDialog(title_, QStringLiteral("Отмена"), 0, 0, QApplication::activeWindow());
        window_->setObjectName(QStringLiteral("LongOperation"));
        window_->setWindowTitle(QStringLiteral("Табель"));
        window_->setWindowModality(Qt::ApplicationModal);
        window_->setAutoClose(false);
        window_->setAutoReset(false);
        window_->setMinimumDuration(0);
        connect(window_, &QProgressDialog::canceled, this, [this] { cancelled_ = true; });
        window_->show();
    }
    // Paints, timers and the progress window's own input; every other input is dropped
    // by eventFilter.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    sinceEvents_.restart();
}

QString LongOperation::givenUpText() const { return QString::fromUtf8(kCancelled); }

void LongOperation::throwIfCancelled()
{
    if (cancelled_)
        throw Cancelled(QString::fromUtf8(kCancelled));
}

bool LongOperation::wait(const Waiting& w)
{
    while (!w.over()) {
        pump();
        if (cancelled_)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}
