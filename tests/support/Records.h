#pragma once
#include "journal/rules/EntryRules.h"

// A journal record as the entry dialog would save it: 10 pieces at 10, on 6 May 2025 in the
// first shift unless told otherwise.
inline EntryRules::Record journalRecord(qint64 worker, qint64 oper = 200, qint64 item = 100, qint64 hours = 7,
                                        qint64 colour = 0, const QDate& day = QDate(2025, 5, 6))
{
    EntryRules::Record r;
    r.worker = worker;
    r.item = item;
    r.oper = oper;
    r.price = 10;
    r.count = 10;
    r.hours = hours;
    r.colour = colour;
    r.date = day;
    r.shift = 1;
    r.entered = day;
    return r;
}
