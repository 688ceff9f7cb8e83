#pragma once
#include "TForm.h"
#include "timesheets/rules/MonthSheets.h"
#include <memory>

namespace Ui { class TForm27; }
class Query;
class QueryModel;

// The monthly timesheet of hours and earnings in four variants (piece work, household
// works, average piece rate, general), with the month's four money totals under it.
class TForm27 : public TForm {
    Q_OBJECT
public:
    explicit TForm27(App& app);
    ~TForm27() override;

    Query* H_Tabel0;
    Query* H_Tabel7777;
    Query* H_Tabel7778;
    Query* H_Tabel_all;
    Query* all_price;
    Query* price;
    Query* price7;
    Query* price8;
    // The shown one of the four timesheet queries.
    Query* cur_tabel = nullptr;
    QueryModel* gridModel() const { return model_; }

    // Caption, tag, query and columns of the variant, this month of this year, read.
    void prepare(MonthSheets::Variant v);
    // After the showing: the shown query is closed.
    void finish();

public slots:
    void ComboBox1Change();
    void Button5Click();
    void Button2Click();

private:
    QVariant look(int row, int column, int role) const;
    void markDays();

    std::unique_ptr<Ui::TForm27> ui;
    QueryModel* model_ = nullptr;
    MonthSheets::Variant variant_ = MonthSheets::Variant::PieceWork;
    int month_ = 1;
    int year_ = 2007;
    bool dayOff_[31] = {}; // the month's days off, red
};
