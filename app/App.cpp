#include "App.h"
#include "Seam.h"
#include "TDataModule6.h"
#include <QCoreApplication>
#include <QMetaObject>
#include <QTimer>

App::App(Seam& seam, const QStringList& args, Builder build) : seam_(seam), args_(args), build_(std::move(build)) {}

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

void App::setDesk(QWidget* window, JournalDesk* desk)
{
    main_ = window;
    desk_ = desk;
}

bool App::start()
{
    dm_ = new TDataModule6(*this);
    first_ = build_(*this);
    return first_ != nullptr;
}

int App::exec()
{
    QTimer::singleShot(0, this, [this] {
        if (start())
            seam_.showMain(first_);
    });
    return QCoreApplication::exec();
}

bool invokeHandler(App& app, QObject* target, const char* handler)
{
    bool found = false;
    const bool ok = app.seam().guarded([&] {
        found = QMetaObject::invokeMethod(target, handler, Qt::DirectConnection);
    });
    return ok && found;
}
