#pragma once
#include <QString>
#include <QStringList>
#include <functional>

class Connection;

// Brings an older database to the layout the client expects (the product view over the
// shared goods, the flags of household works and timesheet rows) and adds what only makes
// the client faster: the indexes of its frequent statements, the worker-number index of
// the shared person table among them. The client works the same without any of these
// additions. Every step may be run any number of times.
//
// Other clients work on meanwhile: a step looks in the catalogue first and takes no lock
// when there is nothing to do; indexes are built without blocking writers (concurrently);
// a step that would wait for another client's lock longer than kLockSeconds gives up and
// is named, so that the command can be run again later.
namespace SchemaUpgrade {
// How long a step waits for a table another client holds.
constexpr int kLockSeconds = 2;

// The steps in their order, each one command text.
QStringList statements();

struct Outcome {
    QString role;          // who ran the steps
    QStringList forbidden; // objects of the steps that failed for lack of rights on them
    QStringList busy;      // steps given up because another client held their table
    int done = 0;          // steps that found their work already done
    int made = 0;          // steps that changed the database
};
// Runs each step on its own; a step that fails (the connection lost, and the like) is
// skipped without a word and the next one runs. A step the role may not make (it does not
// own what the step changes) is named in the outcome, as is a step whose table was held.
// progress(step done, of steps, what the next one does) comes before each step.
using Progress = std::function<void(int done, int of, const QString& step)>;
Outcome run(Connection& c, const Progress& progress = {});
// What to tell the user when steps lacked rights or met busy tables; empty when none did.
QString rightsMessage(const Outcome& outcome);
} // namespace SchemaUpgrade
