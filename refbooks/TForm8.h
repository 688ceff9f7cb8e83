#pragma once
#include "TForm.h"

// Placeholder until the window is built.
class TForm8 : public TForm {
    Q_OBJECT
public:
    explicit TForm8(App& app);
};
