#include "TForm11.h"

TForm11::TForm11(App& a) : TForm(a) {}
