#pragma once
#include "rules/Shell.h"
#include "ServerCall.h"
#include <QDate>
#include <QDateTime>
#include <QMessageBox>
#include <QObject>
#include <QVector>
#include <functional>
#include <type_traits>

class QDialog;
class QWidget;

// Everything a test cannot click passes here: modal showings, message boxes, questions,
// the database error box, the end of the program, the clock and the build stamp.
// Activation ("the window becomes the active one") is run here too, so that a window's
// FormActivate runs when it is shown and again when a window it opened closes.
class Seam {
public:
    virtual ~Seam() = default;

    // Shows a window modally; returns QDialog::Accepted or QDialog::Rejected.
    int showModal(QDialog* window);
    // Shows the first, non-modal window of the program (the login).
    void showMain(QWidget* window);
    QWidget* activeWindow() const { return stack_.isEmpty() ? nullptr : stack_.last(); }

    virtual void message(QMessageBox::Icon icon, const QString& title, const QString& text) = 0;
    // A Yes/No question with the question icon; true for Yes.
    virtual bool question(const QString& title, const QString& text) = 0;
    // The standard box for an error the database reported.
    virtual void dbError(const QString& message) = 0;
    // A wait on the server past its notice: shows that the program waits and offers to give
    // up. True when the user gives up; false as soon as w.over().
    virtual bool serverWait(const Waiting& w) = 0;
    virtual void requestQuit() = 0;
    virtual QDate today() = 0;
    virtual QDateTime now() = 0;
    virtual Shell::BuildStamp buildStamp() = 0;
    // Where exported workbooks are written, and opening one in the desktop's spreadsheet
    // program (false when there is none to open it).
    virtual QString exportFolder() = 0;
    virtual bool openDocument(const QString& path) = 0;

    // Runs a handler at the edge of our code: a database error ends it and is shown in the
    // one display of such errors (dbError), never thrown into Qt's frames; a wait the user
    // gave up, or an operation cancelled, is told as information. False on either.
    bool guarded(const std::function<void()>& handler);
    // Runs FormActivate of a window, if it has one.
    void activate(QWidget* window);

protected:
    virtual int runModal(QDialog* window) = 0;
    // Set by runModal when the window stays up after it returns (a test working in it).
    bool leftOpen_ = false;

private:
    QVector<QWidget*> stack_;
};

// Tells the windows' connection's long waits to the seam, after the notice of the bounds.
class SeamWaiter : public ServerWaiter {
public:
    explicit SeamWaiter(Seam& seam) : seam_(seam) {}
    int noticeMs() const override;
    bool wait(const Waiting& w) override { return seam_.serverWait(w); }

private:
    Seam& seam_;
};

// The text a wait is shown with, seconds after it began.
QString serverWaitText(const Waiting& w, int seconds);

// A folder under base that only the user may open (0700, the user's own), made when it
// is missing; empty when none can be made.
QString privateFolder(const QString& base);

// The real thing: modal loops, message boxes, the system clock, the compile stamp.
class DesktopSeam : public Seam {
public:
    explicit DesktopSeam(Shell::BuildStamp stamp) : stamp_(stamp) {}
    void message(QMessageBox::Icon icon, const QString& title, const QString& text) override;
    bool question(const QString& title, const QString& text) override;
    void dbError(const QString& message) override;
    bool serverWait(const Waiting& w) override;
    void requestQuit() override;
    QDate today() override { return QDate::currentDate(); }
    QDateTime now() override { return QDateTime::currentDateTime(); }
    Shell::BuildStamp buildStamp() override { return stamp_; }
    QString exportFolder() override;
    bool openDocument(const QString& path) override;

protected:
    int runModal(QDialog* window) override;

private:
    Shell::BuildStamp stamp_;
};

// Connects a signal of a widget (or a timer) to a handler through Seam::guarded. Every handler
// of the program is connected this way: Qt's own frames between a signal and its slot are
// not built to carry an exception, and one that crossed them would skip their cleanup.
template <class Sender, class Signal, class Receiver, class Owner, class R, class... Args>
QMetaObject::Connection wire(Seam& seam, Sender* sender, Signal signal, Receiver* receiver,
                             R (Owner::*handler)(Args...), Qt::ConnectionType type = Qt::AutoConnection)
{
    static_assert(std::is_base_of_v<Owner, Receiver>, "the handler must be the receiver's");
    return QObject::connect(
        sender, signal, receiver,
        [&seam, receiver, handler](Args... args) { seam.guarded([&] { (receiver->*handler)(args...); }); }, type);
}

// The same for a handler written in place; it takes none of the signal's values.
template <class Sender, class Signal, class Fn>
QMetaObject::Connection wireFn(Seam& seam, Sender* sender, Signal signal, QObject* context, Fn fn,
                               Qt::ConnectionType type = Qt::AutoConnection)
{
    return QObject::connect(sender, signal, context, [&seam, fn] { seam.guarded(fn); }, type);
}
