#pragma once
#include "TForm.h"
#include "rules/ShiftTimesheet.h"
#include <QDate>
#include <QVector>
#include <memory>

namespace Ui { class TForm19; }
class Query;
class QueryModel;
class QTableView;

// The shift timesheet: a month's hours per worker and day, one grid per shift, rebuilt
// from the journal on request and printed through TForm15.
class TForm19 : public TForm {
    Q_OBJECT
public:
    explicit TForm19(App& app);
    ~TForm19() override;

    // Opens the window on the month of a working date, modally; the grids are closed after.
    void showFor(const QDate& workingDay);
    int month() const;
    int year() const;
    QueryModel* gridModel(int shift) const { return models_.value(shift - 1); }

public slots:
    void FormActivate();
    void ComboBox1Change();
    void Button1Click();
    void Button2Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();

private:
    QVariant look(const QueryModel& m, int row, int column, int role) const;
    QVector<Query*> queries() const;

    std::unique_ptr<Ui::TForm19> ui;
    QVector<QueryModel*> models_;
    ShiftTimesheet::DayMark marks_[31];
};
