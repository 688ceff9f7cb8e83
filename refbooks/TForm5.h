#pragma once
#include "TForm.h"

// Placeholder until the window is built.
class TForm5 : public TForm {
    Q_OBJECT
public:
    explicit TForm5(App& app);
};
