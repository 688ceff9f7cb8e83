#include "App.h"
#include "Program.h"
#include "PwApplication.h"
#include "Seam.h"
#include "rules/Startup.h"
#include <cstdio>

extern const char* const pwBuildDate;
extern const char* const pwBuildTime;
extern const char* const pwVersion;

int main(int argc, char** argv)
{
    const Shell::BuildStamp stamp = Shell::buildStamp(pwBuildDate, pwBuildTime);
    // Answered before the application object exists, so that no display is needed.
    if (const auto text = Startup::answer(Startup::commandLine(argc, argv), QString::fromLatin1(pwVersion), stamp)) {
        std::fputs(text->toUtf8().constData(), stdout);
        return 0;
    }
    PwApplication qapp(argc, argv);
    PwApplication::loadTranslations(&qapp);
    DesktopSeam seam(stamp);
    qapp.setSeam(&seam);
    App app(seam, Startup::arguments(qapp.arguments().mid(1), Startup::configFiles()), buildProgram);
    return app.exec();
}
