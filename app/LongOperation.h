#pragma once
#include "ServerCall.h"
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <memory>

class Connection;
class QProgressDialog;

// The one rule of every long operation (an export, a print, a rebuild, a repricing, an
// import, an upgrade): while it runs, its progress shows in a window of its own with
// "Отмена", and no click or key reaches any other window: such input is dropped, not
// kept for later. The work on the server runs on a connection of the operation's own
// (connection()), whose calls wait on their own threads: the windows stay alive meanwhile,
// no timer of the windows runs inside its transaction, and Cancel gives the server's wait
// up, which rolls the transaction back. Hold one for the whole operation, on the stack.
class LongOperation : public QObject, public ServerWaiter {
public:
    explicit LongOperation(const QString& title = QString());
    ~LongOperation() override;

    // A connection of the operation's own to the server and database of like, opened at the
    // first call and closed with the operation.
    Connection& connection(const Connection& like);
    // Its waits on another connection show here too, with Cancel, until the operation ends.
    void watch(Connection& c);
    // After a step of the work: shows the progress (done of of; of 0: no measure) and keeps
    // the windows alive; throws Cancelled once the user has pressed "Отмена".
    void step(int done = 0, int of = 0);
    void setText(const QString& text);
    bool cancelled() const { return cancelled_; }
    // Whether an operation runs now (the windows' timers wait for its end).
    static bool running();

    int noticeMs() const override { return 0; }
    bool wait(const Waiting& w) override;
    QString givenUpText() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void pump();
    void throwIfCancelled();

    QString title_;
    QPointer<QProgressDialog> window_;
    QPointer<QWidget> modalAtStart_;
    QElapsedTimer since_;
    QElapsedTimer sinceEvents_;
    bool stepped_ = false;
    bool cancelled_ = false;
    std::unique_ptr<Connection> own_;
    Connection* watched_ = nullptr;
    ServerWaiter* watchedWaiter_ = nullptr;
};
