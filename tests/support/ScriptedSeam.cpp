#include "ScriptedSeam.h"
#include <QTest>

void ScriptedSeam::onModal(const QString& window, Step step) { steps_.enqueue({window, std::move(step), false}); }
void ScriptedSeam::keepOpen(const QString& window) { steps_.enqueue({window, {}, true}); }

QStringList ScriptedSeam::texts() const
{
    QStringList out;
    for (const Shown& s : shown)
        out << s.text;
    return out;
}

int ScriptedSeam::runModal(QDialog* window)
{
    const QString name = window->objectName();
    modals << name;
    if (lenient)
        return QDialog::Rejected;
    if (steps_.isEmpty() || steps_.head().window != name) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected modal window %1").arg(name)), __FILE__, __LINE__);
        return QDialog::Rejected;
    }
    const Expected e = steps_.dequeue();
    window->setResult(QDialog::Rejected);
    window->show();
    activate(window);
    if (e.keepOpen) {
        leftOpen_ = true;
        return QDialog::Rejected;
    }
    if (e.step)
        e.step(window);
    if (window->isVisible())
        window->reject();
    return window->result();
}

void ScriptedSeam::message(QMessageBox::Icon icon, const QString& title, const QString& text)
{
    shown.push_back({QStringLiteral("message"), icon, title, text});
}

bool ScriptedSeam::question(const QString& title, const QString& text)
{
    shown.push_back({QStringLiteral("question"), QMessageBox::Question, title, text});
    if (lenient)
        return true;
    if (answers_.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected question: %1").arg(text)), __FILE__, __LINE__);
        return false;
    }
    return answers_.dequeue();
}

void ScriptedSeam::dbError(const QString& message)
{
    shown.push_back({QStringLiteral("dbError"), QMessageBox::Critical, QString(), message});
    if (lenient)
        return;
    if (expectedDbErrors_ == 0)
        QTest::qFail(qPrintable(QStringLiteral("unexpected database error: %1").arg(message)), __FILE__, __LINE__);
    else
        --expectedDbErrors_;
}

bool ScriptedSeam::serverWait(const Waiting& w)
{
    waits.push_back({w.kind, w.statement});
    if (!waitSteps_.isEmpty() && waitSteps_.dequeue()(w))
        return true;
    while (!w.over())
        QTest::qWait(10);
    return false;
}
