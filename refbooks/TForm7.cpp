#include "TForm7.h"

TForm7::TForm7(App& a) : TForm(a) {}
