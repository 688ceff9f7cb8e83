#pragma once
#include <QApplication>

class Seam;

// The application's event dispatch: a database error raised by any handler ends that
// handler and is shown in the standard error box, and the program goes on.
class PwApplication : public QApplication {
public:
    PwApplication(int& argc, char** argv);
    void setSeam(Seam* seam) { seam_ = seam; }
    bool notify(QObject* receiver, QEvent* event) override;
    // Russian texts for the standard buttons ("Да", "Нет"), and Russian number formats.
    static void loadTranslations(QCoreApplication* app);
    static void useRussianLocale();

private:
    Seam* seam_ = nullptr;
};
