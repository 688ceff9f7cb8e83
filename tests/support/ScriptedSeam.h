#pragma once
#include "Seam.h"
#include <QDialog>
#include <QQueue>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

// The seam of the tests: modal showings run scripted steps, questions take scripted
// answers, and everything shown is recorded. Anything the script did not expect fails
// the running test.
class ScriptedSeam : public Seam {
public:
    struct Shown {
        QString kind; // "message", "question", "dbError"
        QMessageBox::Icon icon;
        QString title;
        QString text;
    };
    using Step = std::function<void(QDialog*)>;

    // The next modal showing must be of this window; the step runs with it shown and
    // active. A step that leaves the window open has it closed with "cancel".
    void onModal(const QString& window, Step step = {});
    // The next modal showing of this window returns at once and leaves it open, so that
    // the test can go on working in it (the main window after login).
    void keepOpen(const QString& window);
    void answer(bool yes) { answers_.enqueue(yes); }
    // The next wait on the server shown (past its notice) runs the step with the wait going
    // on; the step returns true to give the wait up, false to wait on to its end.
    using WaitStep = std::function<bool(const Waiting&)>;
    void onServerWait(WaitStep step) { waitSteps_.enqueue(std::move(step)); }
    // Every wait shown, scripted or not (an unscripted one is waited out).
    struct WaitShown {
        Waiting::Kind kind;
        QString statement;
    };
    QVector<WaitShown> waits;
    // The next database error box is part of the script; any other fails the test.
    void expectDbError() { ++expectedDbErrors_; }

    QVector<Shown> shown;
    QStringList modals;
    int quitRequests = 0;
    QDate todayValue = QDate(2025, 4, 1);
    Shell::BuildStamp stamp{20250401, 36000};

    // Takes whatever comes without failing: every modal window closes at once, every
    // question is answered Yes, every box is only recorded (for sweeping all handlers).
    bool lenient = false;

    bool nothingPending() const
    {
        return steps_.isEmpty() && answers_.isEmpty() && expectedDbErrors_ == 0 && waitSteps_.isEmpty();
    }
    void clearShown() { shown.clear(); }
    const Shown* last() const { return shown.isEmpty() ? nullptr : &shown.last(); }
    QStringList texts() const;

    void message(QMessageBox::Icon icon, const QString& title, const QString& text) override;
    bool question(const QString& title, const QString& text) override;
    void dbError(const QString& message) override;
    bool serverWait(const Waiting& w) override;
    void requestQuit() override { ++quitRequests; }
    QDate today() override { return todayValue; }
    QDateTime now() override { return todayValue.startOfDay().addSecs(10 * 3600); }
    Shell::BuildStamp buildStamp() override { return stamp; }
    // Workbooks go to a folder of the test's own; opening one is recorded and answered.
    QString exportFolder() override { return exportDir.isEmpty() ? exportTemp.path() : exportDir; }
    bool openDocument(const QString& path) override
    {
        opened << path;
        return canOpenDocuments;
    }
    QString exportDir;
    QTemporaryDir exportTemp;
    QStringList opened;
    bool canOpenDocuments = true;

protected:
    int runModal(QDialog* window) override;

private:
    struct Expected {
        QString window;
        Step step;
        bool keepOpen;
    };
    QQueue<Expected> steps_;
    QQueue<bool> answers_;
    QQueue<WaitStep> waitSteps_;
    int expectedDbErrors_ = 0;
};
