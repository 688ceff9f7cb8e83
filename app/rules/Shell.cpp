#include "Shell.h"
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <cstring>

namespace Shell {

namespace {
const char* const kDefaultPort = "5432";
const char* const kFragments[] = {
    ";UID=sys;PWD=vamplex;SSLmode=prefer;",
    "ReadOnly=0;Protocol=7.4;FakeOidIndex=0;ShowOidColumn=0;RowVersioning=0;ShowSystemTables=0;Fetch=100;"
    "UnknownSizes=0;MaxVarcharSize=255;MaxLongVarcharSize=8190;",
    "Debug=0;CommLog=0;UseDeclareFetch=0;TextAsLongVarchar=1;UnknownsAsLongVarchar=0;BoolsAsChar=1;Parse=0;"
    "ExtraSysTablePrefixes=;LFConversion=1;UpdatableCursors=1;",
    "TrueIsMinus1=0;BI=0;ByteaAsLongVarBinary=1;UseServerSidePrepare=1;LowerCaseIdentifier=0;D6=-101;"
    "OptionalErrors=0;XaOpt=1",
};
const char* const kBuiltInDatabase = "kromb_erp";
const char* const kBuiltInServer = "192.168.0.10";

struct Code {
    const char* text;
    Role role;
};
const Code kCodes[] = {
    {"63517402", Role::Administrator}, {"0842", Role::Administrator}, {"vindar", Role::Planning},
    {"bruvane", Role::Foreman},        {"gelvo", Role::Warehouse},
};
} // namespace

HostPort hostAndPort(const QString& server)
{
    // "host:port" or "[v6 address]:port"; a bare v6 address has colons of its own.
    static const QRegularExpression withPort(QStringLiteral(R"(^([^:\[\]]+|\[[^\]]+\]):(\d{1,5})$)"));
    const QRegularExpressionMatch m = withPort.match(server);
    if (!m.hasMatch())
        return {server, QString::fromLatin1(kDefaultPort)};
    QString host = m.captured(1);
    if (host.startsWith(QLatin1Char('[')))
        host = host.mid(1, host.size() - 2);
    return {host, m.captured(2)};
}

QString unsafeValue(const QString& database, const QString& server)
{
    // The connection string has no quoting that the driver takes for these: a value with
    // one of them would add attributes of its own.
    const auto bad = [](const QString& v) -> QString {
        for (const QChar c : v)
            if (c == QLatin1Char(';') || c == QLatin1Char('{') || c == QLatin1Char('}') || c.unicode() < 0x20)
                return c.unicode() < 0x20 ? QStringLiteral("управляющий символ") : QStringLiteral("«%1»").arg(c);
        return {};
    };
    if (const QString c = bad(database); !c.isEmpty())
        return QStringLiteral("Недопустимый символ в имени базы данных: %1.").arg(c);
    if (const QString c = bad(server); !c.isEmpty())
        return QStringLiteral("Недопустимый символ в адресе сервера: %1.").arg(c);
    return {};
}

QStringList addresses(const QString& server)
{
    QStringList out;
    for (const QString& part : server.split(QLatin1Char(',')))
        if (!part.trimmed().isEmpty())
            out << part.trimmed();
    return out;
}

namespace {
// A value of libpq's "key=value" options, quoted so that a blank or a quote stays inside it.
QString libpqValue(const QStringList& values)
{
    QString v = values.join(QLatin1Char(','));
    v.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}

// attrs: what libpq asks of the server it keeps when the list has several.
QString withServers(const QString& database, const QStringList& list, const char* attrs)
{
    QStringList hosts, ports;
    for (const QString& a : list) {
        const HostPort where = hostAndPort(a);
        hosts << where.host;
        ports << where.port;
    }
    // The driver takes a list only through libpq's options, with its own two attributes
    // left empty.
    const bool several = list.size() > 1;
    QString s = QStringLiteral("DRIVER={PostgreSQL UNICODE};DATABASE=") + database + QStringLiteral(";SERVER=")
                + (several ? QString() : hosts[0]) + QStringLiteral(";PORT=") + (several ? QString() : ports[0]);
    for (const char* f : kFragments)
        s += QString::fromLatin1(f);
    if (several)
        s += QStringLiteral(";pqopt={host=%1 port=%2 target_session_attrs=%3}")
                 .arg(libpqValue(hosts), libpqValue(ports), QLatin1String(attrs));
    return s;
}
} // namespace

QString connectionString(const QString& database, const QString& server)
{
    // Several servers: libpq tries them in turn and keeps the one that takes writes, so that
    // after a standby has taken over the next connection finds it.
    if (server.isEmpty())
        return withServers(QString::fromLatin1(kBuiltInDatabase), {QString::fromLatin1(kBuiltInServer)}, "");
    const QStringList list = addresses(server);
    return withServers(database, list.isEmpty() ? QStringList{server} : list, "read-write");
}

QString readingString(const QString& database, const QString& server, const QString& reportServer)
{
    const QStringList standbys = addresses(reportServer);
    if (standbys.isEmpty())
        return {};
    const bool builtIn = server.isEmpty();
    const QStringList primaries = builtIn ? QStringList{QString::fromLatin1(kBuiltInServer)} : addresses(server);
    return withServers(builtIn ? QString::fromLatin1(kBuiltInDatabase) : database, standbys + primaries,
                       "prefer-standby");
}

BuildStamp buildStamp(const char* date, const char* time)
{
    static const char* const months = "JanFebMarAprMayJunJulAugSepOctNovDec";
    const char* m = std::strstr(months, std::string(date, 3).c_str());
    const int month = m ? int(m - months) / 3 + 1 : 0;
    const auto digit = [](char c) { return c == ' ' ? 0 : c - '0'; };
    const int day = digit(date[4]) * 10 + digit(date[5]);
    const int year = std::atoi(date + 7);
    const int seconds = ((time[0] - '0') * 10 + (time[1] - '0')) * 3600 + ((time[3] - '0') * 10 + (time[4] - '0')) * 60
                        + (time[6] - '0') * 10 + (time[7] - '0');
    return {year * 10000 + month * 100 + day, seconds};
}

QString loginCaption(const BuildStamp& stamp)
{
    return QStringLiteral("Авторизация (build: %1.%2)").arg(stamp.date).arg(stamp.time);
}

static bool older(int d1, int t1, int d2, int t2) { return d1 < d2 || (d1 == d2 && t1 < t2); }

VersionDecision decideVersion(bool hasRow, int storedDate, int storedTime, const BuildStamp& build)
{
    VersionDecision v;
    if (!hasRow || older(storedDate, storedTime, build.date, build.time)) {
        v.store = true;
        return v;
    }
    v.outdated = older(build.date, build.time, storedDate, storedTime);
    return v;
}

QString trimLogin(const QString& text)
{
    int b = 0, e = text.size();
    while (b < e && text[b].unicode() <= ' ')
        ++b;
    while (e > b && text[e - 1].unicode() <= ' ')
        --e;
    return text.mid(b, e - b);
}

Role roleForCode(const QString& trimmed)
{
    for (const Code& c : kCodes)
        if (trimmed == QLatin1String(c.text))
            return c.role;
    return Role::None;
}

bool isForemanCode(const QString& trimmed) { return roleForCode(trimmed) == Role::Foreman; }

SwitchedOff switchedOff(Role role)
{
    const QStringList menus = {"N2", "N11"};
    const QStringList reportButtons = {"Button1", "Button2", "Button4", "Button6"};
    switch (role) {
    case Role::Planning:
        // The menu "Табель" opens for the close of a month alone.
        return {QStringList{"Button1", "Button2", "Button3", "RadioButton1", "RadioButton2", "RadioButton3",
                            "RadioButton4", "CBox1", "Button8", "DBGrid2", "DateT", "N2", "N9", "N13", "N14", "N15", "N17"},
                {}};
    case Role::Foreman:
        return {QStringList{"Button2", "Button3"} + menus, reportButtons};
    case Role::Warehouse:
        return {QStringList{"Button1", "Button2", "Button3"} + menus, reportButtons + QStringList{"RadioGroup1"}};
    default:
        return {};
    }
}

QString roleName(Role role)
{
    switch (role) {
    case Role::Administrator:
        return QStringLiteral("администратор");
    case Role::Planning:
        return QStringLiteral("планирование");
    case Role::Foreman:
        return QStringLiteral("мастер");
    case Role::Warehouse:
        return QStringLiteral("склад");
    case Role::None:
        break;
    }
    return {};
}

QString whoSetting(Role role, const QString& osUser, const QString& host, const QString& version)
{
    const QJsonObject o{{QStringLiteral("role"), roleName(role)},
                        {QStringLiteral("user"), osUser},
                        {QStringLiteral("host"), host},
                        {QStringLiteral("version"), version}};
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

} // namespace Shell
