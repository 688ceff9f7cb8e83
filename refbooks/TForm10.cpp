#include "TForm10.h"

TForm10::TForm10(App& a) : TForm(a) {}
