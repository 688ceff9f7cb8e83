#pragma once
#include "TForm.h"

// Placeholder until the window is built.
class TForm4 : public TForm {
    Q_OBJECT
public:
    explicit TForm4(App& app);
};
