#pragma once
#include "Connection.h"
#include "Query.h"
#include "Seam.h"
#include <QObject>

class App;

// The shared data module: the one connection and the data objects several windows use.
class TDataModule6 : public QObject {
    Q_OBJECT
public:
    explicit TDataModule6(App& app);
    ~TDataModule6() override;

    Connection ADO_DB;

    Query* Workers;
    Query* Izdel;
    Query* Oper;
    Query* Vid_oper;
    Query* Smena1;
    Query* Smena2;
    Query* Smena3;
    Query* Smena4;
    Query* Control;
    Query* H_Tabel_1;
    Query* H_Tabel_2;
    Query* H_Tabel_3;
    Command* DelSmena;
    Command* H_Tabel_ins;
    Command* SQL_exec;
    Command* Oper_ins;
    Command* Oper_ed;
    Command* Oper_del;

    // The decimal separator the database expects in number literals (from accounts_dep.ver).
    QString delim = QStringLiteral(".");

    // The journal query of a shift; any other number counts as shift 1.
    Query* smenaQuery(int shift) const;
    QVector<Query*> smenaQueries() const { return {Smena1, Smena2, Smena3, Smena4}; }

public slots:
    // Runs a count statement (result column cnt); above 0 shows the message and returns true.
    bool CheckExists(const QString& statement, const QString& message);
    QString FixDelim(const QString& text) const;

private:
    Query* query(const QString& name, const QString& sql);
    Command* command(const QString& name, const QString& sql = {});

    App& app_;
    // The user is shown a long wait on ADO_DB and may give it up.
    SeamWaiter waiter_;
};
