#include "TForm4.h"

TForm4::TForm4(App& a) : TForm(a) {}
