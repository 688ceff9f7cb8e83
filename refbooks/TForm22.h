#pragma once
#include "TForm.h"

// Placeholder until the window is built.
class TForm22 : public TForm {
    Q_OBJECT
public:
    explicit TForm22(App& app);
};
