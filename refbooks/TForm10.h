#pragma once
#include "TForm.h"

// Placeholder until the window is built.
class TForm10 : public TForm {
    Q_OBJECT
public:
    explicit TForm10(App& app);
};
