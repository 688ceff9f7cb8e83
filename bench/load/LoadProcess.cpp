#include "LoadProcess.h"
#include "ServerCall.h"
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>

namespace Load {

void Process::read()
{
    pending += process->readAllStandardOutput();
    int nl;
    while ((nl = pending.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(pending.left(nl));
        pending.remove(0, nl + 1);
        const QString what = line.section(QLatin1Char(' '), 0, 0), rest = line.section(QLatin1Char(' '), 1);
        if (what == QLatin1String("PROGRESS"))
            progress = rest.toInt();
        else if (what == QLatin1String("SAVE"))
            saves << rest.toDouble();
        else if (what == QLatin1String("OUTCOME"))
            outcomes[rest.section(QLatin1Char(' '), 0, -2)] += rest.section(QLatin1Char(' '), -1).toInt();
        else if (what == QLatin1String("ERROR"))
            errors << rest;
    }
}

std::unique_ptr<Process> start(const ClientArgs& a)
{
    auto c = std::make_unique<Process>();
    c->role = a.role;
    c->process = std::make_unique<QProcess>();
    c->process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    Process* raw = c.get();
    QObject::connect(c->process.get(), &QProcess::readyReadStandardOutput, [raw] { raw->read(); });
    QObject::connect(c->process.get(), &QProcess::finished, [raw](int code, QProcess::ExitStatus status) {
        raw->read();
        raw->finished = true;
        if (status != QProcess::NormalExit || code != 0)
            raw->errors << QStringLiteral("the client ended with %1").arg(code);
    });
    c->process->start(QCoreApplication::applicationFilePath(), argsOf(a));
    return c;
}

void waitFor(const std::function<bool()>& done, const std::function<void()>& meanwhile)
{
    while (!done()) {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
        if (meanwhile)
            meanwhile();
    }
}

bool clientMode(const QStringList& args, int& rc)
{
    if (args.value(1) != QLatin1String("--client"))
        return false;
    rc = runClient(parseArgs(args.mid(1)));
    ServerCall::drain(std::chrono::seconds(30)); // sessions still closing end before the libraries do
    return true;
}

double percentile(QVector<double> v, double p)
{
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min<qsizetype>(v.size() - 1, qsizetype(p * v.size()))];
}

} // namespace Load
