#pragma once
#include "TForm.h"
#include <QModelIndex>
#include <memory>

namespace Ui { class TForm22; }
class Query;
class QueryModel;

// The norm rows of one operation in an editable grid: every changed cell is stored as
// soon as the user leaves it; the last norm row cannot be deleted here.
class TForm22 : public TForm {
    Q_OBJECT
public:
    explicit TForm22(App& app);
    ~TForm22() override;

    // accounts_dep.norm, filtered by the opener to one operation.
    Query* norm;
    // The operation whose norms are shown; new rows belong to it.
    int oper_id = 0;

    QueryModel* gridModel() const { return model_; }

public slots:
    void FormActivate();
    // A cell left for another one: a changed row is stored and the rows read again.
    void DBGrid1ColExit();
    // A new norm row below the others (Insert, or Down on the last row).
    void DBGrid1Append();
    void Button1Click();
    void Button2Click();
    // Reads the operation's rows again, staying on the row and column the user is in.
    void Reread();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    void cellChanged(const QModelIndex& current, const QModelIndex& previous);
    void commitEditor();
    void claimNewRow();

    std::unique_ptr<Ui::TForm22> ui;
    QueryModel* model_ = nullptr;
    bool rereadPending_ = false;
};
