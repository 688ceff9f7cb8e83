#pragma once
#include "ReportLayout.h"

// Print layout: detailed report by product group.
class TForm21 : public ReportLayout {
    Q_OBJECT
public:
    explicit TForm21(App& app);
    Query* i_Report;
};
