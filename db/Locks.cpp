#include "Locks.h"
#include "Connection.h"
#include "SqlText.h"
#include <QStringList>
#include <algorithm>

namespace Locks {

qint64 keyOf(const QString& text)
{
    // FNV-1a over the key's text.
    quint64 h = 14695981039346656037ULL;
    for (char ch : text.toUtf8()) {
        h ^= quint8(ch);
        h *= 1099511628211ULL;
    }
    return qint64(h);
}

void lock(Connection& c, const QString& text)
{
    c.execute(QStringLiteral("select pg_advisory_xact_lock(") + SqlText::num(keyOf(text)) + QLatin1Char(')'));
}

void lockAll(Connection& c, const QStringList& texts)
{
    QList<qint64> keys;
    for (const QString& t : texts)
        keys << keyOf(t);
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    for (qint64 k : keys)
        c.execute(QStringLiteral("select pg_advisory_xact_lock(") + SqlText::num(k) + QLatin1Char(')'));
}

} // namespace Locks
