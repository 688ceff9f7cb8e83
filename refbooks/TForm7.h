#pragma once
#include "TForm.h"
#include <memory>

namespace Ui { class TForm7; }
class Query;

// The product dialog: mark, value (boxes per piece) and nomenclature group of a new
// product (Tag 1) or of the current product of the list (Tag 2).
class TForm7 : public TForm {
    Q_OBJECT
public:
    explicit TForm7(App& app);
    ~TForm7() override;

    // Nomenclature groups for the group list; opened by whoever shows the dialog.
    Query* item;

    // Before a showing for a new product: empty fields, the group of the last use.
    void prepareNew();
    // Before a showing for a change of product id.
    void prepareChange(const QString& mark, const QString& value, qint64 groupId, qint64 id);

public slots:
    void FormActivate();
    void cb_itemChange();
    void Button1Click();
    void Button2Click();

private:
    void fillGroups();

    std::unique_ptr<Ui::TForm7> ui;
    qint64 groupId_ = 0;
    qint64 productId_ = 0;
    bool filling_ = false;
};
