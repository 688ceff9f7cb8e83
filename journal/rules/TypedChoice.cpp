#include "TypedChoice.h"
#include "EntryRules.h"
#include <QRegularExpression>

namespace TypedChoice {

QString folded(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text.toLower()) {
        if (c == QChar(0x0451))
            c = QChar(0x0435);
        if (c.isLetterOrNumber())
            out += c;
    }
    return out;
}

static bool allDigits(const QString& s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

QVector<int> workers(const QVector<Worker>& all, const QString& text)
{
    const QString t = text.trimmed();
    QVector<int> exact, more;
    const bool number = allDigits(t);
    const QString start = folded(t);
    for (int i = 0; i < all.size(); ++i) {
        if (number) {
            const QString id = QString::number(all[i].id);
            if (id == t)
                exact << i;
            else if (id.startsWith(t))
                more << i;
        } else if (folded(all[i].name).startsWith(start)) {
            more << i;
        }
    }
    return exact + more;
}

static QStringList words(const QString& text)
{
    static const QRegularExpression gaps(QStringLiteral("[\\s;]+"));
    QStringList out;
    for (const QString& w : text.split(gaps, Qt::SkipEmptyParts)) {
        const QString f = folded(w);
        if (!f.isEmpty())
            out << f;
    }
    return out;
}

QVector<int> operations(const QVector<Operation>& all, const QString& text)
{
    const QStringList typed = words(text);
    QVector<int> exact, more;
    for (int i = 0; i < all.size(); ++i) {
        const Operation& o = all[i];
        const QStringList parts = words(o.mark + QLatin1Char(' ') + o.kind + QLatin1Char(' ') + EntryRules::category(o.naimen));
        const QString id = QString::number(o.id);
        bool found = true, byId = false;
        for (const QString& w : typed) {
            const bool isId = w == id;
            byId = byId || isId;
            bool part = isId;
            for (const QString& p : parts)
                part = part || p.startsWith(w);
            found = found && part;
        }
        if (found)
            (byId ? exact : more) << i;
    }
    return exact + more;
}

} // namespace TypedChoice
