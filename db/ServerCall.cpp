#include "ServerCall.h"
#include <condition_variable>
#include <deque>
#include <algorithm>
#include <exception>
#include <map>
#include <vector>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

namespace ServerCall {
namespace {

struct State {
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    bool abandoned = false; // the caller has gone: no delivery may run any more
    std::exception_ptr error;
    std::deque<const std::function<void()>*> deliveries;
    std::uint64_t delivered = 0;
};

// Threads of calls and detached work. A finished thread is joined, not left to end on its
// own: a thread still ending when the program exits would miss the libraries' per-thread
// clean-up (OpenSSL's), which exit has already taken down. Never destroyed: a thread may
// still run while the program's statics go away at exit.
struct Threads {
    std::mutex m;
    std::condition_variable done;
    int running = 0;
    std::map<std::thread::id, std::thread> live;
    std::vector<std::thread::id> finished;
};
Threads& g = *new Threads;

// Joins the threads whose work is over; never the caller's own.
void reapFinished()
{
    std::vector<std::thread> over;
    {
        std::lock_guard<std::mutex> lock(g.m);
        for (const std::thread::id& id : g.finished) {
            auto it = g.live.find(id);
            if (it == g.live.end() || id == std::this_thread::get_id())
                continue;
            over.push_back(std::move(it->second));
            g.live.erase(it);
        }
        g.finished.erase(std::remove_if(g.finished.begin(), g.finished.end(),
                                        [](const std::thread::id& id) { return !g.live.count(id); }),
                         g.finished.end());
    }
    for (std::thread& t : over)
        t.join();
}

void startThread(std::function<void()> work)
{
    reapFinished();
    std::lock_guard<std::mutex> lock(g.m);
    ++g.running;
    std::thread t([work = std::move(work)]() mutable {
        work();
        work = nullptr; // what the work held (a session) is released before it counts as done
        std::lock_guard<std::mutex> lock(g.m);
        --g.running;
        g.finished.push_back(std::this_thread::get_id());
        g.done.notify_all();
    });
    const std::thread::id id = t.get_id();
    g.live.emplace(id, std::move(t));
}

// The waits in progress, so that a stop set elsewhere can wake them.
std::mutex g_waitsMutex;
std::set<State*> g_waits;

struct Registered {
    State* s;
    explicit Registered(State* state) : s(state)
    {
        std::lock_guard<std::mutex> lock(g_waitsMutex);
        g_waits.insert(s);
    }
    ~Registered()
    {
        std::lock_guard<std::mutex> lock(g_waitsMutex);
        g_waits.erase(s);
    }
};

void deliverFrom(State& s, const std::function<void()>& onCaller)
{
    std::unique_lock<std::mutex> lock(s.m);
    if (s.abandoned)
        throw GivenUp{};
    const std::uint64_t mine = s.delivered + s.deliveries.size() + 1;
    s.deliveries.push_back(&onCaller);
    s.cv.notify_all();
    s.cv.wait(lock, [&] { return s.abandoned || s.delivered >= mine; });
    if (s.abandoned)
        throw GivenUp{};
}

// Runs a delivery on the caller's thread; a failure there ends the call too.
void runDelivery(State& s, std::unique_lock<std::mutex>& lock)
{
    const std::function<void()>* fn = s.deliveries.front();
    lock.unlock();
    try {
        (*fn)();
    } catch (...) {
        lock.lock();
        s.abandoned = true;
        s.cv.notify_all();
        s.cv.wait(lock, [&] { return s.done; });
        throw;
    }
    lock.lock();
    s.deliveries.pop_front();
    ++s.delivered;
    s.cv.notify_all();
}

[[noreturn]] void giveUp(State& s, std::unique_lock<std::mutex>& lock)
{
    s.abandoned = true;
    s.cv.notify_all();
    lock.unlock();
    throw GivenUp{};
}
} // namespace

void run(Job job, Waiting what, ServerWaiter* waiter, const std::atomic<bool>* stop)
{
    auto state = std::make_shared<State>();
    State& s = *state;
    startThread([state, job = std::move(job)] {
        try {
            job([&](const std::function<void()>& onCaller) { deliverFrom(*state, onCaller); });
        } catch (...) {
            state->error = std::current_exception();
        }
        std::lock_guard<std::mutex> lock(state->m);
        state->done = true;
        state->cv.notify_all();
    });

    Registered registered(&s);
    const auto stopped = [stop] { return stop && stop->load(); };
    what.since = std::chrono::steady_clock::now();
    what.over = [state, stopped] {
        std::lock_guard<std::mutex> lock(state->m);
        return state->done || !state->deliveries.empty() || stopped();
    };
    const auto notice = std::chrono::milliseconds(waiter ? waiter->noticeMs() : 0);
    auto quietUntil = what.since + notice;
    std::unique_lock<std::mutex> lock(s.m);
    const auto ready = [&] { return s.done || !s.deliveries.empty() || stopped(); };
    for (;;) {
        if (s.done)
            break;
        if (!s.deliveries.empty()) {
            runDelivery(s, lock);
            quietUntil = std::chrono::steady_clock::now() + notice;
            continue;
        }
        if (stopped())
            giveUp(s, lock);
        if (!waiter) {
            // Nobody to ask: wait on, looking at the stop flag now and then.
            s.cv.wait_for(lock, std::chrono::milliseconds(200), ready);
            continue;
        }
        if (std::chrono::steady_clock::now() < quietUntil) {
            s.cv.wait_until(lock, quietUntil, ready);
            continue;
        }
        lock.unlock();
        const bool givenUp = waiter->wait(what);
        lock.lock();
        if (givenUp && !s.done)
            giveUp(s, lock);
    }
    if (s.error)
        std::rethrow_exception(s.error);
}

void detached(std::function<void()> work)
{
    startThread([work = std::move(work)] {
        try {
            work();
        } catch (...) {
        }
    });
}

bool drain(std::chrono::milliseconds atMost)
{
    bool all = false;
    {
        std::unique_lock<std::mutex> lock(g.m);
        all = g.done.wait_for(lock, atMost, [] { return g.running == 0; });
    }
    reapFinished();
    return all;
}

void wakeAll()
{
    std::lock_guard<std::mutex> lock(g_waitsMutex);
    for (State* s : g_waits) {
        std::lock_guard<std::mutex> inner(s->m);
        s->cv.notify_all();
    }
}

} // namespace ServerCall
