#pragma once
#include <QStringList>

// Statement texts of the shared data module, kept as the lines they are sent with.
namespace DataModuleSql {
extern const char* const Workers;
extern const char* const Izdel;
extern const char* const VidOper;
QStringList oper();
// Journal of one shift (1 to 4) of a day: parameters data and ok.
QStringList smena(int shift);
// Month grid of the shift timesheet (1 to 3): parameters mnth, yea, date1, date2.
QStringList hTabel(int shift);
extern const char* const OperDel;
extern const char* const UpdtOK;
} // namespace DataModuleSql
