#include "TForm3.h"

TForm3::TForm3(App& a) : TForm(a) {}
