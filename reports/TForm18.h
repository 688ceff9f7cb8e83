#pragma once
#include "TForm.h"
#include <QDate>
#include <memory>

class Query;
class ReportLayout;
namespace GroupedReading { struct Key; }
namespace ReportServer { struct Source; }

namespace Ui { class TForm18; }

// The period reports window: product kind, period, the report and export buttons.
class TForm18 : public TForm {
    Q_OBJECT
public:
    explicit TForm18(App& app);
    ~TForm18() override;

    // The product output of the period, for the spreadsheet export.
    Query* XLS_Rep;

    // The chosen product kind: 0 all, 1 finished products, 2 blanks.
    int productKind() const;

public slots:
    void setPeriod(const QDate& from, const QDate& to);
    void setProductKind(int index);
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();

private:
    // Runs one report: period and product kind onto its query, title, preview; a long
    // period is read a range of the report's first-level groups at a time.
    void runReport(ReportLayout& layout, Query& query, const GroupedReading::Key& groups, const QString& titlePrefix);
    // Says once that the reading fell back to the primary.
    std::unique_ptr<Ui::TForm18> ui;
};
