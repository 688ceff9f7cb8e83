#include "ProductionCalendar.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <utility>

namespace CalendarRules {

namespace {
bool weekend(const QDate& d) { return d.dayOfWeek() >= Qt::Saturday; }

// Month and day of the Code's holidays; January's are never moved by the Code.
const int kHolidays[][2] = {{1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}, {1, 6}, {1, 7}, {1, 8},
                            {2, 23}, {3, 8}, {5, 1}, {5, 9}, {6, 12}, {11, 4}};
} // namespace

QString fileName(int year) { return QStringLiteral("ru-%1.txt").arg(year); }

Year parse(const QString& text, int year, const QString& source)
{
    Year y;
    y.year = year;
    y.source = source;
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList parts = line.split(blanks);
        const QDate day = QDate::fromString(parts.value(0), Qt::ISODate);
        const QString kind = parts.value(1);
        if (!day.isValid() || day.year() != year || (kind != QLatin1String("off") && kind != QLatin1String("work"))) {
            y.problems << QStringLiteral("Календарь %1, строка %2 не прочитана: «%3»").arg(source).arg(i + 1).arg(line);
            continue;
        }
        // A holiday on a weekend is listed by some decrees: it is a day off all the same.
        if (kind == QLatin1String("off") && !weekend(day))
            y.off.insert(day);
        else if (kind == QLatin1String("work") && weekend(day))
            y.work.insert(day);
    }
    return y;
}

Year labourCode(int year)
{
    Year y;
    y.year = year;
    QSet<QDate> holidays;
    for (const auto& h : kHolidays)
        holidays.insert(QDate(year, h[0], h[1]));
    for (const auto& h : kHolidays) {
        const QDate day(year, h[0], h[1]);
        if (!weekend(day)) {
            y.off.insert(day);
            continue;
        }
        if (h[0] == 1)
            continue;
        QDate next = day.addDays(1);
        while (weekend(next) || holidays.contains(next) || y.off.contains(next))
            next = next.addDays(1);
        y.off.insert(next);
    }
    return y;
}

bool isDayOff(const Year& y, const QDate& day) { return weekend(day) ? !y.work.contains(day) : y.off.contains(day); }

} // namespace CalendarRules

ProductionCalendar::ProductionCalendar(const QStringList& folders) : folders_(folders) {}

void ProductionCalendar::setFolders(const QStringList& folders)
{
    folders_ = folders;
    years_.clear();
}

bool ProductionCalendar::isDayOff(const QDate& day) { return CalendarRules::isDayOff(year(day.year()), day); }

const CalendarRules::Year& ProductionCalendar::year(int y)
{
    auto it = years_.find(y);
    if (it != years_.end())
        return *it;
    for (const QString& folder : folders_) {
        QFile file(QDir(folder).filePath(CalendarRules::fileName(y)));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        it = years_.insert(y, CalendarRules::parse(QString::fromUtf8(file.readAll()), y, file.fileName()));
        for (const QString& p : it->problems)
            notice(p);
        return *it;
    }
    it = years_.insert(y, CalendarRules::labourCode(y));
    notice(QStringLiteral("Постановление о переносе выходных дней на %1 год не загружено: выходные и праздники "
                          "%1 года — по Трудовому кодексу (ст. 112). Календарь года кладут в файл %2.")
               .arg(y)
               .arg(QDir(adminFolder()).filePath(CalendarRules::fileName(y))));
    return *it;
}

void ProductionCalendar::setListener(std::function<void(const QString&)> listener)
{
    listener_ = std::move(listener);
    if (!listener_)
        return;
    const QStringList pending = std::exchange(pending_, {});
    for (const QString& p : pending)
        listener_(p);
}

void ProductionCalendar::notice(const QString& text)
{
    if (listener_)
        listener_(text);
    else
        pending_ << text;
}

QString ProductionCalendar::adminFolder() { return QStringLiteral("/etc/piecework/calendar"); }

QString ProductionCalendar::shippedFolder()
{
    const QDir program(QCoreApplication::applicationDirPath());
    const QString beside = program.filePath(QStringLiteral("share/piecework/calendar"));
    const QString above = QDir::cleanPath(program.filePath(QStringLiteral("../share/piecework/calendar")));
    return QDir(beside).exists() ? beside : above;
}

QStringList ProductionCalendar::defaultFolders() { return {adminFolder(), shippedFolder()}; }
