#pragma once
#include "ReportLayout.h"

// Print layout: summary by product group, boxes and pieces.
class TForm17 : public ReportLayout {
    Q_OBJECT
public:
    explicit TForm17(App& app);
    Query* t_Report;
};
