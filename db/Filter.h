#pragma once
#include <QString>
#include <QVariant>
#include <functional>

class Table;

// Client-side filter over rows already read. Understands the two forms the windows use,
// joined by "and": a column equal to a number (naimen=0) and a column matched with like
// against a quoted pattern (fio like 'Ив%'), '' standing for an apostrophe inside it.
// Matching ignores letter case, as a search box should.
class Filter {
public:
    using FieldIndex = std::function<int(const QString&)>;
    // Throws DbError with a readable message when the expression is not understood.
    Filter(const QString& expression, const FieldIndex& index);
    bool accepts(const Table& rows, int row) const;

    static bool like(const QString& value, const QString& pattern);
    // The text for inside a quoted filter pattern.
    static QString escape(const QString& text);

private:
    struct Term {
        int column;
        bool isLike;
        double number;
        QString pattern;
    };
    QVector<Term> terms_;
};
