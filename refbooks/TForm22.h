#pragma once
#include "TForm.h"
#include <QModelIndex>
#include <memory>

namespace Ui { class TForm22; }
class Query;
class QueryModel;
class QLineEdit;

// The norm rows of one operation in an editable grid, typed into as in a spreadsheet: a
// changed cell of a stored row is stored as soon as the user leaves it, a new row once it
// is complete or left; the last norm row cannot be deleted here.
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
    // A new norm row below the others (Insert, or Down on the last row).
    void DBGrid1Append();
    // Tab, Enter (step 1) and Shift+Tab (-1): the next cell of the row, then the next row,
    // a new one after the last; the row is stored once complete or left.
    void DBGrid1Step(int step);
    void Button1Click();
    void Button2Click();
    // Reads the operation's rows again, staying on the row and column the user is in.
    void Reread();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    void cellChanged(const QModelIndex& current, const QModelIndex& previous);
    // A cell left: a changed row is stored and the rows read again; a new row only once
    // it is complete or left.
    void leaveCell(bool leavingRow);
    void scheduleReread();
    bool storeDue(bool leavingRow) const;
    bool rowComplete() const;
    void nextRow(int row, bool afterNew);
    QLineEdit* openEditor() const;
    void commitEditor();
    void claimNewRow();

    std::unique_ptr<Ui::TForm22> ui;
    QueryModel* model_ = nullptr;
    bool rereadPending_ = false;
};
