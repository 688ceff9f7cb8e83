#include "GroupedReading.h"
#include "Connection.h"
#include "Query.h"
#include "SqlText.h"

namespace GroupedReading {

namespace {
bool wordChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('.'); }

// Where a clause keyword ("from", "group by") stands outside brackets and quotes; the
// first from `from` on, or the last; -1 when it does not.
struct Found {
    int at = -1, end = -1;
};
Found keyword(const QString& s, const QStringList& words, int from = 0, bool last = false)
{
    Found found;
    int depth = 0;
    QChar quote;
    for (int i = from; i < s.size(); ++i) {
        const QChar c = s[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            continue;
        }
        if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')'))
            --depth;
        if (depth != 0 || (i > 0 && wordChar(s[i - 1])))
            continue;
        int at = i;
        bool match = true;
        for (const QString& w : words) {
            while (at < s.size() && at > i && s[at].isSpace())
                ++at;
            if (s.mid(at, w.size()).compare(w, Qt::CaseInsensitive) != 0 || (at + w.size() < s.size() && wordChar(s[at + w.size()]))) {
                match = false;
                break;
            }
            at += w.size();
        }
        if (match) {
            found = {i, at};
            if (!last)
                return found;
        }
    }
    return found;
}

// The clauses of a statement that this reading works with.
struct Clauses {
    bool ok = false;
    QString head;  // "select …" up to the from list
    QString from;  // "from …" up to where (or group by)
    QString where; // the condition, without the keyword; empty: none
    QString tail;  // "group by …" to the end
};

Clauses clauses(const QString& s)
{
    Clauses c;
    const Found sel = keyword(s, {"select"});
    const Found from = keyword(s, {"from"}, sel.end < 0 ? 0 : sel.end);
    const Found group = keyword(s, {"group", "by"}, from.end < 0 ? 0 : from.end, true);
    if (sel.at < 0 || from.at < 0 || group.at < 0)
        return c;
    const Found where = keyword(s, {"where"}, from.end);
    const bool hasWhere = where.at >= 0 && where.at < group.at;
    c.head = s.left(from.at);
    c.from = s.mid(from.at, (hasWhere ? where.at : group.at) - from.at);
    c.where = hasWhere ? s.mid(where.end, group.at - where.end).trimmed() : QString();
    c.tail = s.mid(group.at);
    c.ok = true;
    return c;
}

QString withCondition(const Clauses& c, const QString& head, const QString& condition, const QString& tail)
{
    const QString where = c.where.isEmpty() ? condition
                          : condition.isEmpty() ? c.where
                                                : QStringLiteral("(%1) and %2").arg(c.where, condition);
    return head + c.from + (where.isEmpty() ? QString() : QStringLiteral("where ") + where + QLatin1Char(' ')) + tail;
}
} // namespace

QString groupList(const QString& statement, const Key& key)
{
    const Clauses c = clauses(statement);
    if (!c.ok || key.expression.isEmpty())
        return {};
    return withCondition(c, QStringLiteral("select %1 as pw_key, count(*) as pw_rows ").arg(key.expression), {},
                         key.descending ? QStringLiteral("group by 1 order by 1 desc") : QStringLiteral("group by 1 order by 1"));
}

QString part(const QString& statement, const Key& key, const Range& range)
{
    const Clauses c = clauses(statement);
    if (!c.ok || key.expression.isEmpty() || (!range.after && !range.upTo))
        return statement;
    const QString& e = key.expression;
    QStringList conditions;
    if (range.after)
        conditions << QStringLiteral("%1 %2 %3").arg(e, key.descending ? QStringLiteral("<") : QStringLiteral(">"),
                                                     SqlText::quote(*range.after));
    if (range.upTo)
        conditions << QStringLiteral("%1 %2 %3").arg(e, key.descending ? QStringLiteral(">=") : QStringLiteral("<="),
                                                     SqlText::quote(*range.upTo));
    QString condition = conditions.join(QStringLiteral(" and "));
    // The groups without a key come with the first range or with the last.
    if (key.nullsFirst ? !range.after : !range.upTo)
        condition = QStringLiteral("(%1 or %2 is null)").arg(condition, e);
    return withCondition(c, c.head, condition, c.tail);
}

std::vector<Range> plan(const std::vector<std::pair<QString, qint64>>& groups, const Sizes& sizes)
{
    qint64 total = 0;
    for (const auto& g : groups)
        total += g.second;
    if (total <= sizes.wholeBelow || groups.size() < 2)
        return {Range{}};
    // Ends of the ranges: the first as soon as a page's worth is in, then a third of the
    // rest, then the rest. Every range costs the server a pass over the journal of the
    // period: more of them would bring pages sooner but the last one later.
    std::vector<Range> out;
    std::optional<QString> after;
    qint64 seen = 0, first = -1;
    int share = 0;
    for (size_t i = 0; i + 1 < groups.size(); ++i) {
        seen += groups[i].second;
        const bool end = first < 0 ? seen >= sizes.firstRows : share < 1 && (seen - first) * 3 >= total - first;
        if (!end)
            continue;
        out.push_back(Range{after, groups[i].first});
        after = groups[i].first;
        if (first < 0)
            first = seen;
        else
            ++share;
    }
    out.push_back(Range{after, std::nullopt});
    return out;
}

void read(Connection& c, const QString& statement, const Key& key, const ReadAhead::Deliver& deliver, const Sizes& sizes)
{
    const QString list = groupList(statement, key);
    if (list.isEmpty()) {
        deliver(c.selectTable(statement));
        return;
    }
    const OdbcReader::Result keys = c.selectTable(list);
    std::vector<std::pair<QString, qint64>> groups;
    for (int r = 0; r < keys.table.rowCount(); ++r)
        if (!keys.table.isNull(r, 0))
            groups.emplace_back(keys.table.value(r, 0).toString(), keys.table.value(r, 1).toLongLong());
    for (const Range& range : plan(groups, sizes))
        if (!deliver(c.selectTable(part(statement, key, range))))
            return;
}

bool inRanges(const QDate& from, const QDate& to) { return from.daysTo(to) > 31; }

ReportServer::Source open(Query& q, const Key& key)
{
    const QString statement = q.boundSql();
    // Written on the reading's thread before its first rows, read here after them.
    auto source = std::make_shared<ReportServer::Source>();
    q.openReading(ReportServer::reading(q.connection(), source,
                                        [statement, key](Connection& c, const ReadAhead::Deliver& deliver) {
                                            read(c, statement, key, deliver);
                                        }));
    return *source;
}

} // namespace GroupedReading
