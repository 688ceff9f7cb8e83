#pragma once
#include <QDate>

class Query;
class QWidget;

// What the windows need of the main window: the journal on show, its working day, day-off
// box and shift. The main window lives in the shell above every window and implements it.
class JournalDesk {
public:
    virtual ~JournalDesk() = default;
    virtual QWidget* deskWindow() = 0;
    virtual QDate workingDay() const = 0;
    virtual bool dayOff() const = 0;
    // cur_smena: the shift number on show.
    virtual int shift() const = 0;
    // The journal query of the shift on show, which becomes cur_query.
    virtual Query* currentQuery() = 0;
    // cur_query as the last handler left it (null before any).
    virtual Query* shownQuery() const = 0;
};
