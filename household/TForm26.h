#pragma once
#include "TForm.h"
#include <memory>
#include <optional>

namespace Ui { class TForm26; }
class Query;
class QueryModel;

// The nomenclature picker of the household work dialog: the groups of the classifier,
// searched by the beginning of the name; the search stays between showings.
class TForm26 : public TForm {
    Q_OBJECT
public:
    explicit TForm26(App& app);
    ~TForm26() override;

    struct Choice {
        qint64 id = 0;
        QString name;
    };
    // Shows the groups; the chosen one, when one was chosen.
    std::optional<Choice> pick();

    Query* item;
    QueryModel* gridModel() const { return model_; }

public slots:
    void FormActivate();
    void Button1Click();
    void Edit1Change();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::TForm26> ui;
    QueryModel* model_ = nullptr;
    std::optional<Choice> chosen_;
};
