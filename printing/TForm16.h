#pragma once
#include "ReportLayout.h"

// Print layout: summary by worker, product group totals inside each worker.
class TForm16 : public ReportLayout {
    Q_OBJECT
public:
    explicit TForm16(App& app);
    Query* t_Report;
};
