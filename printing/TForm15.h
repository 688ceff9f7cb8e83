#pragma once
#include "ReportLayout.h"

class ProductionCalendar;

// Print layout: month timesheet of hours per worker and day (landscape).
class TForm15 : public ReportLayout {
    Q_OBJECT
public:
    explicit TForm15(App& app);
    Query* H_Tabel;
    // The days off of the month print red, their numbers and their hours alike.
    void markDays(int month, int year, ProductionCalendar& calendar);
};
