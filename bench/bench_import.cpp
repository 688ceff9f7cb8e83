// The legacy import on a large legacy journal (190,000 records and their reference
// tables in an SQLite file behind the data source "Tabel"), into a copy of the large
// workshop in the legacy layout. The floor is the same job done plainly in the same run:
// the source read through ODBC and every table written by one COPY in one psql session.
#include "BenchSupport.h"
#include "Connection.h"
#include "LegacyImport.h"
#include "LegacySource.h"
#include "PwApplication.h"
#include "SqlText.h"
#include <QDateTime>
#include <QProcess>
#include <cstdio>

namespace {
constexpr int kJournal = 190000;

QStringList largeSource()
{
    QString days, values;
    for (int d = 1; d <= 31; ++d) {
        days += QStringLiteral(", d%1").arg(d);
        values += QStringLiteral(", (i + %1) % 9").arg(d);
    }
    const QString numbers = QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) ");
    return {
        numbers.arg(7200) + QStringLiteral("insert into H_TABEL(id, w_id, month, year, smena%1) "
                                           "select i, 1 + i % 150, 1 + i % 12, 2024, 1 + i % 4%2 from n")
                                .arg(days, values),
        numbers.arg(300) + "insert into IZDEL select i, 'П-' || i, 'Группа ' || (i % 50), 0.01 * (i % 40) from n",
        numbers.arg(50) + "insert into NOMENKL select 'Группа ' || i, 'Г' || i from n",
        numbers.arg(1500) + "insert into OPER select i, 1 + i % 40, i % 2, 0.25 * (i % 80), 1 + i % 300 from n",
        numbers.arg(40) + "insert into VID_OPER select i, 'Операция ' || i from n",
        numbers.arg(150) + "insert into WORKERS select i, 'Рабочий ' || i || ' И.О.', 'ул. Заводская, ' || i from n",
        numbers.arg(kJournal)
            + "insert into smena select i, 1 + i % 150, 1 + i % 300, 1 + i % 1500, 10 + i % 90, i % 3, 1 + i % 4, "
              "date('2023-01-01', '+' || (i % 365) || ' days') || ' 00:00:00', 1.25 + (i % 100) / 4.0, i % 5, 1 + i % 8, "
              "case i % 2 when 0 then 'ok' else 'no' end, "
              "datetime('2023-01-01 08:00:00', '+' || (i % 365) || ' days', '+' || (i % 600) || ' minutes') from n",
    };
}

QByteArray csvValue(const QVariant& v)
{
    if (v.isNull())
        return {};
    QString text;
    if (v.typeId() == QMetaType::QDate)
        text = v.toDate().toString(Qt::ISODate);
    else if (v.typeId() == QMetaType::QDateTime)
        text = v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    else if (v.typeId() == QMetaType::Double)
        text = SqlText::num(v.toDouble());
    else
        text = v.toString();
    return '"' + text.toUtf8().replace('"', "\"\"") + '"';
}

// Reads every source table through ODBC and writes it with COPY, all in one transaction.
qint64 floorRun(const Bench::Target& t, const QString& target)
{
    auto source = LegacySource::open(QStringLiteral("floor_source"));
    QByteArray script = "\\set ON_ERROR_STOP 1\nBEGIN;\n";
    qint64 rows = 0;
    for (const LegacyImport::Step& step : LegacyImport::steps()) {
        const OdbcReader::Result r = source->select(QStringLiteral("select * from ") + step.source
                                                    + (step.sorted ? QStringLiteral(" order by id ASC") : QString()));
        QVector<int> at;
        QStringList names;
        for (const LegacyImport::Column& c : step.columns) {
            at << r.fields.indexOf(QString::fromLatin1(c.name));
            names << QString::fromLatin1(c.name);
        }
        script += QStringLiteral("delete from %1 where id>0;\nCOPY %1(%2) FROM STDIN WITH (FORMAT csv);\n")
                      .arg(step.target, names.join(','))
                      .toUtf8();
        for (const auto& row : r.rows) {
            for (int k = 0; k < at.size(); ++k) {
                if (k)
                    script += ',';
                script += csvValue(row[at[k]]);
            }
            script += '\n';
        }
        script += "\\.\n";
        rows += r.rows.size();
    }
    script += "COMMIT;\n";
    QProcess p;
    p.start(QStringLiteral("psql"), {"-X", "-q", "-h", t.socketDir, "-U", "sys", "-d", target});
    p.waitForStarted();
    p.write(script);
    p.closeWriteChannel();
    p.waitForFinished(-1);
    if (p.exitCode() != 0)
        std::fprintf(stderr, "psql: %s\n", p.readAllStandardError().constData());
    return rows;
}

qint64 ourRun()
{
    const LegacyImport::Connections c = LegacyImport::open();
    Connection& MSA = *c.source;
    Connection& PGSQL = *c.target;
    // As the window does it: the label's text and the events after every batch.
    QString label;
    const LegacyImport::Outcome out = LegacyImport::run(MSA, PGSQL, [&](const QString& table, qint64 done, qint64 total) {
        label = LegacyImport::progressText(table, done, total);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    qint64 rows = 0;
    for (const auto& c : out.copied)
        rows += c.rows;
    return rows;
}
} // namespace

int main(int argc, char** argv)
{
    PwApplication qapp(argc, argv);
    const Bench::Target large = Bench::target(argc, argv);
    const LegacySource::Places& places = LegacySource::configure(large.socketDir, TestDb::Role::Client);
    std::printf("legacy source: %d journal records and the reference tables…\n", kJournal);
    LegacySource::create(largeSource());
    LegacySource::makeTarget(true, large.database);
    ourRun(); // the large workshop's own rows go; from here on every run replaces the same rows

    QVector<double> ours, plain;
    qint64 rows = 0;
    for (int round = 0; round < 3; ++round) {
        ours << Bench::timeMs([&] { rows = ourRun(); });
        plain << Bench::timeMs([&] { floorRun(large, places.target); });
    }
    const double o = Bench::median(ours), f = Bench::median(plain);
    Bench::report(QStringLiteral("import of %1 rows").arg(rows), o, f);
    std::printf("%-40s ours %9.0f rows/s   plain %9.0f rows/s   peak memory %.0f MB\n", "rate", rows / (o / 1000),
                rows / (f / 1000), Bench::peakRssMb());
    LegacySource::dropTarget();
    return 0;
}
