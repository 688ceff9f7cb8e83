#include "ReportLayout.h"
#include "App.h"
#include "Query.h"
#include "ReportPreview.h"
#include "Seam.h"
#include "TDataModule6.h"
#include <charconv>

QStringList QuerySource::fieldNames() const { return q_.fieldNames(); }
int QuerySource::rowCount() const { return q_.recordCount(); }
QVariant QuerySource::value(int row, int column) const { return q_.valueAt(row, column); }
bool QuerySource::isNumeric(int column) const { return q_.isNumeric(column); }
bool QuerySource::isNull(int row, int column) const { return q_.rows().isNull(q_.rowAt(row), column); }
bool QuerySource::complete() const { return q_.complete() || !reading_; }
bool QuerySource::failed() const { return q_.readingFailed(); }

void QuerySource::more(bool wait) const
{
    if (reading_)
        reading_->fetchMore(wait);
}

QString QuerySource::text(int row, int column) const
{
    const Table& t = q_.rows();
    const int at = q_.rowAt(row);
    return t.kind(column) == Table::Kind::Text ? t.text(at, column) : t.value(at, column).toString();
}

double QuerySource::number(int row, int column) const
{
    const Table& t = q_.rows();
    const int at = q_.rowAt(row);
    switch (t.kind(column)) {
    case Table::Kind::Integer:
        return double(t.integer(at, column));
    case Table::Kind::Double:
        return t.real(at, column);
    case Table::Kind::Text: {
        // Exact decimals come as the server's text, which is C-locale.
        const QByteArrayView v = t.utf8(at, column);
        double d = 0;
        const auto r = std::from_chars(v.data(), v.data() + v.size(), d);
        return r.ec == std::errc() ? d : t.value(at, column).toDouble();
    }
    default:
        return t.value(at, column).toDouble();
    }
}

ReportLayout::ReportLayout(App& a) : app(a) {}

Query* ReportLayout::makeQuery(const QString& name, const QStringList& sql)
{
    auto* q = new Query(app.DataModule6()->ADO_DB, name, this);
    q->setSql(sql);
    q->setPlannedEachTime(true);
    return q;
}

void ReportLayout::preview(Query& query)
{
    const QuerySource source(query);
    const std::unique_ptr<Rep::Paginator> doc = QuickRep1.prepare(source);
    ReportPreview window(app.seam(), *doc, QuickRep1.zoom, app.seam().activeWindow());
    app.seam().showModal(&window);
}

namespace PeriodBands {
using namespace Rep;

const QString kKindText = QStringLiteral("IF(naimen=0,'Готовая продукция','Заготовки')");
const QString kColourText = QStringLiteral("if(color>0,if(color=1,' (грунт)',' (RAL: '+STR(color)+')'),' ')");
const QString kTotalsFont = QStringLiteral("MS Sans Serif");

Band title(QVector<Element> headings, double titlePt)
{
    Band b;
    b.name = QStringLiteral("title");
    b.height = 8;
    b.background = QColor(0xF4, 0xF4, 0xF4);
    b.elements << label(QString(), 0).named(QStringLiteral("QRLabel1")).withFont(QStringLiteral("Arial"), titlePt, true)
                      .at(0, 8);
    // The headings go on a line of their own under the title, which is longer than the
    // room left of them.
    if (!headings.isEmpty())
        b.height = 13;
    for (Element& h : headings)
        h.at(7.5, 5);
    b.elements << headings;
    Band spacer;
    spacer.name = QStringLiteral("spacer");
    spacer.height = 0.5;
    b.child.push_back(spacer);
    return b;
}

Band header(const QString& name, const QString& f, bool grey)
{
    Band b;
    b.name = name;
    b.height = 6;
    if (grey)
        b.background = QColor(0xE0, 0xE0, 0xE0);
    b.elements << field(f, 0, 130).bold();
    return b;
}

Band detail(QVector<Element> elements, double height)
{
    Band b;
    b.name = QStringLiteral("detail");
    b.height = height;
    b.elements = std::move(elements);
    return b;
}

Element total(const QString& expression, double x, double w, double pt, const QString& mask)
{
    return expr(expression, x, w).withFont(kTotalsFont, pt, true).centre().filled(QColor(0xEF, 0xEF, 0xEF))
        .withMask(mask).at(0.5, 0);
}

Band footer(const QString& name, QVector<Element> totals)
{
    Band b;
    b.name = name;
    b.height = 6;
    for (Element& e : totals)
        e.h = 5, e.reset = true;
    b.elements = std::move(totals);
    return b;
}

Band summary(double labelX, QVector<Element> totals)
{
    Band b;
    b.name = QStringLiteral("summary");
    b.height = 8;
    b.background = QColor(0xDC, 0xDC, 0xDC);
    b.frame = FrameAll;
    b.elements << label(QStringLiteral("Итого:"), labelX, 22).withFont(kTotalsFont, 11, true);
    for (Element& e : totals)
        e.y = 1, e.h = 6;
    b.elements << totals;
    return b;
}

Band pageFooter()
{
    Band b;
    b.name = QStringLiteral("page footer");
    b.height = 6;
    b.elements << pageNumber(176, 14).withFont(QStringLiteral("Arial"), 9);
    return b;
}

Group reportGroup(QVector<Element> headings, QVector<Element> totals, double labelX, double titlePt)
{
    Group g;
    g.header = title(std::move(headings), titlePt);
    g.footer = summary(labelX, std::move(totals));
    return g;
}

Group group(const QString& f, bool grey, QVector<Element> totals, bool keepWithFooter)
{
    Group g;
    g.expression = f;
    g.header = header(QStringLiteral("header ") + f, f, grey);
    g.footer = footer(QStringLiteral("footer ") + f, std::move(totals));
    g.keepWithFooter = keepWithFooter;
    return g;
}
} // namespace PeriodBands
