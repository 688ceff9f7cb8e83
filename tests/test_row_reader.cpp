// The row reader at its edges, through the real driver: a server message of any length,
// texts longer than a column's buffer, and values the driver cannot convert.
#include "DbError.h"
#include "Query.h"
#include "TestDb.h"
#include <QDateTime>
#include <QTest>

namespace {
// The message of the error a statement raises; empty when it raises none.
QString errorOf(Connection& c, const QString& statement)
{
    try {
        c.select(statement);
    } catch (const DbError& e) {
        return e.message();
    }
    return {};
}
} // namespace

class TestRowReader : public QObject {
    Q_OBJECT
    std::unique_ptr<Connection> c;

private slots:
    void initTestCase() { c = TestDb::connect(TestDb::create(), QStringLiteral("rows")); }

    // A message of any length the driver keeps (4,095 bytes) comes whole.
    void longServerMessageArrivesWhole_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("latin, 1,500 characters") << "начало " + QString(1500, 'x') + " конец";
        QTest::newRow("cyrillic, 1,900 characters in 3,800 bytes") << "начало " + QString(1900, QChar(0x44F)) + " конец";
    }
    void longServerMessageArrivesWhole()
    {
        QFETCH(QString, text);
        const QString message = errorOf(*c, "do $$ begin raise exception '%', '" + text + "'; end $$");
        QVERIFY2(message.contains(text), qPrintable(message.left(200)));
    }

    // Two long texts in one row between short ones, of characters of two to four bytes,
    // one of 100,000 bytes with a character across the end of the column's buffer: read
    // whole, by column and as values.
    void longTextsAreReadWhole()
    {
        const QString a = "a" + QString(49999, QChar(0x44F)) + "z"; // 100,000 bytes
        const QString b = QString(25000, QChar(0x20AC)) + QString::fromUtf8("\xF0\x9F\x98\x80"); // 75,004
        const QString statement = "select n, case when n = 2 then 'a' || repeat('я', 49999) || 'z' else 'т' || n end as t, "
                                  "case when n = 2 then repeat('€', 25000) || '😀' end as u "
                                  "from generate_series(1, 3) n order by n";
        Query q(*c, "q");
        q.setSql(statement);
        q.open();
        QCOMPARE(q.recordCount(), 3);
        q.setRecNo(2);
        QCOMPARE(q.asString("t").size(), a.size());
        QVERIFY(q.asString("t") == a);
        QVERIFY(q.asString("u") == b);
        q.setRecNo(3);
        QCOMPARE(q.asString("t"), QStringLiteral("т3"));
        QVERIFY(q.isNull("u"));
        const OdbcReader::Result rows = c->select(statement);
        QVERIFY(rows.rows[1][1].toString() == a);
        QVERIFY(rows.rows[1][2].toString() == b);
        QCOMPARE(rows.rows[0][1].toString(), QStringLiteral("т1"));
    }

    // A value the driver cannot convert, in the middle of a block of rows, is an error that
    // names its column; it is never read as some other value.
    void failedConversionNamesTheColumn_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("date: infinity") << "'infinity'::date";
        QTest::newRow("date: -infinity") << "'-infinity'::date";
        QTest::newRow("date: year 20000") << "'20000-01-01'::date";
        QTest::newRow("timestamp: before Christ") << "'0044-03-15 12:00 BC'::timestamp";
        QTest::newRow("timestamp: year 294276") << "'294276-01-01'::timestamp";
    }
    void failedConversionNamesTheColumn()
    {
        QFETCH(QString, value);
        const QString message = errorOf(*c, "select n, case when n = 200 then " + value
                                                + " end as shipped_on from generate_series(1, 300) n order by n");
        QVERIFY2(message.contains("'shipped_on'"), qPrintable(message));
        QVERIFY2(message.contains("строка 200"), qPrintable(message));
    }

    void datesAndTimesReadAsTheServerWritesThem()
    {
        const OdbcReader::Result r = c->select(
            "select '0001-01-01'::date, '9999-12-31'::date, '2025-04-01 13:45:06.789'::timestamp, "
            "'2025-04-01 00:00:00'::timestamp, '2025-04-01 23:59:59.5'::timestamp(1), null::date");
        const QVector<QVariant> expected{QDate(1, 1, 1), QDate(9999, 12, 31), QDateTime(QDate(2025, 4, 1), QTime(13, 45, 6, 789)),
                                         QDateTime(QDate(2025, 4, 1), QTime(0, 0)),
                                         QDateTime(QDate(2025, 4, 1), QTime(23, 59, 59, 500)), QVariant(QMetaType::fromType<QDate>())};
        QCOMPARE(r.rows.value(0), expected);
    }
};

PW_TEST_MAIN(TestRowReader)
#include "test_row_reader.moc"
