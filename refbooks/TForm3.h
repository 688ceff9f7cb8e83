#pragma once
#include "TListForm.h"
#include <memory>

namespace Ui { class TForm3; }
class Query;
class QueryModel;

// Products: the list with its search box, adding, changing and deleting products; in
// selection mode (Tag 1) it hands the chosen product to the operation dialog.
class TForm3 : public TListForm {
    Q_OBJECT
public:
    explicit TForm3(App& app);
    ~TForm3() override;

    // Counts before a deletion: journal records and operations of the product.
    Query* Izdel_Smena;
    Query* ii_oper;

    QueryModel* gridModel() const { return model_; }

public slots:
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void DBGrid1DblClick();


private:
    // Shows the product dialog as prepared; the list's cursor comes back to where it was.
    void openDialog();
    // Runs one of the two counts before a deletion for a product.
    qint64 countOf(Query* counter, qint64 id);

    std::unique_ptr<Ui::TForm3> ui;
    QueryModel* model_ = nullptr;
};
