#pragma once
#include "LoadClient.h"
#include <QByteArray>
#include <QMap>
#include <QProcess>
#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>

// The driver's side of a load client: the running program started again with --client,
// and what the client has said so far (the lines LoadClient.h describes).
namespace Load {

struct Process {
    Role role = Role::Foreman;
    std::unique_ptr<QProcess> process;
    QByteArray pending;
    int progress = 0;
    QMap<QString, int> outcomes;
    QVector<double> saves;
    QStringList errors;
    bool finished = false;

    void read();
};

// Starts a client; its lines are read as they come while the event loop runs.
std::unique_ptr<Process> start(const ClientArgs& a);
// Runs the event loop until done() holds, calling meanwhile() every 20 ms.
void waitFor(const std::function<bool()>& done, const std::function<void()>& meanwhile = {});
// The main function's client mode: when the arguments ask for it, runs the client and sets
// rc to its exit code.
bool clientMode(const QStringList& args, int& rc);

double percentile(QVector<double> v, double p);

} // namespace Load
