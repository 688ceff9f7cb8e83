// The connection is encrypted whenever the server offers TLS, and still made when it
// offers none: two servers on 127.0.0.1 (tests/tls_clusters.sh) that accept the client's
// role with or without TLS, so that only the client's connection string decides.
#include "Connection.h"
#include "TestDb.h"
#include "rules/Shell.h"
#include <QFile>
#include <QTest>

namespace {
QString serverPort(const QString& server)
{
    QFile f(qEnvironmentVariable("PW_TLS_CLUSTERS") + QLatin1Char('/') + server + QStringLiteral("/port"));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("no port file for the %s server: run the tests through ctest", qPrintable(server));
    return QString::fromLatin1(f.readAll()).trimmed();
}
} // namespace

class TestEncryption : public QObject {
    Q_OBJECT

private slots:
    void sessionEncryptedWhenOffered_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("encrypted");
        QTest::newRow("server with TLS") << "tls" << "yes";
        QTest::newRow("server without TLS") << "plain" << "no";
    }
    void sessionEncryptedWhenOffered()
    {
        QFETCH(QString, server);
        QFETCH(QString, encrypted);
        // The program's own string; only the port differs, the test servers being no workshop's.
        QString text = Shell::connectionString(QStringLiteral("postgres"), QStringLiteral("127.0.0.1"));
        QVERIFY(text.contains(QLatin1String(";PORT=5432;")));
        text.replace(QLatin1String(";PORT=5432;"), QStringLiteral(";PORT=%1;").arg(serverPort(server)));
        Connection c(QStringLiteral("tls_") + server);
        c.setConnectionString(text);
        c.open();
        const OdbcReader::Result r = c.select(QStringLiteral(
            "select case when ssl then 'yes' else 'no' end as encrypted, coalesce(version, '') as protocol "
            "from pg_stat_ssl where pid = pg_backend_pid()"));
        QCOMPARE(r.rows.size(), 1);
        QCOMPARE(r.rows[0][0].toString(), encrypted);
        if (encrypted == QLatin1String("yes"))
            QVERIFY2(r.rows[0][1].toString().startsWith(QLatin1String("TLS")), qPrintable(r.rows[0][1].toString()));
    }
};

PW_TEST_MAIN(TestEncryption)
#include "test_encryption.moc"
