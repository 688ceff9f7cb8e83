#include "PdfFile.h"
#include <QProcess>

namespace PdfFile {

namespace {
QString run(const QString& program, const QStringList& args, int* exitCode = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(60000))
        return program + QStringLiteral(" did not finish");
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput());
}
} // namespace

QString text(const QString& path, const QStringList& options)
{
    return run(QStringLiteral("pdftotext"), options + QStringList{path, QStringLiteral("-")});
}

QString fonts(const QString& path) { return run(QStringLiteral("pdffonts"), {path}); }

QString faults(const QString& path)
{
    int code = -1;
    const QString report = run(QStringLiteral("qpdf"), {QStringLiteral("--check"), path}, &code);
    return code == 0 ? QString() : QStringLiteral("qpdf --check: %1\n%2").arg(code).arg(report);
}

} // namespace PdfFile
