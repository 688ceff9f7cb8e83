#pragma once
#include "TListForm.h"
#include <memory>

namespace Ui { class TForm5; }
class QueryModel;

// The workers: search by the beginning of the name, adding, changing, deleting; in
// selection mode (Tag 1 or 24) it hands the chosen worker to the dialog that asked.
class TForm5 : public TListForm {
    Q_OBJECT
public:
    explicit TForm5(App& app);
    ~TForm5() override;

    QueryModel* gridModel() const { return model_; }

public slots:
    void DBGrid1DblClick();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();


private:
    void reopenAt(int recNo);

    std::unique_ptr<Ui::TForm5> ui;
    QueryModel* model_ = nullptr;
};
