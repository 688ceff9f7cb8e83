#pragma once
#include "TListForm.h"
#include <memory>

namespace Ui { class TForm4; }
class Query;
class QueryModel;

// Operations with their lowest norm price: search by mark, adding, changing, deleting,
// the norms of an operation; in selection mode (Tag 1) it hands the chosen operation to
// the journal entry dialog.
class TForm4 : public TListForm {
    Q_OBJECT
public:
    explicit TForm4(App& app);
    ~TForm4() override;

    // The export list: every operation with its own cena_new.
    Query* XLS_Rep;

    QueryModel* gridModel() const { return model_; }

public slots:
    void DBGrid1DblClick();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();


private:
    void openNorms();

    std::unique_ptr<Ui::TForm4> ui;
    QueryModel* model_ = nullptr;
};
