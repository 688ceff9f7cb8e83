#pragma once
#include "ReportLayout.h"

// Print layout: month timesheet of hours per worker and day (landscape).
class TForm15 : public ReportLayout {
    Q_OBJECT
public:
    explicit TForm15(App& app);
    Query* H_Tabel;
};
