// The program's windows, created once at start-up in the program's order: the main window
// with the connection and the login, then the others, hidden.
#include "Program.h"
#include "App.h"
#include "DbError.h"
#include "Seam.h"
#include "TForm1.h"
#include "TForm23.h"
#include "refbooks/TForm2.h"
#include "refbooks/TForm3.h"
#include "refbooks/TForm4.h"
#include "refbooks/TForm5.h"
#include "refbooks/TForm7.h"
#include "refbooks/TForm8.h"
#include "refbooks/TForm9.h"
#include "refbooks/TForm10.h"
#include "journal/TForm11.h"
#include "printing/TForm15.h"
#include "printing/TForm16.h"
#include "printing/TForm17.h"
#include "reports/TForm18.h"
#include "printing/TForm20.h"
#include "printing/TForm21.h"
#include "refbooks/TForm22.h"
#include "timesheets/TForm19.h"
#include "household/TForm24.h"
#include "household/TForm25.h"
#include "household/TForm26.h"
#include "timesheets/TForm27.h"
#include "timesheets/TForm29.h"
#include "reports/TForm30.h"
#include <functional>

namespace {
struct Entry {
    const char* name;
    std::function<QWidget*(App&)> create;
};

const Entry kWindows[] = {
    {"TForm2", [](App& a) { return new TForm2(a); }},
    {"TForm3", [](App& a) { return new TForm3(a); }},
    {"TForm4", [](App& a) { return new TForm4(a); }},
    {"TForm5", [](App& a) { return new TForm5(a); }},
    {"TForm7", [](App& a) { return new TForm7(a); }},
    {"TForm8", [](App& a) { return new TForm8(a); }},
    {"TForm9", [](App& a) { return new TForm9(a); }},
    {"TForm10", [](App& a) { return new TForm10(a); }},
    {"TForm11", [](App& a) { return new TForm11(a); }},
    {"TForm18", [](App& a) { return new TForm18(a); }},
    {"TForm19", [](App& a) { return new TForm19(a); }},
    {"TForm21", [](App& a) { return new TForm21(a); }},
    {"TForm15", [](App& a) { return new TForm15(a); }},
    {"TForm16", [](App& a) { return new TForm16(a); }},
    {"TForm17", [](App& a) { return new TForm17(a); }},
    {"TForm20", [](App& a) { return new TForm20(a); }},
    {"TForm22", [](App& a) { return new TForm22(a); }},
    {"TForm24", [](App& a) { return new TForm24(a); }},
    {"TForm25", [](App& a) { return new TForm25(a); }},
    {"TForm26", [](App& a) { return new TForm26(a); }},
    {"TForm27", [](App& a) { return new TForm27(a); }},
    {"TForm29", [](App& a) { return new TForm29(a); }},
    {"TForm30", [](App& a) { return new TForm30(a); }},
};
} // namespace

QWidget* buildProgram(App& app)
{
    auto* main = new TForm1(app);
    app.addWindow(main);
    app.setDesk(main, main);
    if (!main->FormCreate())
        return nullptr;
    try {
        for (const Entry& e : kWindows)
            app.addWindow(e.create(app));
    } catch (const DbError& e) {
        app.seam().dbError(e.message());
        app.seam().requestQuit();
        return nullptr;
    }
    return app.form<TForm23>();
}
