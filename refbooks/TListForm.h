#pragma once
#include "TForm.h"
#include <functional>

class Query;
class QLineEdit;
class QPushButton;

// A reference list: a grid over a shared query with a search box, used as an editor
// (Tag 0) or, set up by a dialog, as a picker. The search filters the rows already read;
// in the search box Up and Down move the list.
class TListForm : public TForm {
    Q_OBJECT
public:
    using TForm::TForm;

public slots:
    // Editor mode makes "Добавить" the default button; a shown search box takes the focus.
    virtual void FormActivate();
    void Edit1Change();
    // True when the key is taken from the search box.
    bool Edit1KeyDown(int key);

protected:
    using FilterRule = std::function<QString(const QString&)>;
    // The rule turns a search text into a filter expression; an empty one shows every row.
    void setUpList(Query* list, QLineEdit* search, QPushButton* addButton, FilterRule rule);
    Query* list() const { return list_; }
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Query* list_ = nullptr;
    QLineEdit* search_ = nullptr;
    QPushButton* add_ = nullptr;
    FilterRule rule_;
};
