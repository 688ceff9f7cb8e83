#pragma once
#include "rules/Shell.h"
#include <QDate>
#include <QDateTime>
#include <QMessageBox>
#include <QVector>

class QDialog;
class QWidget;

// Everything a test cannot click passes here: modal showings, message boxes, questions,
// the database error box, the end of the program, the clock and the build stamp.
// Activation ("the window becomes the active one") is run here too, so that a window's
// FormActivate runs when it is shown and again when a window it opened closes.
class Seam {
public:
    virtual ~Seam() = default;

    // Shows a window modally; returns QDialog::Accepted or QDialog::Rejected.
    int showModal(QDialog* window);
    // Shows the first, non-modal window of the program (the login).
    void showMain(QWidget* window);
    QWidget* activeWindow() const { return stack_.isEmpty() ? nullptr : stack_.last(); }

    virtual void message(QMessageBox::Icon icon, const QString& title, const QString& text) = 0;
    // A Yes/No question with the question icon; true for Yes.
    virtual bool question(const QString& title, const QString& text) = 0;
    // The standard box for an error the database reported.
    virtual void dbError(const QString& message) = 0;
    virtual void requestQuit() = 0;
    virtual QDate today() = 0;
    virtual QDateTime now() = 0;
    virtual Shell::BuildStamp buildStamp() = 0;
    // Where exported workbooks are written, and opening one in the desktop's spreadsheet
    // program (false when there is none to open it).
    virtual QString exportFolder() = 0;
    virtual bool openDocument(const QString& path) = 0;

    // Runs a handler the way the event dispatch does: a database error is shown, not thrown.
    bool guarded(const std::function<void()>& handler);
    // Runs FormActivate of a window, if it has one.
    void activate(QWidget* window);

protected:
    virtual int runModal(QDialog* window) = 0;
    // Set by runModal when the window stays up after it returns (a test working in it).
    bool leftOpen_ = false;

private:
    QVector<QWidget*> stack_;
};

// A folder under base that only the user may open (0700, the user's own), made when it
// is missing; empty when none can be made.
QString privateFolder(const QString& base);

// The real thing: modal loops, message boxes, the system clock, the compile stamp.
class DesktopSeam : public Seam {
public:
    explicit DesktopSeam(Shell::BuildStamp stamp) : stamp_(stamp) {}
    void message(QMessageBox::Icon icon, const QString& title, const QString& text) override;
    bool question(const QString& title, const QString& text) override;
    void dbError(const QString& message) override;
    void requestQuit() override;
    QDate today() override { return QDate::currentDate(); }
    QDateTime now() override { return QDateTime::currentDateTime(); }
    Shell::BuildStamp buildStamp() override { return stamp_; }
    QString exportFolder() override;
    bool openDocument(const QString& path) override;

protected:
    int runModal(QDialog* window) override;

private:
    Shell::BuildStamp stamp_;
};
