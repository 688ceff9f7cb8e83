#include "TForm2.h"

TForm2::TForm2(App& a) : TForm(a) {}
