#pragma once
#include "TForm.h"

// Placeholder until the window is built.
class TForm9 : public TForm {
    Q_OBJECT
public:
    explicit TForm9(App& app);
};
