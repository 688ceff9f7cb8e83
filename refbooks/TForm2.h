#pragma once
#include "TForm.h"

// Placeholder until the window is built.
class TForm2 : public TForm {
    Q_OBJECT
public:
    explicit TForm2(App& app);
};
