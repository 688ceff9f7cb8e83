#include "PwApplication.h"
#include "NumericLocale.h"
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

// Qt has just set the process's locale from the desktop's; numbers written as text by the
// libraries below must keep their decimal point.
PwApplication::PwApplication(int& argc, char** argv) : QApplication(argc, argv) { useCNumericLocale(); }

bool PwApplication::notify(QObject* receiver, QEvent* event)
{
    // Every handler keeps database errors inside (wire, Seam::guarded). An exception that
    // comes this far has crossed Qt's own frames, which cannot carry one: a fault of the
    // program, which ends here, loudly, so that no test can pass over it.
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        qFatal("an exception left a handler of %s: %s", receiver->metaObject()->className(), e.what());
    }
    return false;
}

void PwApplication::useRussianLocale() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

void PwApplication::loadTranslations(QCoreApplication* app)
{
    useRussianLocale();
    auto* qt = new QTranslator(app);
    if (qt->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
}
