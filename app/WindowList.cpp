// The windows besides the main and login windows, created once at start-up, hidden,
// in the program's order.
#include "App.h"
#include "reports/TForm18.h"
#include <functional>

namespace {
struct Entry {
    const char* name;
    std::function<QWidget*(App&)> create;
};

const Entry kWindows[] = {
    {"TForm18", [](App& a) { return new TForm18(a); }},
};
} // namespace

void App::createOtherWindows()
{
    for (const Entry& e : kWindows)
        addWindow(e.create(*this));
}
