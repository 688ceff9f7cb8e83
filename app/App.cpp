#include "App.h"
#include "DbError.h"
#include "Seam.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "TForm23.h"
#include <QCoreApplication>
#include <QMetaObject>
#include <QTimer>

App::App(Seam& seam, const QStringList& args) : seam_(seam), args_(args) {}

App::~App()
{
    // Windows first: they hold models over the data module's queries.
    for (auto it = order_.crbegin(); it != order_.crend(); ++it)
        delete windows_.value(*it);
    delete dm_;
}

void App::addWindow(QWidget* w)
{
    const QString name = QString::fromLatin1(w->metaObject()->className());
    w->setObjectName(name);
    windows_.insert(name, w);
    order_ << name;
}

bool App::start()
{
    dm_ = new TDataModule6(*this);
    form1_ = new TForm1(*this);
    addWindow(form1_);
    if (!form1_->FormCreate())
        return false;
    try {
        createOtherWindows();
    } catch (const DbError& e) {
        seam_.dbError(e.message());
        seam_.requestQuit();
        return false;
    }
    return true;
}

int App::exec()
{
    QTimer::singleShot(0, this, [this] {
        if (start())
            seam_.showMain(form23_);
    });
    return QCoreApplication::exec();
}

void App::createLogin()
{
    form23_ = new TForm23(*this);
    addWindow(form23_);
}

bool invokeHandler(App& app, QObject* target, const char* handler)
{
    bool found = false;
    const bool ok = app.seam().guarded([&] {
        found = QMetaObject::invokeMethod(target, handler, Qt::DirectConnection);
    });
    return ok && found;
}
