#pragma once
#include <QDate>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

// The days that are not worked. A year's days off come from its calendar file, taken from
// the government's yearly transfer decree; a year without a file has the Labour Code's
// holidays, with the Code's rule for a holiday on a Saturday or Sunday.
namespace CalendarRules {

struct Year {
    int year = 0;
    QSet<QDate> off;  // Monday to Friday, not worked
    QSet<QDate> work; // Saturday or Sunday, worked
    QString source;   // the file read; empty for the Labour Code's rule
    QStringList problems; // lines of the file that were not understood, as messages
};

// "ru-2026.txt": the file of a year.
QString fileName(int year);
// A year's file: one day a line, "YYYY-MM-DD off|work [note]"; "#" lines and blank lines
// are skipped. A line not understood is left out and named in problems.
Year parse(const QString& text, int year, const QString& source);
// The Code's holidays: 1–8 January, 23 February, 8 March, 1 and 9 May, 12 June, 4 November.
// One on a Saturday or Sunday gives the next working day off, except in January, whose
// holidays only a decree moves.
Year labourCode(int year);
bool isDayOff(const Year& y, const QDate& day);

} // namespace CalendarRules

// The calendar of the installation: the administrator's files first, then the package's,
// year by year; what the program has to say about it (a year without its decree, a line
// not understood) is said once, to whoever listens.
class ProductionCalendar {
public:
    explicit ProductionCalendar(const QStringList& folders = defaultFolders());

    bool isDayOff(const QDate& day);
    const CalendarRules::Year& year(int y);
    void setFolders(const QStringList& folders);
    QStringList folders() const { return folders_; }
    // Notices said before there was a listener reach it when it comes.
    void setListener(std::function<void(const QString&)> listener);

    // Where the administrator puts a new year's file or a corrected one.
    static QString adminFolder();
    // The package's files: share/piecework/calendar beside the program or one folder up.
    static QString shippedFolder();
    static QStringList defaultFolders();

private:
    void notice(const QString& text);

    QStringList folders_;
    QHash<int, CalendarRules::Year> years_;
    QStringList pending_;
    std::function<void(const QString&)> listener_;
};
