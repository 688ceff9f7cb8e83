#include "PwApplication.h"
#include "DbError.h"
#include "Seam.h"
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

PwApplication::PwApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool PwApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const DbError& e) {
        if (!seam_)
            throw;
        seam_->dbError(e.message());
        return true;
    }
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
