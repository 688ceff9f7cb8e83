#pragma once
#include "TForm.h"
#include <memory>

namespace Ui { class TForm11; }
class Query;
class QDate;

// The journal entry dialog: a new record (Tag 1) or a change of the main window's
// current record (Tag 2). The worker and operation pickers write their choice into the
// members below by name.
class TForm11 : public TForm {
    Q_OBJECT
    Q_PROPERTY(int worker_id MEMBER worker_id)
    Q_PROPERTY(int oper_id MEMBER oper_id)
    Q_PROPERTY(int item_id MEMBER item_id)
    Q_PROPERTY(double final_price MEMBER final_price)
public:
    explicit TForm11(App& app);
    ~TForm11() override;

    int worker_id = 0;
    int oper_id = 0;
    int item_id = 0;
    double final_price = 0;

    // Before a showing for a new record on the working day.
    void prepareNew(const QDate& day);
    // Before a showing for a change of the record the query stands on.
    void prepareChange(const Query& record);

public slots:
    void FormActivate();
    void Button1Click();
    void Button3Click();
    void Button4Click();
    void Edit6Exit();
    // Prices the operation the current row of Oper stands on (the operation picker's choice).
    void takeOperation();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setColourEnabled(bool on);
    void showPrices();
    std::unique_ptr<Ui::TForm11> ui;
};
