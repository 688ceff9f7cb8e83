#include "SqlText.h"
#include <QDateTime>
#include <QLocale>
#include <functional>

namespace SqlText {

QString escape(const QString& text)
{
    QString out = text;
    return out.replace(QLatin1Char('\''), QLatin1String("''"));
}

QString quote(const QString& text) { return QLatin1Char('\'') + escape(text) + QLatin1Char('\''); }

QString num(qint64 value) { return QString::number(value); }

QString num(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    // Fixed notation: the shortest digits that read back as the same value, no exponent.
    return QLocale::c().toString(value, 'f', QLocale::FloatingPointShortest);
}

QString dmy(const QDate& date) { return date.toString(QStringLiteral("dd.MM.yyyy")); }

QString literal(const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return QStringLiteral("NULL");
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return num(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return num(value.toDouble());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::QDate:
        return quote(value.toDate().toString(Qt::ISODate));
    case QMetaType::QDateTime:
        return quote(value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    default:
        return quote(value.toString());
    }
}

static bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

// Walks the text and replaces each :name that has a value; literals, quoted identifiers
// and :: casts are left as they are.
static QString substitute(const QString& text, const QHash<QString, QVariant>& params,
                          const std::function<QString(const QString& name, const QVariant& value)>& replace)
{
    QString out;
    out.reserve(text.size() + 32);
    const int n = text.size();
    for (int i = 0; i < n;) {
        const QChar c = text[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            int j = i + 1;
            while (j < n) {
                if (text[j] == c) {
                    if (j + 1 < n && text[j + 1] == c) { j += 2; continue; }
                    break;
                }
                ++j;
            }
            out += text.mid(i, j + 1 - i);
            i = j + 1;
        } else if (c == QLatin1Char(':') && i + 1 < n && text[i + 1] == QLatin1Char(':')) {
            out += QLatin1String("::");
            i += 2;
        } else if (c == QLatin1Char(':') && i + 1 < n && isNameChar(text[i + 1])) {
            int j = i + 1;
            while (j < n && isNameChar(text[j]))
                ++j;
            const QString name = text.mid(i + 1, j - i - 1).toLower();
            auto it = params.constFind(name);
            out += it == params.constEnd() ? text.mid(i, j - i) : replace(name, *it);
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

QString bind(const QString& text, const QHash<QString, QVariant>& params)
{
    if (params.isEmpty())
        return text;
    return substitute(text, params, [](const QString&, const QVariant& v) { return literal(v); });
}

QString placeholders(const QString& text, const QHash<QString, QVariant>& params, QStringList& names)
{
    names.clear();
    return substitute(text, params, [&names](const QString& name, const QVariant&) {
        int at = names.indexOf(name);
        if (at < 0) {
            names << name;
            at = names.size() - 1;
        }
        return QStringLiteral("$%1").arg(at + 1);
    });
}

QString workerNumber(const QString& column)
{
    // The blanks are exactly those a conversion to numeric skips: a wider class such as
    // \s also takes Unicode spaces, which the conversion refuses. Unbounded digits keep
    // the test cheap (any count of them converts), and a code whose first character is no
    // blank, sign or digit is passed over before the pattern is tried at all.
    static const QString kWhole = QStringLiteral("'^[ \\t\\n\\r\\f\\v]*[-+]?[0-9]+[ \\t\\n\\r\\f\\v]*$'");
    return QStringLiteral("case when ascii(%1) between 9 and 57 and %1 ~ %2 then %1::numeric end").arg(column, kWhole);
}

QString personsNumbered(const QString& numbers)
{
    return QStringLiteral("(select id, s_caption, s_code from cmn_contractor.person where %1 in (%2))")
        .arg(workerNumber(QStringLiteral("s_code")), numbers);
}

} // namespace SqlText
