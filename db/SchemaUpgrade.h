#pragma once
#include <QStringList>

class Connection;

// Brings an older database to the layout the client expects: the product view over the
// shared goods, the flags of household works and timesheet rows, and the worker-number
// function with its index. Every step may be run any number of times.
namespace SchemaUpgrade {
// The steps in their order, each one command text.
QStringList statements();
// Runs each step on its own; a step that fails (already done, nothing to drop, the
// connection lost) is skipped without a word and the next one runs.
void run(Connection& c);
} // namespace SchemaUpgrade
