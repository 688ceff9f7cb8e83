#include "Startup.h"
#include <QFile>
#include <QStandardPaths>

namespace Startup {

namespace {
const char* const kSystemConfig = "/etc/piecework.conf";
const char* const kConfigName = "piecework.conf";

const char* const kUsage =
    "Использование: piecework [БАЗА СЕРВЕР]\n"
    "Учёт сдельной работы цеха: журнал выработки, табели, хоз. работы, отчёты.\n"
    "\n"
    "  БАЗА      имя базы данных PostgreSQL\n"
    "  СЕРВЕР    адрес сервера: имя, IP-адрес или каталог сокета;\n"
    "            пустой адрес выбирает встроенное подключение\n"
    "\n"
    "Без аргументов база и сервер берутся из /etc/piecework.conf и\n"
    "~/.config/piecework.conf (второй файл важнее); если их нет и там,\n"
    "действует встроенное подключение.\n"
    "\n"
    "  --version  версия и сборка программы\n"
    "  --help     эта справка\n";
// The configuration's keys for the bounds of the waits on the server.
struct BoundKey {
    const char* key;
    int ServerBounds::*field;
    int scale; // the file gives seconds
};
const BoundKey kBoundKeys[] = {
    {"connect_timeout", &ServerBounds::connectSeconds, 1},
    {"network_timeout", &ServerBounds::networkSeconds, 1},
    {"lock_timeout", &ServerBounds::lockSeconds, 1},
    {"idle_transaction_timeout", &ServerBounds::idleInTransactionSeconds, 1},
    {"statement_timeout", &ServerBounds::statementSeconds, 1},
    {"wait_notice", &ServerBounds::noticeMs, 1000},
};

std::optional<QString> readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return QString::fromUtf8(f.readAll());
}
} // namespace

QStringList commandLine(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

std::optional<QString> answer(const QStringList& args, const QString& version, const Shell::BuildStamp& stamp)
{
    if (args.size() != 1)
        return std::nullopt;
    if (args[0] == QLatin1String("--version"))
        return QStringLiteral("piecework %1 (build: %2.%3)\n").arg(version).arg(stamp.date).arg(stamp.time);
    if (args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h"))
        return QString::fromUtf8(kUsage);
    return std::nullopt;
}

Server parseConfig(const QString& text)
{
    Server s;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        const int eq = line.indexOf(QLatin1Char('='));
        if (line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char(';')) || eq < 0)
            continue;
        const QString key = line.left(eq).trimmed().toLower();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == QLatin1String("database"))
            s.database = value;
        else if (key == QLatin1String("server"))
            s.server = value;
        else if (key == QLatin1String("report_server"))
            s.reportServer = value;
        for (const BoundKey& b : kBoundKeys) {
            bool ok = false;
            const int n = value.toInt(&ok);
            // A bound is a whole number of seconds, 0 and up; anything else keeps the default.
            if (key == QLatin1String(b.key) && ok && n >= 0 && n <= 24 * 3600)
                s.bounds.insert(key, n);
        }
    }
    return s;
}

ServerBounds bounds(const QStringList& files)
{
    ServerBounds out;
    for (const QString& path : files) {
        const auto text = readFile(path);
        if (!text)
            continue;
        const Server s = parseConfig(*text);
        for (const BoundKey& b : kBoundKeys)
            if (s.bounds.contains(QLatin1String(b.key)))
                out.*b.field = s.bounds.value(QLatin1String(b.key)) * b.scale;
    }
    return out;
}

QStringList configFiles()
{
    return {QString::fromLatin1(kSystemConfig),
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/')
                + QLatin1String(kConfigName)};
}

QStringList arguments(const QStringList& given, const QStringList& files)
{
    if (!given.isEmpty())
        return given;
    Server merged;
    for (const QString& path : files) {
        const auto text = readFile(path);
        if (!text)
            continue;
        const Server s = parseConfig(*text);
        if (s.database)
            merged.database = s.database;
        if (s.server)
            merged.server = s.server;
        if (s.reportServer)
            merged.reportServer = s.reportServer;
    }
    const QString database = merged.database.value_or(QString());
    const QString server = merged.server.value_or(QString());
    const QString reports = merged.reportServer.value_or(QString()).trimmed();
    if (database.isEmpty() && server.isEmpty())
        return {};
    if (reports.isEmpty())
        return {database, server};
    return {database, server, reports};
}

} // namespace Startup
