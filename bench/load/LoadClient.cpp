#include "LoadClient.h"
#include "Watch.h"
#include "timesheets/rules/MonthClose.h"
#include "Connection.h"
#include "DbError.h"
#include "SqlText.h"
#include "household/rules/HouseholdRecords.h"
#include "journal/rules/JournalRecords.h"
#include "refbooks/rules/RefBookWrites.h"
#include "rules/Shell.h"
#include "timesheets/rules/ShiftTimesheet.h"
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QThread>
#include <cstdio>
#include <random>

namespace Load {

using SqlText::num;

namespace {
const char* const kRoles[] = {"foreman", "clerk", "planner", "accountant", "deleter", "closer"};

// What a client did, printed at its end.
struct Tally {
    QMap<QString, int> outcomes;
    QVector<double> saves;
    QStringList errors;
    void print() const
    {
        for (auto it = outcomes.cbegin(); it != outcomes.cend(); ++it)
            std::printf("OUTCOME %s %d\n", qPrintable(it.key()), it.value());
        for (double ms : saves)
            std::printf("SAVE %.3f\n", ms);
        for (const QString& e : errors)
            std::printf("ERROR %s\n", qPrintable(QString(e).replace(QLatin1Char('\n'), QLatin1Char(' '))));
        std::fflush(stdout);
    }
};

void progress(int done)
{
    if (done % 10 == 0) {
        std::printf("PROGRESS %d\n", done);
        std::fflush(stdout);
    }
}

QVector<qint64> ids(Connection& c, const QString& sql)
{
    QVector<qint64> out;
    for (const QVector<QVariant>& r : c.select(sql).rows)
        out << r.value(0).toLongLong();
    return out;
}

QString joined(const QVector<qint64>& v)
{
    QStringList s;
    for (qint64 x : v)
        s << num(x);
    return s.isEmpty() ? QStringLiteral("0") : s.join(QLatin1Char(','));
}

// Random choices of one client, the same for the same seed.
class Dice {
public:
    explicit Dice(quint32 seed) : rng_(seed) {}
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    double unit() { return std::uniform_real_distribution<double>(0, 1)(rng_); }
    template <class T> const T& pick(const QVector<T>& v) { return v[below(int(v.size()))]; }

private:
    std::mt19937 rng_;
};

// Foremen and clerks work on the same few days, so that they meet often.
constexpr int kDays = 10;

struct Month {
    int month, year;
    QDate first() const { return QDate(year, month, 1); }
    QString range(const QString& column) const
    {
        return QStringLiteral("%1>='%2' and %1<'%3'")
            .arg(column, first().toString(Qt::ISODate), first().addMonths(1).toString(Qt::ISODate));
    }
};

EntryRules::Record randomRecord(Dice& d, const Pool& p, const Month& m)
{
    const Pool::Operation& o = d.pick(p.operations);
    EntryRules::Record r;
    r.worker = d.pick(p.workers);
    r.oper = o.id;
    r.item = o.product;
    r.price = 5 + d.below(20);
    r.count = 1 + d.below(100);
    r.hours = 1 + d.below(12);
    // Two records of a painting operation may differ in their colour alone.
    static const QVector<qint64> colours = {1, 7035, 9010};
    r.colour = o.painting ? d.pick(colours) : 0;
    r.date = m.first().addDays(d.below(kDays));
    r.shift = 1 + d.below(4);
    r.entered = r.date;
    return r;
}

// The record as it stands with other hours; empty when it is gone.
std::optional<EntryRules::Record> withOtherHours(Connection& c, qint64 id, Dice& d)
{
    const auto rows = c.select(QStringLiteral("select w_id, i_id, o_id, data, smena, color, kol_vo, cena from "
                                              "accounts_dep.smena where id=")
                               + num(id))
                          .rows;
    if (rows.isEmpty())
        return std::nullopt;
    const QVector<QVariant>& v = rows.first();
    EntryRules::Record r;
    r.worker = v[0].toLongLong();
    r.item = v[1].toLongLong();
    r.oper = v[2].toLongLong();
    r.date = v[3].toDate();
    r.shift = v[4].toInt();
    r.colour = v[5].toLongLong();
    r.count = v[6].toLongLong();
    r.price = v[7].toDouble();
    r.hours = 1 + d.below(12);
    r.entered = r.date;
    return r;
}

const char* journalOutcome(JournalRecords::Outcome o)
{
    static const char* const names[] = {"Saved", "Duplicate", "Gone", "Missing"};
    return names[int(o)];
}

double timed(const std::function<void()>& fn)
{
    QElapsedTimer t;
    t.start();
    fn();
    return t.nsecsElapsed() / 1e6;
}

// A change refused because its month is closed is one of the program's refusals.
void failed(Tally& out, const DbError& e, const QString& what = QStringLiteral("change"))
{
    if (Watch::closedMonth(e))
        ++out.outcomes[what + QStringLiteral(":Closed")];
    else
        out.errors << e.message();
}

void foreman(Connection& c, const ClientArgs& a, const Pool& p, Tally& out)
{
    Dice d(a.seed);
    const Month m{a.month, a.year};
    const QString mine = QStringLiteral("select id from accounts_dep.smena where w_id in (%1) and %2")
                             .arg(joined(p.workers), m.range(QStringLiteral("data")));
    QVector<qint64> known;
    for (int i = 0; i < a.actions; ++i) {
        if (i % 25 == 0)
            known = ids(c, mine);
        const double r = d.unit();
        try {
            if (r < 0.5 || known.isEmpty()) {
                const EntryRules::Record rec = randomRecord(d, p, m);
                JournalRecords::Outcome o;
                out.saves << timed([&] { o = JournalRecords::save(c, rec); });
                ++out.outcomes[QStringLiteral("save:") + journalOutcome(o)];
            } else if (r < 0.8 || a.savesOnly) {
                // A change: other hours in place, or a move to another worker, day or shift.
                const qint64 id = d.pick(known);
                std::optional<EntryRules::Record> rec = d.unit() < 0.5 ? withOtherHours(c, id, d) : std::nullopt;
                if (!rec)
                    rec = randomRecord(d, p, m);
                JournalRecords::Outcome o;
                out.saves << timed([&] { o = JournalRecords::save(c, *rec, id); });
                ++out.outcomes[QStringLiteral("change:") + journalOutcome(o)];
            } else {
                const JournalRecords::Removed removed = JournalRecords::remove(c, d.pick(known));
                ++out.outcomes[removed.found ? QStringLiteral("delete:Deleted") : QStringLiteral("delete:Gone")];
            }
        } catch (const DbError& e) {
            failed(out, e);
        }
        progress(i + 1);
    }
}

void clerk(Connection& c, const ClientArgs& a, const Pool& p, Tally& out)
{
    Dice d(a.seed);
    const Month m{a.month, a.year};
    const QString mine = QStringLiteral("select id from accounts_dep.fatigue where id_p in (%1) and %2")
                             .arg(joined(p.workers), m.range(QStringLiteral("d_date")));
    static const char* const names[] = {"Saved", "Gone", "Missing"};
    QVector<qint64> known;
    for (int i = 0; i < a.actions; ++i) {
        if (i % 25 == 0)
            known = ids(c, mine);
        HouseholdSql::Record r;
        r.group = p.group;
        r.kind = d.below(2) ? HouseholdSql::Household : HouseholdSql::AverageRate;
        r.worker = d.pick(p.workers);
        r.date = m.first().addDays(d.below(kDays));
        r.hours = 1 + d.below(8);
        r.holiday = d.below(10) == 0;
        r.night = d.below(5) == 0;
        r.price = HouseholdSql::entryPrice(r.kind == HouseholdSql::Household ? 180 : 200, r.holiday, r.night);
        const double x = d.unit();
        try {
            if (x < 0.6 || known.isEmpty()) {
                ++out.outcomes[QStringLiteral("household save:") + names[int(HouseholdRecords::save(c, r))]];
            } else if (x < 0.9) {
                ++out.outcomes[QStringLiteral("household change:") + names[int(HouseholdRecords::save(c, r, d.pick(known)))]];
            } else {
                const bool found = HouseholdRecords::remove(c, d.pick(known)).has_value();
                ++out.outcomes[found ? QStringLiteral("household delete:Deleted") : QStringLiteral("household delete:Gone")];
            }
        } catch (const DbError& e) {
            failed(out, e);
        }
        progress(i + 1);
    }
}

// The planner's rebuilds or the accountant's repricings, until the driver says stop.
void repeat(const ClientArgs& a, Tally& out, const QString& what, const std::function<void()>& fn)
{
    do {
        try {
            fn();
            ++out.outcomes[what];
        } catch (const DbError& e) {
            failed(out, e, what);
        }
        QThread::msleep(a.pauseMs);
    } while (!QFile::exists(a.stopFile));
}

void deleter(Connection& c, const Pool& p, Tally& out)
{
    static const char* const names[] = {"Deleted", "Gone", "InUse"};
    try {
        ++out.outcomes[QStringLiteral("product deletion:") + names[RefBookWrites::removeProduct(c, p.products.first()).status]];
        // An operation of another product, which the foremen use all the time.
        for (const Pool::Operation& o : p.operations)
            if (o.product == p.products.value(1)) {
                ++out.outcomes[QStringLiteral("operation deletion:")
                               + names[RefBookWrites::removeOperation(c, int(o.id)).status]];
                break;
            }
    } catch (const DbError& e) {
        failed(out, e, QStringLiteral("deletion"));
    }
}
} // namespace

Role roleOf(const QString& name)
{
    for (int i = 0; i < int(std::size(kRoles)); ++i)
        if (name == QLatin1String(kRoles[i]))
            return Role(i);
    qFatal("no role %s", qPrintable(name));
}

QString nameOf(Role role) { return QString::fromLatin1(kRoles[int(role)]); }

QStringList argsOf(const ClientArgs& a)
{
    return {QStringLiteral("--client"), nameOf(a.role),     a.database,          a.socketDir,
            QString::number(a.month),  QString::number(a.year), QString::number(a.actions), QString::number(a.seed),
            QString::number(a.pauseMs), a.stopFile.isEmpty() ? QStringLiteral("-") : a.stopFile,
            a.savesOnly ? QStringLiteral("saves") : QStringLiteral("all")};
}

ClientArgs parseArgs(const QStringList& s)
{
    ClientArgs a;
    a.role = roleOf(s.value(1));
    a.database = s.value(2);
    a.socketDir = s.value(3);
    a.month = s.value(4).toInt();
    a.year = s.value(5).toInt();
    a.actions = s.value(6).toInt();
    a.seed = s.value(7).toUInt();
    a.pauseMs = s.value(8).toInt();
    a.stopFile = s.value(9) == QLatin1String("-") ? QString() : s.value(9);
    a.savesOnly = s.value(10) == QLatin1String("saves");
    return a;
}

Pool readPool(Connection& c)
{
    Pool p;
    p.workers = ids(c, QStringLiteral("select id from accounts_dep.person where fio like 'Нагрузка %' order by id"));
    p.products = ids(c, QStringLiteral("select id from cmn_gds_and_srv.gds_and_srv where s_caption like 'НГ-%' order by id"));
    p.group = ids(c, QStringLiteral("select id from cmn_classifier.item where id_level=2 order by id limit 1")).value(0);
    for (const QVector<QVariant>& r :
         c.select(QStringLiteral("select o.id, o.i_id, upper(v.vid) like '%КРАСКА%' from accounts_dep.oper o "
                                 "join accounts_dep.vid_oper v on v.id=o.vid where o.i_id in (%1) order by o.id")
                      .arg(joined(p.products)))
             .rows)
        p.operations.push_back({r[0].toLongLong(), r[1].toLongLong(), r[2].toBool()});
    return p;
}

void makePool(Connection& c, quint32 seed)
{
    Dice d(seed);
    const qint64 painting = ids(c, QStringLiteral("select id from accounts_dep.vid_oper where upper(vid) like '%КРАСКА%' "
                                                  "order by id limit 1")).value(0);
    const qint64 plain = ids(c, QStringLiteral("select id from accounts_dep.vid_oper where id<7777 and upper(vid) not like "
                                               "'%КРАСКА%' order by id limit 1")).value(0);
    const qint64 group = ids(c, QStringLiteral("select id from cmn_classifier.item where id_level=2 order by id limit 1")).value(0);
    for (int w = 1; w <= 12; ++w)
        c.execute(QStringLiteral("insert into accounts_dep.person(fio, s_staffpos_hl) values ('Нагрузка %1', 'Цех №1')").arg(w));
    for (int k = 1; k <= 6; ++k) {
        const qint64 product = ids(c, QStringLiteral("insert into cmn_gds_and_srv.gds_and_srv(s_caption, s_description, "
                                                     "id_msm_bs, massa, id_class_item) values ('НГ-%1', '', 6, 0.1, %2) "
                                                     "returning id")
                                          .arg(k)
                                          .arg(group))
                                   .value(0);
        const QVector<QPair<qint64, int>> kinds = {{painting, 0}, {plain, 0}, {plain, 1}, {painting, 1}};
        for (const auto& [kind, naimen] : kinds) {
            const qint64 oper = ids(c, QStringLiteral("insert into accounts_dep.oper(vid, naimen, i_id, cena_new) values "
                                                      "(%1, %2, %3, 0) returning id")
                                           .arg(kind)
                                           .arg(naimen)
                                           .arg(product))
                                    .value(0);
            c.execute(QStringLiteral("insert into accounts_dep.norm(o_id, norma, prize, price) values (%1, 100, 0, %2)")
                          .arg(oper)
                          .arg(5 + d.below(15)));
        }
    }
}

int runClient(const ClientArgs& a)
{
    Connection c(QStringLiteral("load_client"));
    c.setConnectionString(Shell::connectionString(a.database, a.socketDir));
    Tally out;
    try {
        c.open();
        const Pool p = readPool(c);
        switch (a.role) {
        case Role::Foreman:
            foreman(c, a, p, out);
            break;
        case Role::Clerk:
            clerk(c, a, p, out);
            break;
        case Role::Planner:
            repeat(a, out, QStringLiteral("rebuild"), [&] { ShiftTimesheet::rebuild(c, a.month, a.year); });
            break;
        case Role::Accountant:
            repeat(a, out, QStringLiteral("repricing"), [&] { HouseholdRecords::reprice(c, a.month, a.year); });
            break;
        case Role::Deleter:
            deleter(c, p, out);
            break;
        case Role::Closer: {
            // Closes the month and reopens it, over and over, while the others work.
            bool closing = true;
            repeat(a, out, QStringLiteral("close/reopen"), [&] {
                MonthClose::setClosed(c, a.month, a.year, closing);
                closing = !closing;
            });
            if (!closing)
                MonthClose::setClosed(c, a.month, a.year, false);
            break;
        }
        }
    } catch (const DbError& e) {
        out.errors << e.message();
    }
    out.print();
    return 0;
}

} // namespace Load
