#pragma once
#include "Paginator.h"
#include "Report.h"
#include <QWidget>

class App;
class Query;

// A query's shown rows (its client-side filter applied) as the rows of a report.
// A query's rows; rows still being read come in as the layout asks for them (a query
// given as const is taken as it is).
class QuerySource : public Rep::Source {
public:
    explicit QuerySource(Query& q) : q_(q), reading_(&q) {}
    explicit QuerySource(const Query& q) : q_(q) {}
    QStringList fieldNames() const override;
    int rowCount() const override;
    QVariant value(int row, int column) const override;
    bool isNumeric(int column) const override;
    bool isNull(int row, int column) const override;
    double number(int row, int column) const override;
    QString text(int row, int column) const override;
    bool complete() const override;
    void more(bool wait) const override;
    bool failed() const override;

private:
    const Query& q_;
    Query* reading_ = nullptr;
};

// Base of the print layout classes (TForm15 …): the report object QuickRep1 and its
// preview. Created with the windows and never shown itself.
class ReportLayout : public QWidget {
    Q_OBJECT
public:
    explicit ReportLayout(App& app);
    Rep::Report QuickRep1;

    // Lays the report out over the query's shown rows and shows the preview modally.
    void preview(Query& query);

protected:
    Query* makeQuery(const QString& name, const QStringList& sql);
    App& app;
};

// Bands and elements the four period reports share.
namespace PeriodBands {
// The light grey title band with QRLabel1 and column headings, and the spacer after it.
Rep::Band title(QVector<Rep::Element> headings = {}, double titlePt = 10);
// A group header printing the field in bold at the left edge.
Rep::Band header(const QString& name, const QString& field, bool grey);
Rep::Band detail(QVector<Rep::Element> elements, double height = 5);
// A total: bold MS Sans Serif on pale grey, centred.
Rep::Element total(const QString& expression, double x, double w, double pt, const QString& mask = {});
Rep::Band footer(const QString& name, QVector<Rep::Element> totals);
// The framed grey report footer starting with "Итого:".
Rep::Band summary(double labelX, QVector<Rep::Element> totals);
Rep::Band pageFooter();
Rep::Group reportGroup(QVector<Rep::Element> headings, QVector<Rep::Element> totals, double labelX,
                       double titlePt = 10);
Rep::Group group(const QString& field, bool grey, QVector<Rep::Element> totals, bool keepWithFooter);
extern const QString kKindText;
extern const QString kColourText;
} // namespace PeriodBands
