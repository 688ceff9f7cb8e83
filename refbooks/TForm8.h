#pragma once
#include "TListForm.h"
#include <memory>

namespace Ui { class TForm8; }
class QueryModel;

// Operation kinds: the list with its search box, adding, renaming and deleting kinds;
// in selection mode (Tag 1) it hands the chosen kind to the operation dialog.
class TForm8 : public TListForm {
    Q_OBJECT
public:
    explicit TForm8(App& app);
    ~TForm8() override;

    QueryModel* gridModel() const { return model_; }

public slots:
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void DBGrid1DblClick();


private:
    std::unique_ptr<Ui::TForm8> ui;
    QueryModel* model_ = nullptr;
};
