#pragma once
#include <QString>
#include <QVector>

// The entry dialog's series takes the worker and the operation as typed: these find them
// in the lists the dialog has read, best first.
namespace TypedChoice {

struct Worker {
    qint64 id = 0;
    QString name;
};
// A worker by number (the number itself first, then the numbers that begin with the digits
// typed so far) or by the start of the name; every worker for no text.
QVector<int> workers(const QVector<Worker>& all, const QString& text);

struct Operation {
    qint64 id = 0;
    QString mark, kind;
    qint64 naimen = 0;
};
// The operations every word of the text finds: the start of a word of the product's mark,
// of the operation's kind or of its category, or the operation's own number (those first).
// Case, "ё" and the signs between letters and digits do not count ("п1 фор" finds
// "П-1 Кирпичик; Формовка").
QVector<int> operations(const QVector<Operation>& all, const QString& text);

// The text as it is compared: lower case, "ё" as "е", letters and digits only.
QString folded(const QString& text);

} // namespace TypedChoice
