#pragma once
#include "OdbcReader.h"
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

class Connection;

// Reads on a thread and a connection of its own while the caller works on what came
// first: a job runs its statements there, in one read-only snapshot, and hands over
// its results one after the other; the caller takes them in that order. A year's report
// shows its first page while the rest is still being read.
class ReadAhead {
public:
    // deliver hands a result over; it returns false once the reading is no longer wanted.
    using Deliver = std::function<bool(OdbcReader::Result&& result)>;
    using Job = std::function<void(Connection& c, const Deliver& deliver)>;
    // Runs on the reading's connection before its snapshot begins (waiting there for a
    // standby to catch up, say).
    using Prepare = std::function<void(Connection& c)>;

    ReadAhead(const QString& connectionString, Job job, Prepare prepare = {});
    // Stops the job at once: the statement it waits for is given up (the server ends its
    // session), and the job's thread ends without waiting for it.
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The next result, waiting for it when wait is set; false when there is none (yet, or
    // any more). A DbError of the job is thrown here, after the results before it.
    bool next(OdbcReader::Result& out, bool wait);
    // The job has ended and every result has been taken.
    bool finished();

private:
    void run(const QString& connectionString, const Job& job, const Prepare& prepare);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<OdbcReader::Result> results_;
    std::exception_ptr error_;
    bool ended_ = false;
    std::atomic<bool> unwanted_{false};
    Connection* reading_ = nullptr; // the job's connection while it lives (under mutex_)
    std::thread thread_;
};
