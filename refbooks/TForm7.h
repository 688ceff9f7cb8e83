#pragma once
#include "TForm.h"

// Placeholder until the window is built.
class TForm7 : public TForm {
    Q_OBJECT
public:
    explicit TForm7(App& app);
};
