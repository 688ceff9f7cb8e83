#pragma once
#include "TForm.h"
#include <memory>

namespace Ui { class TForm5; }
class QueryModel;

// The workers: search by the beginning of the name, adding, changing, deleting; in
// selection mode (Tag 1 or 24) it hands the chosen worker to the dialog that asked.
class TForm5 : public TForm {
    Q_OBJECT
public:
    explicit TForm5(App& app);
    ~TForm5() override;

    QueryModel* gridModel() const { return model_; }

public slots:
    void FormActivate();
    void Edit1Change();
    // True when the key is taken from the search box.
    bool Edit1KeyDown(int key);
    void DBGrid1DblClick();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void reopenAt(int recNo);

    std::unique_ptr<Ui::TForm5> ui;
    QueryModel* model_ = nullptr;
};
