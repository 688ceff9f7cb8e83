#include "TForm22.h"

TForm22::TForm22(App& a) : TForm(a) {}
