#pragma once
#include "TForm.h"
#include "app/rules/History.h"
#include <memory>

namespace Ui { class TForm30; }
class Query;
class QueryModel;

// The history of changes: who changed what and when, with the values before and after,
// filtered by period, table, worker and computer; or the whole history of one record.
class TForm30 : public TForm {
    Q_OBJECT
public:
    explicit TForm30(App& app);
    ~TForm30() override;

    // Opens modally on the filter; the listing is closed after.
    void showFor(const History::Filter& filter);
    Query* history = nullptr;

public slots:
    void Button1Click();

private:
    History::Filter filter() const;
    std::unique_ptr<Ui::TForm30> ui;
    QString key_; // the record shown alone, until the filter is used
    QueryModel* model_ = nullptr;
};
