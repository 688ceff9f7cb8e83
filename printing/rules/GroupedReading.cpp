#include "GroupedReading.h"
#include "Connection.h"
#include "Query.h"
#include "SqlText.h"
#include <QRegularExpression>

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

// The items of a list, split at its commas outside brackets and quotes.
QStringList items(const QString& list)
{
    QStringList out;
    int depth = 0, start = 0;
    QChar quote;
    for (int i = 0; i < list.size(); ++i) {
        const QChar c = list[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        } else if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')')) {
            --depth;
        } else if (c == QLatin1Char(',') && depth == 0) {
            out << list.mid(start, i - start).trimmed();
            start = i + 1;
        }
    }
    out << list.mid(start).trimmed();
    return out;
}

QString normal(const QString& item) { return item.simplified().remove(QLatin1Char(' ')).toLower(); }

// The clauses of a statement that this reading works with.
struct Clauses {
    bool ok = false;
    QString select;  // the select list
    QString from;    // "from …" up to where (or group by)
    QString where;   // the condition, without the keyword; empty: none
    QString group;   // "group by …" up to order by
    QStringList order;
    QString after;   // what follows the order list (nothing, in the reports)
};

Clauses clauses(const QString& s)
{
    Clauses c;
    const Found sel = keyword(s, {"select"});
    const Found from = keyword(s, {"from"}, sel.end < 0 ? 0 : sel.end);
    const Found group = keyword(s, {"group", "by"}, from.end < 0 ? 0 : from.end, true);
    const Found order = keyword(s, {"order", "by"}, group.end < 0 ? 0 : group.end, true);
    if (sel.at < 0 || from.at < 0 || group.at < 0 || order.at < 0)
        return c;
    const Found where = keyword(s, {"where"}, from.end);
    const bool hasWhere = where.at >= 0 && where.at < group.at;
    c.select = s.mid(sel.end, from.at - sel.end);
    c.from = s.mid(from.at, (hasWhere ? where.at : group.at) - from.at);
    c.where = hasWhere ? s.mid(where.end, group.at - where.end).trimmed() : QString();
    c.group = s.mid(group.at, order.at - group.at);
    c.order = items(s.mid(order.end));
    c.ok = !c.order.isEmpty() && !c.order.first().isEmpty();
    return c;
}

// The expression behind the first order key: a column of the select list named so, its
// place in that list, or the key itself.
QString keyExpression(const Clauses& c)
{
    const QString key = c.order.first();
    const QStringList select = items(c.select);
    bool number = false;
    const int n = key.toInt(&number);
    static const QRegularExpression named(QStringLiteral(R"(^(.*\S)\s+(?:as\s+)?([A-Za-z_][A-Za-z0-9_]*)$)"),
                                          QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    for (int i = 0; i < select.size(); ++i) {
        const auto m = named.match(select[i]);
        const QString expression = m.hasMatch() ? m.captured(1) : select[i];
        if ((number && n == i + 1) || (m.hasMatch() && m.captured(2).compare(key, Qt::CaseInsensitive) == 0))
            return expression;
    }
    return key;
}

QString withCondition(const Clauses& c, const QString& condition, const QString& select, const QString& tail)
{
    const QString where = c.where.isEmpty() ? condition
                          : condition.isEmpty() ? c.where
                                                : QStringLiteral("(%1) and %2").arg(c.where, condition);
    return QStringLiteral("select %1 %2%3 %4").arg(select, c.from, where.isEmpty() ? QString() : QStringLiteral("where ") + where + QLatin1Char(' '), tail);
}
} // namespace

QString totalOrder(const QString& statement)
{
    const Clauses c = clauses(statement);
    if (!c.ok)
        return statement;
    QStringList order = c.order;
    QStringList known;
    for (const QString& o : order)
        known << normal(o);
    const QString grouped = c.group.mid(keyword(c.group, {"group", "by"}).end);
    for (const QString& g : items(grouped))
        if (!known.contains(normal(g))) {
            order << g;
            known << normal(g);
        }
    const Found at = keyword(statement, {"order", "by"}, 0, true);
    return statement.left(at.end) + QLatin1Char(' ') + order.join(QStringLiteral(", "));
}

QString groupList(const QString& statement)
{
    const Clauses c = clauses(statement);
    if (!c.ok)
        return {};
    return withCondition(c, {}, keyExpression(c) + QStringLiteral(" as pw_key, count(*) as pw_rows"),
                         QStringLiteral("group by 1 order by 1"));
}

QString part(const QString& statement, const Range& range)
{
    const Clauses c = clauses(statement);
    if (!c.ok || (!range.after && !range.upTo))
        return statement;
    const QString e = keyExpression(c);
    QStringList conditions;
    if (range.after)
        conditions << QStringLiteral("%1 > %2").arg(e, SqlText::quote(*range.after));
    if (range.upTo)
        conditions << QStringLiteral("%1 <= %2").arg(e, SqlText::quote(*range.upTo));
    else
        conditions.last() = QStringLiteral("(%1 or %2 is null)").arg(conditions.last(), e);
    return withCondition(c, conditions.join(QStringLiteral(" and ")), c.select.trimmed(),
                         c.group.trimmed() + QStringLiteral(" order by ") + c.order.join(QStringLiteral(", ")));
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

void read(Connection& c, const QString& statement, const ReadAhead::Deliver& deliver, const Sizes& sizes)
{
    const QString ordered = totalOrder(statement);
    const QString list = groupList(ordered);
    if (list.isEmpty()) {
        deliver(c.selectTable(ordered));
        return;
    }
    const OdbcReader::Result keys = c.selectTable(list);
    std::vector<std::pair<QString, qint64>> groups;
    for (int r = 0; r < keys.table.rowCount(); ++r)
        if (!keys.table.isNull(r, 0))
            groups.emplace_back(keys.table.value(r, 0).toString(), keys.table.value(r, 1).toLongLong());
    for (const Range& range : plan(groups, sizes))
        if (!deliver(c.selectTable(part(ordered, range))))
            return;
}

bool inRanges(const QDate& from, const QDate& to) { return from.daysTo(to) > 31; }

void open(Query& q)
{
    const QString statement = q.boundSql();
    q.openReading(std::make_unique<ReadAhead>(q.connection().connectionString(),
                                              [statement](Connection& c, const ReadAhead::Deliver& deliver) {
                                                  read(c, statement, deliver);
                                              }));
}

} // namespace GroupedReading
