#include "TDataModule6.h"
#include "App.h"
#include "Seam.h"
#include "rules/DataModuleSql.h"

namespace Sql = DataModuleSql;

TDataModule6::TDataModule6(App& app) : ADO_DB(QStringLiteral("ADO_DB")), app_(app), waiter_(app.seam())
{
    ADO_DB.setWaiter(&waiter_);
    setObjectName(QStringLiteral("TDataModule6"));
    Workers = query("Workers", Sql::Workers);
    Workers->setTable(QStringLiteral("accounts_dep.person"));
    Izdel = query("Izdel", Sql::Izdel);
    Oper = query("Oper", Sql::oper().join('\n'));
    Vid_oper = query("Vid_oper", Sql::VidOper);
    Vid_oper->setTable(QStringLiteral("accounts_dep.vid_oper"));
    Smena1 = query("Smena1", Sql::smena(1).join('\n'));
    Smena2 = query("Smena2", Sql::smena(2).join('\n'));
    Smena3 = query("Smena3", Sql::smena(3).join('\n'));
    Smena4 = query("Smena4", Sql::smena(4).join('\n'));
    Control = query("Control", {});
    H_Tabel_1 = query("H_Tabel_1", Sql::hTabel(1).join('\n'));
    H_Tabel_2 = query("H_Tabel_2", Sql::hTabel(2).join('\n'));
    H_Tabel_3 = query("H_Tabel_3", Sql::hTabel(3).join('\n'));
    DelSmena = command("DelSmena");
    H_Tabel_ins = command("H_Tabel_ins");
    SQL_exec = command("SQL_exec");
    Oper_ins = command("Oper_ins");
    Oper_ed = command("Oper_ed");
    Oper_del = command("Oper_del", Sql::OperDel);
}

TDataModule6::~TDataModule6()
{
    // Queries first, then the connection they run on.
    qDeleteAll(findChildren<Statement*>(Qt::FindDirectChildrenOnly));
}

Query* TDataModule6::query(const QString& name, const QString& sql)
{
    auto* q = new Query(ADO_DB, name, this);
    q->setSql(sql);
    return q;
}

Command* TDataModule6::command(const QString& name, const QString& sql)
{
    auto* c = new Command(ADO_DB, name, this);
    c->setSql(sql);
    return c;
}

Query* TDataModule6::smenaQuery(int shift) const
{
    switch (shift) {
    case 2: return Smena2;
    case 3: return Smena3;
    case 4: return Smena4;
    default: return Smena1;
    }
}

bool TDataModule6::CheckExists(const QString& statement, const QString& message)
{
    Control->close();
    Control->setSql(statement);
    Control->open();
    const qint64 cnt = Control->asInteger(QStringLiteral("cnt"));
    Control->close();
    if (cnt > 0) {
        app_.seam().message(QMessageBox::Critical, QStringLiteral("Ошибка"), message);
        return true;
    }
    return false;
}

QString TDataModule6::FixDelim(const QString& text) const
{
    int at = text.indexOf(QLatin1Char(','));
    if (at < 0)
        at = text.indexOf(QLatin1Char('.'));
    if (at < 0)
        return text;
    QString out = text;
    return out.replace(at, 1, delim);
}
