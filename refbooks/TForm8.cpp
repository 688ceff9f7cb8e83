#include "TForm8.h"

TForm8::TForm8(App& a) : TForm(a) {}
