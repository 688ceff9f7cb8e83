#include "App.h"
#include "PwApplication.h"
#include "Seam.h"
#include "TForm23.h"

extern const char* const pwBuildDate;
extern const char* const pwBuildTime;

int main(int argc, char** argv)
{
    PwApplication qapp(argc, argv);
    PwApplication::loadTranslations(&qapp);
    DesktopSeam seam(Shell::buildStamp(pwBuildDate, pwBuildTime));
    qapp.setSeam(&seam);
    App app(seam, qapp.arguments().mid(1));
    if (!app.start())
        return 1;
    seam.showMain(app.Form23());
    return qapp.exec();
}
