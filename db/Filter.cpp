#include "Filter.h"
#include "DbError.h"
#include "Table.h"
#include <QRegularExpression>

namespace {
[[noreturn]] void bad(const QString& expression)
{
    throw DbError(QStringLiteral("Фильтр не распознан: %1").arg(expression));
}

// Reads one "column op value" term starting at pos; moves pos past it.
bool readTerm(const QString& s, int& pos, QString& column, bool& isLike, QString& value)
{
    static const QRegularExpression head(QStringLiteral(R"(\G\s*([A-Za-z_][A-Za-z0-9_.]*)\s*(=|like\b)\s*)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const auto m = head.match(s, pos, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
    if (!m.hasMatch())
        return false;
    column = m.captured(1);
    isLike = m.captured(2).toLower() == QLatin1String("like");
    pos = m.capturedEnd();
    if (pos < s.size() && s[pos] == QLatin1Char('\'')) {
        value.clear();
        int i = pos + 1;
        for (;; ++i) {
            if (i >= s.size())
                return false;
            if (s[i] == QLatin1Char('\'')) {
                if (i + 1 < s.size() && s[i + 1] == QLatin1Char('\'')) { value += QLatin1Char('\''); ++i; continue; }
                break;
            }
            value += s[i];
        }
        pos = i + 1;
        return true;
    }
    static const QRegularExpression number(QStringLiteral(R"(\G-?[0-9]+(\.[0-9]+)?)"));
    const auto n = number.match(s, pos, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
    if (!n.hasMatch() || isLike)
        return false;
    value = n.captured(0);
    pos = n.capturedEnd();
    return true;
}
} // namespace

Filter::Filter(const QString& expression, const FieldIndex& index)
{
    static const QRegularExpression andWord(QStringLiteral(R"(\G\s+and\s+)"), QRegularExpression::CaseInsensitiveOption);
    int pos = 0;
    for (;;) {
        QString column, value;
        bool isLike = false;
        if (!readTerm(expression, pos, column, isLike, value))
            bad(expression);
        const int c = index(column);
        if (c < 0)
            bad(expression);
        terms_.push_back({c, isLike, isLike ? 0.0 : value.toDouble(), value.toCaseFolded()});
        if (expression.mid(pos).trimmed().isEmpty())
            break;
        const auto m = andWord.match(expression, pos, QRegularExpression::NormalMatch,
                                     QRegularExpression::AnchorAtOffsetMatchOption);
        if (!m.hasMatch())
            bad(expression);
        pos = m.capturedEnd();
    }
}

bool Filter::accepts(const Table& rows, int row) const
{
    for (const Term& t : terms_) {
        const QVariant v = rows.value(row, t.column);
        if (t.isLike) {
            if (v.isNull() || !like(v.toString().toCaseFolded(), t.pattern))
                return false;
        } else {
            bool ok = false;
            const double d = v.toString().trimmed().toDouble(&ok);
            if (v.isNull() || !ok || d != t.number)
                return false;
        }
    }
    return true;
}

// '%' matches any run of characters; everything else matches itself.
bool Filter::like(const QString& value, const QString& pattern)
{
    const QStringList parts = pattern.split(QLatin1Char('%'));
    if (parts.size() == 1)
        return value == pattern;
    if (!value.startsWith(parts.first()))
        return false;
    int pos = parts.first().size();
    for (int i = 1; i < parts.size() - 1; ++i) {
        const int found = value.indexOf(parts[i], pos);
        if (found < 0)
            return false;
        pos = found + parts[i].size();
    }
    const QString& last = parts.last();
    return value.size() - pos >= last.size() && value.endsWith(last);
}

QString Filter::escape(const QString& text)
{
    QString out = text;
    return out.replace(QLatin1Char('\''), QLatin1String("''"));
}
