// The statements that find workers by number, and those reshaped to run without indexes,
// on the large workshop with 50,000 persons of other applications in the shared person
// table. Each is read through the data layer on three copies of the same data: the site's
// schema alone (pw_site), after "Структура БД" (pw_site_upgraded, made here when missing),
// and the earlier version's statement with its worker-number function and indexes
// (pw_site_earlier); beside psql running the earlier statement and ours. Rounds alternate.
#include "BenchSupport.h"
#include "Connection.h"
#include "DbError.h"
#include "FirstTexts.h"
#include "Query.h"
#include "SchemaUpgrade.h"
#include "SqlText.h"
#include "app/rules/DataModuleSql.h"
#include "app/rules/Shell.h"
#include "printing/rules/ReportSql.h"
#include "timesheets/rules/MonthSheets.h"
#include <QCoreApplication>
#include <QDate>
#include <cstdio>
#include <memory>

namespace {
const QString kPlain = QStringLiteral("pw_site");
const QString kUpgraded = QStringLiteral("pw_site_upgraded");
const QString kEarlier = QStringLiteral("pw_site_earlier");

std::unique_ptr<Connection> connect(const Bench::Target& t, const QString& database)
{
    auto c = std::make_unique<Connection>(QStringLiteral("site_") + database);
    c->setConnectionString(Shell::connectionString(database, t.socketDir));
    c->open();
    return c;
}

// The upgraded copy: made once from the plain one, as an administrator's "Структура БД" does.
void makeUpgraded(const Bench::Target& t)
{
    {
        auto admin = connect(t, QStringLiteral("postgres"));
        if (admin->select(QStringLiteral("select 1 from pg_database where datname = ") + SqlText::quote(kUpgraded)).rows.size() == 1)
            return;
        std::printf("making %s: a copy of %s with \"Структура БД\" run on it…\n", qPrintable(kUpgraded), qPrintable(kPlain));
        admin->execute(QStringLiteral("create database %1 template %2").arg(kUpgraded, kPlain));
    }
    auto c = connect(t, kUpgraded);
    const SchemaUpgrade::Outcome out = SchemaUpgrade::run(*c);
    if (!out.forbidden.isEmpty())
        qFatal("%s", qPrintable(SchemaUpgrade::rightsMessage(out)));
    c->execute(QStringLiteral("analyze"));
}

// The earlier version's form of a statement of ours: its function where we match inline.
QString withFunction(const QStringList& ours, const QString& column)
{
    return FirstTexts::withMatch(ours.join(QLatin1Char('\n')), column,
                                 QStringLiteral("accounts_dep.person_code(%1)").arg(column));
}

struct Case {
    QString name;
    QString ours;
    QString earlier;
    bool firstText; // the earlier statement is the first text itself, not its function form
    bool monthReport;
};

QVector<Case> cases()
{
    QVector<Case> out;
    for (int shift = 1; shift <= 4; ++shift) {
        QString earlier = FirstTexts::journal(shift);
        earlier.replace(QStringLiteral("s_code::t_id"), QStringLiteral("accounts_dep.person_code(s_code)"));
        out.push_back({QStringLiteral("journal Smena%1").arg(shift), DataModuleSql::smena(shift).join('\n'), earlier, false, false});
    }
    const QString function = QStringLiteral("accounts_dep.person_code(person.s_code)");
    for (int shift = 1; shift <= 3; ++shift)
        out.push_back({QStringLiteral("shift grid H_Tabel_%1").arg(shift), DataModuleSql::hTabel(shift).join('\n'),
                       FirstTexts::shiftGrid(shift).replace(QStringLiteral("person.s_code::integer"), function), false, false});
    out.push_back({QStringLiteral("printed timesheet H_Tabel"), ReportSql::hTabel().join('\n'),
                   FirstTexts::printedTimesheet().replace(QStringLiteral("person.s_code::t_integer"), function), false, false});
    out.push_back({QStringLiteral("month: t_Report by product"), ReportSql::tReportByProduct().sql.join('\n'),
                   ReportSql::tReportByProduct().sql.join('\n'), true, true});
    out.push_back({QStringLiteral("month: t_Report by worker"), ReportSql::tReportByWorker().sql.join('\n'),
                   withFunction(ReportSql::tReportByWorker().sql, QStringLiteral("s_code")), false, true});
    out.push_back({QStringLiteral("month: w_Report"), ReportSql::wReport().sql.join('\n'),
                   withFunction(ReportSql::wReport().sql, QStringLiteral("s_code")), false, true});
    out.push_back({QStringLiteral("month: i_Report"), ReportSql::iReport().sql.join('\n'), ReportSql::iReport().sql.join('\n'), true, true});
    using V = MonthSheets::Variant;
    const char* names[] = {"H_Tabel0", "H_Tabel7777", "H_Tabel7778", "H_Tabel_all"};
    int n = 0;
    for (V v : {V::PieceWork, V::Household, V::AverageRate, V::General})
        out.push_back({QStringLiteral("monthly %1").arg(QLatin1String(names[n++])), MonthSheets::sheetStatement(v),
                       FirstTexts::monthly(v), true, false});
    return out;
}

void setParams(Statement& s, const QDate& day, const QDate& month)
{
    const QDate next = month.addMonths(1);
    s.setParam(QStringLiteral("data"), day);
    s.setParam(QStringLiteral("ok"), QStringLiteral("ta"));
    s.setParam(QStringLiteral("mnth"), month.month());
    s.setParam(QStringLiteral("yea"), month.year());
    s.setParam(QStringLiteral("date1"), month);
    s.setParam(QStringLiteral("date2"), next);
    s.setParam(QStringLiteral("data1"), month);
    s.setParam(QStringLiteral("data2"), next);
    s.setParam(QStringLiteral("i_month"), month.month());
    s.setParam(QStringLiteral("i_year"), month.year());
    for (int k = 1; k <= 7; k += 2) {
        s.setParam(QStringLiteral("d_date%1").arg(k), next);
        s.setParam(QStringLiteral("d_date%1").arg(k + 1), month);
    }
}

struct Timing {
    QVector<double> plain, upgraded, earlier;
    int rows = 0;
};
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication qapp(argc, argv);
    const Bench::Target target = Bench::target(argc, argv);
    makeUpgraded(target);
    auto plain = connect(target, kPlain);
    auto upgraded = connect(target, kUpgraded);
    auto earlier = connect(target, kEarlier);

