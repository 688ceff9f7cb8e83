#pragma once
#include "TForm.h"
#include <memory>

namespace Ui { class TForm8; }
class QueryModel;

// Operation kinds: the list with its search box, adding, renaming and deleting kinds;
// in selection mode (Tag 1) it hands the chosen kind to the operation dialog.
class TForm8 : public TForm {
    Q_OBJECT
public:
    explicit TForm8(App& app);
    ~TForm8() override;

    QueryModel* gridModel() const { return model_; }

public slots:
    void FormActivate();
    void Edit1Change();
    // True when the key is taken from the search box.
    bool Edit1KeyDown(int key);
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void DBGrid1DblClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::TForm8> ui;
    QueryModel* model_ = nullptr;
};
