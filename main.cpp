#include "App.h"
#include "Program.h"
#include "PwApplication.h"
#include "Seam.h"

extern const char* const pwBuildDate;
extern const char* const pwBuildTime;

int main(int argc, char** argv)
{
    PwApplication qapp(argc, argv);
    PwApplication::loadTranslations(&qapp);
    DesktopSeam seam(Shell::buildStamp(pwBuildDate, pwBuildTime));
    App app(seam, qapp.arguments().mid(1), buildProgram);
    return app.exec();
}
