#pragma once
#include "TForm.h"

// Placeholder until the window is built.
class TForm11 : public TForm {
    Q_OBJECT
public:
    explicit TForm11(App& app);
};
