#pragma once
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QVector>

class QWidget;
class Seam;
class TDataModule6;
class TForm1;
class TForm23;

// The application object: creates the data module and every window once, in the
// program's order, owns them, and lets windows (and tests) reach each other by name.
class App : public QObject {
    Q_OBJECT
public:
    // args: the command line without the program name (database name, server address).
    App(Seam& seam, const QStringList& args);
    ~App() override;

    // Creation of the main window with its connection and login, then the other windows.
    // False when the connection failed: the program's end has then been requested.
    bool start();

    Seam& seam() const { return seam_; }
    const QStringList& args() const { return args_; }
    TDataModule6* DataModule6() const { return dm_; }
    TForm1* Form1() const { return form1_; }
    TForm23* Form23() const { return form23_; }

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
    // Creates the login window; the main window's creation calls it once connected.
    void createLogin();

private:
    void createOtherWindows();

    Seam& seam_;
    QStringList args_;
    TDataModule6* dm_ = nullptr;
    TForm1* form1_ = nullptr;
    TForm23* form23_ = nullptr;
    QHash<QString, QWidget*> windows_;
    QStringList order_;
};

// Runs a window's handler by name, as the event dispatch would (errors shown, not thrown).
bool invokeHandler(App& app, QObject* target, const char* handler);