    const QDate day = QDate::currentDate();
    const QDate month = QDate(day.year(), day.month(), 1).addMonths(-1);
    const int rounds = 9;
    std::printf("day %s, month %s; medians of %d alternating rounds, ms\n", qPrintable(day.toString("dd.MM.yyyy")),
                qPrintable(month.toString("MM.yyyy")), rounds);
    std::printf("%-28s %6s %9s %9s %9s %10s %10s  %s\n", "statement", "rows", "schema", "upgraded", "earlier",
                "psql earl.", "psql ours", "verdict");
    double journalPlain = 0, journalUpgraded = 0, journalEarlier = 0;
    for (const Case& c : cases()) {
        Query ours(*plain, QStringLiteral("ours")), up(*upgraded, QStringLiteral("up")), then(*earlier, QStringLiteral("then"));
        ours.setSql(c.ours);
        up.setSql(c.ours);
        then.setSql(c.earlier);
        for (Query* q : {&ours, &up, &then})
            setParams(*q, day, month);
        Timing t;
        for (int r = 0; r < rounds; ++r) {
            t.plain << Bench::timeMs([&] { ours.reopen(); });
            t.upgraded << Bench::timeMs([&] { up.reopen(); });
            t.earlier << Bench::timeMs([&] { then.reopen(); });
        }
        if (ours.recordCount() != then.recordCount() || up.recordCount() != then.recordCount())
            std::printf("  rows differ: %d / %d / %d\n", ours.recordCount(), up.recordCount(), then.recordCount());
        const double p = Bench::median(t.plain), u = Bench::median(t.upgraded), e = Bench::median(t.earlier);
        const double psqlEarlier = Bench::median(Bench::psqlTimes({kEarlier, target.socketDir}, {then.boundSql()}, rounds));
        const double psqlOurs = Bench::median(Bench::psqlTimes({kPlain, target.socketDir}, {ours.boundSql()}, rounds));
        const bool plainOk = c.monthReport ? p <= 1.2 * e : p < 50;
        const bool upgradedOk = u <= e * 1.1; // within the noise of today's figure
        std::printf("%-28s %6d %9.2f %9.2f %9.2f %10.2f %10.2f  %s; upgraded/earlier %.2f%s\n", qPrintable(c.name),
                    ours.recordCount(), p, u, e, psqlEarlier, psqlOurs,
                    c.monthReport ? (plainOk ? "schema <= 1.2 x earlier" : "schema > 1.2 x earlier: MISSED")
                                  : (plainOk ? "schema < 50 ms" : "schema >= 50 ms: MISSED"),
                    u / e, upgradedOk ? "" : " MISSED");
        if (c.name.startsWith(QLatin1String("journal"))) {
            journalPlain += p;
            journalUpgraded += u;
            journalEarlier += e;
        }
        if (!c.firstText)
            std::printf("%-28s %6s psql earlier ran the function form (the first text's cast fails on these codes)\n", "", "");
    }
    std::printf("%-28s %6s %9.2f %9.2f %9.2f\n", "the day's four journals", "", journalPlain, journalUpgraded, journalEarlier);
    std::printf("peak resident memory: %.1f MB\n", Bench::peakRssMb());
    return 0;
}
