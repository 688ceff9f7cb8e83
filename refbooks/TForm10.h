#pragma once
#include "TForm.h"
#include <memory>

namespace Ui { class TForm10; }
class Command;
class Query;

// The operation dialog: product, operation kind and category of one operation.
class TForm10 : public TForm {
    Q_OBJECT
    Q_PROPERTY(int item_id MEMBER item_id)
    Q_PROPERTY(int kind_id MEMBER kind_id)
public:
    explicit TForm10(App& app);
    ~TForm10() override;

    // Written by the product and kind pickers; only overwritten, never reset.
    int item_id = 0;
    int kind_id = 0;
    // The first norm row of a new operation.
    Command* norm_ins;

public slots:
    void FormActivate();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();

private:
    // Shows a list window in selection mode over its list.
    void pick(const QString& window, Query* list);
    std::unique_ptr<Ui::TForm10> ui;
};
