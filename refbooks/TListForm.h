#pragma once
#include "TForm.h"
#include <functional>
#include <optional>

class Query;
class QLineEdit;
class QPushButton;

// A reference list: a grid over a shared query with a search box, used as an editor
// (Tag 0, opened from the menu) or as a picker (Tag: the number of the dialog that asked),
// which hands back the chosen row. The search filters the rows already read; in the
// search box Up and Down move the list.
class TListForm : public TForm {
    Q_OBJECT
public:
    using TForm::TForm;

    // The row a picker hands back.
    struct Choice {
        qint64 id = 0;
        QString name;
    };
    struct PickOptions {
        bool hideSearchAfter = true; // the search box goes away again after picking
        bool closeAfter = true;      // the list is closed after picking, else left on the choice
        std::function<void(Query&)> position; // where the cursor starts
    };
    // Editor: Tag 0, "Изменить" not the default, adding and deleting shown; the list read
    // anew and filtered by whatever the search box holds.
    void openAsEditor();
    // Picker for the dialog numbered tag: "Выбрать" the default, adding and deleting hidden,
    // the search box shown and emptied, the list read anew. The choice, when one was made.
    std::optional<Choice> pick(int tag, const PickOptions& options);
    std::optional<Choice> pick(int tag) { return pick(tag, PickOptions{}); }

public slots:
    // Editor mode makes "Добавить" the default button; a shown search box takes the focus.
    virtual void FormActivate();
    void Edit1Change();
    // True when the key is taken from the search box.
    bool Edit1KeyDown(int key);

protected:
    using FilterRule = std::function<QString(const QString&)>;
    struct Controls {
        QLineEdit* search;
        QPushButton* add;
        QPushButton* change;
        QPushButton* remove;
    };
    // The rule turns a search text into a filter expression; an empty one shows every row.
    void setUpList(Query* list, const Controls& controls, FilterRule rule);
    Query* list() const { return list_; }
    // A picker hands the row back and closes.
    void choose(qint64 id, const QString& name);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void toManagement();
    void toSelection(int tag);
    void afterSelection();

    Query* list_ = nullptr;
    Controls c_{};
    FilterRule rule_;
    std::optional<Choice> chosen_;
};
