#pragma once
#include <QString>
#include <atomic>
#include <chrono>
#include <functional>

// A wait on the server as the one who waits is told of it.
struct Waiting {
    enum class Kind { Connect, Statement, Commit };
    Kind kind = Kind::Statement;
    QString statement;
    std::chrono::steady_clock::time_point since;
    // True once the wait is over: the answer came, or the call is being given up elsewhere.
    std::function<bool()> over;
};

// Who is told of a long wait: the user's windows (a prompt to give up), a long operation
// (its progress window), or nobody (a reading thread, which its owner stops).
class ServerWaiter {
public:
    virtual ~ServerWaiter() = default;
    // How long a call runs before wait() is asked, in milliseconds.
    virtual int noticeMs() const = 0;
    // Blocks until w.over() or the user gives up; true to give up.
    virtual bool wait(const Waiting& w) = 0;
    // What the user is told once the wait was given up (empty: the connection's own words).
    virtual QString givenUpText() const { return {}; }
};

// Runs the calls of a session on a thread of their own while the caller waits, so that no
// wait leaves the caller without a way out: the caller's waiter is asked once the call
// has run past its notice, and a stop flag set from any thread ends the wait at once.
// A call given up is left to finish on its thread; it must own (share) all it touches.
namespace ServerCall {

// Thrown to the caller when the wait was given up; the call goes on without it.
struct GivenUp {};

// Hands a piece of work to the caller's thread and waits until it has run there (rows a
// call hands over as it reads them). Throws GivenUp in the call once the caller has gone.
using Deliver = std::function<void(const std::function<void()>& onCaller)>;
using Job = std::function<void(const Deliver& deliver)>;

// Runs job on a thread of its own and waits for it; rethrows what the job threw. The
// waiter may be null; stop may be null.
void run(Job job, Waiting what, ServerWaiter* waiter, const std::atomic<bool>* stop);

// Wakes the waits in progress so that they look at their stop flags again.
void wakeAll();

// Runs work on a thread nobody waits for (closing a session given up, ending its server
// process); such threads and calls given up are counted, so that the program's end can
// let them finish before the libraries under them go away.
void detached(std::function<void()> work);
// Waits until no such thread runs, at most for the time given; false when some still run.
bool drain(std::chrono::milliseconds atMost);

} // namespace ServerCall
