#pragma once
#include "rules/ProductionCalendar.h"
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QVector>
#include <functional>

class JournalDesk;
class QWidget;
class Seam;
class TDataModule6;

// The application object: creates the data module, has the program's windows built once,
// owns them, and lets windows (and tests) reach each other by type.
class App : public QObject {
    Q_OBJECT
public:
    // Builds the program's windows (the main window with the connection, the login and the
    // others) and returns the first one to show, or nullptr when the start failed and the
    // program's end has been requested. The shell above every window provides it.
    using Builder = std::function<QWidget*(App&)>;

    // args: the command line without the program name (database name, server address).
    App(Seam& seam, const QStringList& args, Builder build);
    ~App() override;

    // The data module, then the windows. False when the start failed.
    bool start();

    Seam& seam() const { return seam_; }
    const QStringList& args() const { return args_; }
    TDataModule6* DataModule6() const { return dm_; }
    // The days off of the installation's production calendar.
    ProductionCalendar& calendar() { return calendar_; }
    // The main window, once the shell has made it.
    JournalDesk* desk() const { return desk_; }
    QWidget* mainWindow() const { return main_; }
    void setDesk(QWidget* window, JournalDesk* desk);
    // The window shown first (the login).
    QWidget* firstWindow() const { return first_; }

    // Starts the program inside the application's event loop and runs the loop, so that
    // an end requested at any moment, even before the login shows, ends the program.
    int exec();

    // The window of a class; windows reach each other through this, by type.
    template <class T> T* form() const
    {
        for (const QString& name : order_)
            if (T* w = qobject_cast<T*>(windows_.value(name)))
                return w;
        return nullptr;
    }
    // A window by its class name ("TForm11"), for tests; nullptr when there is none.
    QWidget* window(const QString& className) const { return windows_.value(className); }
    QStringList windowNames() const { return order_; }

    void addWindow(QWidget* w);

private:
    Seam& seam_;
    QStringList args_;
    Builder build_;
    TDataModule6* dm_ = nullptr;
    JournalDesk* desk_ = nullptr;
    QWidget* main_ = nullptr;
    QWidget* first_ = nullptr;
    ProductionCalendar calendar_;
    QHash<QString, QWidget*> windows_;
    QStringList order_;
};

// Runs a window's handler by name, as the event dispatch would (errors shown, not thrown).
bool invokeHandler(App& app, QObject* target, const char* handler);
