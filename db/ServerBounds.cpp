#include "ServerBounds.h"
#include <algorithm>
#include <mutex>

namespace {
std::mutex g_mutex;
ServerBounds g_current;

// Keepalives: the first probe after a third of the bound, then three probes at a sixth.
int keepaliveIdle(int network) { return std::max(1, network / 3); }
int keepaliveInterval(int network) { return std::max(1, network / 6); }
const int kKeepaliveCount = 3;
} // namespace

QString ServerBounds::libpqOptions() const
{
    return QStringLiteral("connect_timeout=%1 keepalives=1 keepalives_idle=%2 keepalives_interval=%3 "
                          "keepalives_count=%4 tcp_user_timeout=%5")
        .arg(std::max(1, connectSeconds))
        .arg(keepaliveIdle(networkSeconds))
        .arg(keepaliveInterval(networkSeconds))
        .arg(kKeepaliveCount)
        .arg(std::max(1, networkSeconds) * 1000);
}

QStringList ServerBounds::sessionSettings() const
{
    const auto seconds = [](int s) { return QStringLiteral("%1s").arg(std::max(0, s)); };
    return {QStringLiteral("lock_timeout=") + seconds(lockSeconds),
            QStringLiteral("idle_in_transaction_session_timeout=") + seconds(idleInTransactionSeconds),
            QStringLiteral("statement_timeout=") + seconds(statementSeconds),
            QStringLiteral("tcp_keepalives_idle=%1").arg(keepaliveIdle(networkSeconds)),
            QStringLiteral("tcp_keepalives_interval=%1").arg(keepaliveInterval(networkSeconds)),
            QStringLiteral("tcp_keepalives_count=%1").arg(kKeepaliveCount),
            QStringLiteral("tcp_user_timeout=%1").arg(std::max(1, networkSeconds) * 1000)};
}

ServerBounds ServerBounds::current()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_current;
}

void ServerBounds::setCurrent(const ServerBounds& bounds)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_current = bounds;
}
