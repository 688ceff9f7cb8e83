#pragma once
#include <QDate>
#include <QLocale>
#include <QString>
#include <QVector>
#include <optional>

// Rules of a journal record as the entry dialog writes it: the final price, the
// rounding and display of prices, the painting test, the input checks and the
// statement texts.
namespace EntryRules {

// The price per good piece: a day off doubles it, the third shift adds 20 %, overtime 50 %.
double finalPrice(double base, bool dayOff, int shift);

// Four decimal places, halves to the even neighbour.
double roundPrice(double value);
// The rounded price as the dialog shows it: at most 15 significant digits, the user's
// decimal separator.
QString priceText(double value, const QLocale& locale = QLocale());
// The rounded price for statement text: the same digits with a point as separator.
QString priceSql(double value);

QString category(qint64 naimen);
// mark; kind; category — the text of an operation in the dialog.
QString operationText(const QString& mark, const QString& kind, qint64 naimen);
// An operation whose text contains "КРАСКА" in any case needs a colour code.
bool isPainting(const QString& text);

extern const char* const IncompleteMessage;
extern const char* const DuplicateMessage;

// The dialog's fields as typed, untrimmed.
struct Input {
    QString fio, operation, count, defects, colour, hours;
};
// The dialog's fields the checks name.
enum class Field { Fio, Operation, Count, Defects, Colour, Hours };
// The first field the record needs that is blank, in the dialog's order of the checks.
std::optional<Field> missingField(const Input& in);
// True when a field the record needs is blank.
bool incomplete(const Input& in);

// A whole-number field and the largest value its column takes.
struct NumberField {
    QString label;
    QString text;
    qint64 max;
};
// Largest values of the journal's number columns.
constexpr qint64 MaxInteger = 2147483647;
constexpr qint64 MaxSmallint = 32767;
// Empty when every non-blank field is a whole number within its column; else the message.
QString numberProblem(const QVector<NumberField>& fields);
// Defects cannot outnumber the pieces made: they would give negative earnings.
extern const char* const DefectsMessage;
bool tooManyDefects(const QString& count, const QString& defects);
// The trimmed text as a number; 0 when blank.
qint64 number(const QString& text);

// A journal record as written by the dialog.
struct Record {
    qint64 worker = 0, item = 0, oper = 0;
    double price = 0; // the final price, unrounded
    qint64 count = 0, defects = 0, hours = 0, colour = 0;
    QDate date;
    int shift = 1;
    QDate entered; // the day of entry (vvod)
};
// Count of other records with the same worker, operation, product, date, shift and
// colour; a change leaves the record itself out by its id.
QString duplicateCheck(const Record& r, std::optional<qint64> selfId = {});
QString insertStatement(const Record& r);
QString updateStatement(const Record& r, qint64 id);

} // namespace EntryRules
