#include "TForm5.h"

TForm5::TForm5(App& a) : TForm(a) {}
