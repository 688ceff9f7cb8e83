#pragma once
#include <QString>
#include <QStringList>

class Connection;

// Brings an older database to the layout the client expects (the product view over the
// shared goods, the flags of household works and timesheet rows) and adds what only makes
// the client faster: the indexes of its frequent statements, the worker-number index of
// the shared person table among them. The client works the same without any of these
// additions. Every step may be run any number of times.
namespace SchemaUpgrade {
// The steps in their order, each one command text.
QStringList statements();

struct Outcome {
    QString role;          // who ran the steps
    QStringList forbidden; // objects of the steps that failed for lack of rights on them
};
// Runs each step on its own; a step that fails (already done, nothing to drop, the
// connection lost) is skipped without a word and the next one runs. A step the role may
// not make (it does not own what the step changes) is named in the outcome.
Outcome run(Connection& c);
// What to tell the user when steps lacked rights; empty when none did.
QString rightsMessage(const Outcome& outcome);
} // namespace SchemaUpgrade
