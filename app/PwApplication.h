#pragma once
#include <QApplication>

// The application object. Database errors never reach its event dispatch: every handler
// is connected through Seam::guarded, which shows them. One that escaped would end the
// program with a message naming the handler's class.
class PwApplication : public QApplication {
public:
    PwApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
    // Russian texts for the standard buttons ("Да", "Нет"), and Russian number formats.
    static void loadTranslations(QCoreApplication* app);
    static void useRussianLocale();
};
