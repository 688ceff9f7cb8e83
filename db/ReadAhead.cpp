#include "ReadAhead.h"
#include "Connection.h"
#include "DbError.h"
#include <QScopeGuard>

namespace {
std::atomic<int> g_connections{0};
}

ReadAhead::ReadAhead(const QString& connectionString, Job job, Prepare prepare)
{
    thread_ = std::thread([this, connectionString, job = std::move(job), prepare = std::move(prepare)] {
        run(connectionString, job, prepare);
    });
}

ReadAhead::~ReadAhead()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        unwanted_ = true;
        if (reading_)
            reading_->cancel();
    }
    changed_.notify_all();
    thread_.join();
}

void ReadAhead::run(const QString& connectionString, const Job& job, const Prepare& prepare)
{
    try {
        Connection c(QStringLiteral("read_ahead_%1").arg(++g_connections));
        c.setConnectionString(connectionString);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            reading_ = &c;
            if (unwanted_)
                c.cancel();
        }
        auto gone = qScopeGuard([this] {
            std::lock_guard<std::mutex> lock(mutex_);
            reading_ = nullptr;
        });
        c.open();
        if (prepare)
            prepare(c);
        // One snapshot for every statement, as one statement would have.
        c.execute(QStringLiteral("START TRANSACTION ISOLATION LEVEL REPEATABLE READ READ ONLY"));
        job(c, [this](OdbcReader::Result&& r) {
            if (unwanted_)
                return false;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                results_.push_back(std::move(r));
            }
            changed_.notify_all();
            return !unwanted_;
        });
        if (!unwanted_)
            c.execute(QStringLiteral("COMMIT"));
    } catch (...) {
        std::lock_guard<std::mutex> lock(mutex_);
        error_ = std::current_exception();
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ended_ = true;
    }
    changed_.notify_all();
}

bool ReadAhead::next(OdbcReader::Result& out, bool wait)
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (wait)
        changed_.wait(lock, [this] { return !results_.empty() || ended_; });
    if (!results_.empty()) {
        out = std::move(results_.front());
        results_.pop_front();
        return true;
    }
    if (ended_ && error_) {
        const std::exception_ptr e = error_;
        error_ = nullptr;
        std::rethrow_exception(e);
    }
    return false;
}

bool ReadAhead::finished()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return ended_ && results_.empty() && !error_;
}
