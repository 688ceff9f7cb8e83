#pragma once
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>
#include "App.h"
#include "ScriptedSeam.h"

// What every benchmark needs: the large database, timing, psql side by side, memory.
namespace Bench {
struct Target {
    QString database;
    QString socketDir;
};
// From the command line: database name and socket directory.
Target target(int argc, char** argv);
// The program started on the large database, with a scripted seam whose clock says today.
struct Program {
    explicit Program(const Target& t);
    ScriptedSeam seam;
    std::unique_ptr<App> app;
};
// Milliseconds of one run of fn.
double timeMs(const std::function<void()>& fn);
// Milliseconds of processor time this process has used so far.
double processCpuMs();
double median(QVector<double> v);
double sum(const QVector<double>& v);
// psql's own timing of each statement (\timing), in ms, one psql session for all rounds.
QVector<double> psqlTimes(const Target& t, const QStringList& statements, int rounds);
// One statement through psql as the client's role; whether it succeeded.
bool psql(const Target& t, const QString& database, const QString& sql);
// A fresh copy of the target's database under the name copy, retried for a minute while
// others are still connected to the template.
bool copyDatabase(const Target& t, const QString& copy);
// Peak resident memory of this process, in MB.
double peakRssMb();
void report(const QString& name, double ours, double theirs);
}
