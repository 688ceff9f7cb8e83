#pragma once
#include "TForm.h"

// Placeholder until the window is built.
class TForm3 : public TForm {
    Q_OBJECT
public:
    explicit TForm3(App& app);
};
