#include "Seam.h"
#include "DbError.h"
#include "ServerBounds.h"
#include "timesheets/rules/MonthClose.h"
#include <QProgressDialog>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QStandardPaths>
#include <QUrl>
#include <QMetaObject>
#include <QTimer>
#include <unistd.h>

int Seam::showModal(QDialog* window)
{
    stack_.push_back(window);
    int result = QDialog::Rejected;
    leftOpen_ = false;
    try {
        result = runModal(window);
    } catch (...) {
        stack_.removeAll(window);
        throw;
    }
    if (leftOpen_)
        return result;
    stack_.removeAll(window);
    if (QWidget* back = activeWindow())
        activate(back);
    return result;
}

void Seam::showMain(QWidget* window)
{
    stack_.push_back(window);
    window->show();
    activate(window);
}

void Seam::activate(QWidget* window)
{
    if (window->metaObject()->indexOfMethod("FormActivate()") < 0)
        return;
    guarded([window] { QMetaObject::invokeMethod(window, "FormActivate", Qt::DirectConnection); });
}

bool Seam::guarded(const std::function<void()>& handler)
{
    try {
        handler();
        return true;
    } catch (const Cancelled& e) {
        message(QMessageBox::Information, QStringLiteral("Табель"), e.message());
    } catch (const DbError& e) {
        // A change the server refused because its month is closed is said in words.
        const QString closed = MonthClose::refusal(e);
        if (!closed.isEmpty())
            message(QMessageBox::Warning, QStringLiteral("Месяц закрыт"), closed);
        else
            dbError(e.message());
    }
    return false;
}

int SeamWaiter::noticeMs() const { return ServerBounds::current().noticeMs; }

QString serverWaitText(const Waiting& w, int seconds)
{
    QString what;
    switch (w.kind) {
    case Waiting::Kind::Connect:
        what = QStringLiteral("Подключение к серверу базы данных…");
        break;
    case Waiting::Kind::Commit:
        what = QStringLiteral("Сохранение: сервер базы данных ещё не подтвердил запись…");
        break;
    case Waiting::Kind::Statement:
        what = QStringLiteral("Ожидание ответа сервера базы данных…");
        break;
    }
    return what + QStringLiteral("\nПрошло %1 с. Можно подождать ещё или прервать: то, что не сохранено, "
                                 "не сохранится.").arg(seconds);
}

bool DesktopSeam::serverWait(const Waiting& w)
{
    QProgressDialog box(QString(), QStringLiteral("Прервать"), 0, 0, activeWindow());
    box.setObjectName(QStringLiteral("ServerWait"));
    box.setWindowTitle(QStringLiteral("Табель"));
    box.setWindowModality(Qt::ApplicationModal);
    box.setMinimumDuration(0);
    const auto shown = [&] {
        const auto s = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - w.since);
        box.setLabelText(serverWaitText(w, int(s.count())));
    };
    shown();
    QTimer poll;
    bool over = false;
    QObject::connect(&poll, &QTimer::timeout, &box, [&] {
        shown();
        if (w.over()) {
            over = true;
            box.accept();
        }
    });
    poll.start(50);
    box.exec();
    return !over && !w.over();
}

int DesktopSeam::runModal(QDialog* window)
{
    // Activation once the window is up, as the user sees it.
    QTimer::singleShot(0, window, [this, window] { activate(window); });
    return window->exec();
}

void DesktopSeam::message(QMessageBox::Icon icon, const QString& title, const QString& text)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, activeWindow());
    box.exec();
}

bool DesktopSeam::question(const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, activeWindow());
    return box.exec() == QMessageBox::Yes;
}

void DesktopSeam::dbError(const QString& message)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Табель"), message, QMessageBox::Ok, activeWindow());
    box.exec();
}

// Ends every event loop running, a message box's included, and lets no new one start:
// the program runs inside the application's loop from its first step (App::exec).
void DesktopSeam::requestQuit() { QCoreApplication::exit(0); }

// The user's documents folder, where a person looks for a file; a private folder in the
// temporary folder when there is none, since every user may look into the temporary one.
QString DesktopSeam::exportFolder()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!dir.isEmpty() && QDir().mkpath(dir))
        return dir;
    return privateFolder(QDir::tempPath());
}

QString privateFolder(const QString& base)
{
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    const QString path = QDir(base).filePath(QStringLiteral("piecework-%1").arg(::geteuid()));
    QDir().mkdir(path, ownerOnly);
    const QFileInfo info(path);
    // One made beforehand by someone else, or a link to elsewhere, is not ours to use.
    if (!info.isSymLink() && info.isDir() && info.ownerId() == ::geteuid() && QFile::setPermissions(path, ownerOnly))
        return path;
    QTemporaryDir fresh(QDir(base).filePath(QStringLiteral("piecework-XXXXXX")));
    fresh.setAutoRemove(false);
    return fresh.isValid() ? fresh.path() : QString();
}

bool DesktopSeam::openDocument(const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }
