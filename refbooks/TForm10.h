#pragma once
#include "TForm.h"
#include <memory>

namespace Ui { class TForm10; }

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

    // What the dialog shows of a product or kind: its name and id.
    struct Named {
        QString name;
        int id = 0;
    };
    // Before a showing for a new operation: no product, no kind, finished products.
    void prepareNew();
    // Before a showing for a change of operation id.
    void prepareChange(const Named& product, const Named& kind, int naimen, int id);

public slots:
    void FormActivate();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();

private:
    int operId_ = 0;
    std::unique_ptr<Ui::TForm10> ui;
};
