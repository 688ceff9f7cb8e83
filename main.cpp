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
    QCoreApplication::setApplicationVersion(QString::fromLatin1(pwVersion));
    ServerBounds::setCurrent(Startup::bounds(Startup::configFiles()));
    DesktopSeam seam(stamp);
    int code = 0;
    {
        App app(seam, Startup::arguments(qapp.arguments().mid(1), Startup::configFiles()), buildProgram);
        code = app.exec();
    }
    // Sessions given up are still being closed on threads of their own; a silent line
    // holds them no longer than its bound, and the program does not wait longer than that.
    ServerCall::drain(std::chrono::seconds(ServerBounds::current().connectSeconds));
    return code;
}
