#include "EntryRules.h"
#include "DisplayText.h"
#include "SqlText.h"
#include <cmath>

namespace EntryRules {

const char* const IncompleteMessage = "Все поля должны быть заполнены!";
const char* const DuplicateMessage = "Позиция с такими параметрами уже заведена!";

double finalPrice(double base, bool dayOff, int shift)
{
    double price = base;
    if (dayOff)
        price *= 2;
    if (shift == 3)
        price *= 1.2;
    else if (shift == 4)
        price *= 1.5;
    return price;
}

double roundPrice(double value)
{
    const double scaled = value * 10000;
    const double below = std::floor(scaled);
    const double rest = scaled - below;
    double n = below;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(below, 2) != 0))
        n = below + 1;
    // Divided rather than multiplied by 0.0001: the result is then the double nearest to
    // the four-decimal value and prints without a tail of digits.
    const double r = n / 10000;
    return r == 0 ? 0 : r;
}

QString priceText(double value, const QLocale& locale) { return DisplayText::number(roundPrice(value), {}, locale); }

QString priceSql(double value) { return SqlText::num(roundPrice(value)); }

QString category(qint64 naimen)
{
    return naimen == 0 ? QStringLiteral("Готовая продукция") : QStringLiteral("Заготовки");
}

QString operationText(const QString& mark, const QString& kind, qint64 naimen)
{
    return mark.trimmed() + QStringLiteral("; ") + kind.trimmed() + QStringLiteral("; ") + category(naimen);
}

bool isPainting(const QString& text) { return text.toUpper().contains(QStringLiteral("КРАСКА")); }

static bool blank(const QString& s) { return s.trimmed().isEmpty(); }

std::optional<Field> missingField(const Input& in)
{
    const std::pair<Field, bool> checks[] = {
        {Field::Fio, blank(in.fio)},
        {Field::Operation, blank(in.operation)},
        {Field::Count, blank(in.count)},
        {Field::Defects, blank(in.defects)},
        {Field::Colour, isPainting(in.operation) && blank(in.colour)},
        {Field::Hours, blank(in.hours)},
    };
    for (const auto& [field, missing] : checks)
        if (missing)
            return field;
    return std::nullopt;
}

bool incomplete(const Input& in) { return missingField(in).has_value(); }

QString numberProblem(const QVector<NumberField>& fields)
{
    for (const NumberField& f : fields) {
        const QString t = f.text.trimmed();
        if (t.isEmpty())
            continue;
        bool digits = true;
        for (QChar c : t)
            digits = digits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (!digits)
            return QStringLiteral("В поле \"%1\" допустимы только цифры!").arg(f.label);
        bool ok = false;
        const qint64 v = t.toLongLong(&ok);
        if (!ok || v > f.max)
            return QStringLiteral("Значение поля \"%1\" должно быть не более %2!").arg(f.label).arg(f.max);
    }
    return {};
}

qint64 number(const QString& text) { return text.trimmed().toLongLong(); }

const char* const DefectsMessage = "Значение поля \"Брак\" не может быть больше значения поля \"Кол-во\"!";

bool tooManyDefects(const QString& count, const QString& defects) { return number(defects) > number(count); }

using SqlText::num;

QString duplicateCheck(const Record& r, std::optional<qint64> selfId)
{
    QString s = QStringLiteral("select count(id) as cnt from accounts_dep.SMENA where w_id=") + num(r.worker)
        + QStringLiteral(" and o_id=") + num(r.oper)
        + QStringLiteral(" and i_id=") + num(r.item)
        + QStringLiteral(" and data=to_date('") + SqlText::dmy(r.date)
        + QStringLiteral("', 'DD.MM.YYYY') and smena=") + num(qint64(r.shift));
    if (selfId)
        s += QStringLiteral(" and id<>") + num(*selfId);
    return s + QStringLiteral(" and color=") + num(r.colour);
}

QString insertStatement(const Record& r)
{
    return QStringLiteral("insert into accounts_dep.SMENA(w_id, i_id, o_id, cena, kol_vo, brak, data, smena, color, time, vvod,ok, "
                          "prize, id_doc, id_doc_item, f_gds_qty_use, id_gds_use, id_cons_use) values(")
        + num(r.worker) + QStringLiteral(", ") + num(r.item) + QStringLiteral(", ") + num(r.oper) + QStringLiteral(", ")
        + priceSql(r.price) + QStringLiteral(",") + num(r.count) + QStringLiteral(", ") + num(r.defects)
        + QStringLiteral(", to_date('") + SqlText::dmy(r.date) + QStringLiteral("', 'DD.MM.YYYY HH24:MI:SS'), ")
        + num(qint64(r.shift)) + QStringLiteral(", ") + num(r.colour) + QStringLiteral(", ") + num(r.hours)
        + QStringLiteral(", '") + SqlText::dmy(r.entered) + QStringLiteral("', 'no', 0, 0, 0, 0, 0, 0)");
}

QString updateStatement(const Record& r, qint64 id)
{
    return QStringLiteral("update accounts_dep.SMENA set w_id=") + num(r.worker) + QStringLiteral(", i_id=") + num(r.item)
        + QStringLiteral(", o_id=") + num(r.oper) + QStringLiteral(", cena=") + priceSql(r.price)
        + QStringLiteral(", kol_vo=") + num(r.count) + QStringLiteral(", brak=") + num(r.defects)
        + QStringLiteral(", data=to_date('") + SqlText::dmy(r.date) + QStringLiteral("', 'DD.MM.YYYY'), smena=")
        + num(qint64(r.shift)) + QStringLiteral(", color=") + num(r.colour) + QStringLiteral(", time=") + num(r.hours)
        + QStringLiteral(", vvod='") + SqlText::dmy(r.entered)
        + QStringLiteral("', prize=0, id_doc=0, id_doc_item=0, f_gds_qty_use=0, id_gds_use=0, id_cons_use=0 where id=")
        + num(id);
}

} // namespace EntryRules
