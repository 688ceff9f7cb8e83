#include "TForm9.h"

TForm9::TForm9(App& a) : TForm(a) {}
