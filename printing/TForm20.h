#pragma once
#include "ReportLayout.h"

// Print layout: detailed report by worker.
class TForm20 : public ReportLayout {
    Q_OBJECT
public:
    explicit TForm20(App& app);
    Query* w_Report;
};
