#include "XlsxReader.h"
#include <QProcess>
#include <QStringList>
#include <QXmlStreamReader>

namespace {
QByteArray member(const QString& path, const QString& name)
{
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, name});
    p.waitForFinished(30000);
    return p.readAllStandardOutput();
}

QStringList sharedStrings(const QByteArray& xml)
{
    QStringList out;
    QXmlStreamReader r(xml);
    QString current;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("si"))
            current.clear();
        else if (r.isStartElement() && r.name() == QLatin1String("t"))
            current += r.readElementText();
        else if (r.isEndElement() && r.name() == QLatin1String("si"))
            out << current;
    }
    return out;
}

// Which cell formats (by index) are bold.
QList<bool> boldStyles(const QByteArray& xml)
{
    QList<bool> fontsBold, styles;
    QXmlStreamReader r(xml);
    bool inFonts = false, inXfs = false;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("fonts"))
            inFonts = true;
        else if (r.isEndElement() && r.name() == QLatin1String("fonts"))
            inFonts = false;
        else if (r.isStartElement() && r.name() == QLatin1String("cellXfs"))
            inXfs = true;
        else if (r.isEndElement() && r.name() == QLatin1String("cellXfs"))
            inXfs = false;
        else if (inFonts && r.isStartElement() && r.name() == QLatin1String("font"))
            fontsBold << false;
        else if (inFonts && r.isStartElement() && r.name() == QLatin1String("b"))
            fontsBold.last() = true;
        else if (inXfs && r.isStartElement() && r.name() == QLatin1String("xf"))
            styles << fontsBold.value(r.attributes().value(QLatin1String("fontId")).toInt());
    }
    return styles;
}
} // namespace

QString cellRef(int row, int column)
{
    QString letters;
    for (int c = column; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar('A' + (c - 1) % 26));
    return letters + QString::number(row);
}

QHash<QString, XlsxCell> readXlsx(const QString& path)
{
    const QStringList strings = sharedStrings(member(path, QStringLiteral("xl/sharedStrings.xml")));
    const QList<bool> bold = boldStyles(member(path, QStringLiteral("xl/styles.xml")));
    QHash<QString, XlsxCell> cells;
    QXmlStreamReader r(member(path, QStringLiteral("xl/worksheets/sheet1.xml")));
    QString ref, type;
    int style = 0;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("c")) {
            ref = r.attributes().value(QLatin1String("r")).toString();
            type = r.attributes().value(QLatin1String("t")).toString();
            style = r.attributes().value(QLatin1String("s")).toInt();
        } else if (r.isStartElement() && (r.name() == QLatin1String("v") || r.name() == QLatin1String("t"))) {
            const QString v = r.readElementText();
            XlsxCell c;
            c.text = type == QLatin1String("s") || type == QLatin1String("inlineStr") || type == QLatin1String("str");
            c.value = type == QLatin1String("s") ? strings.value(v.toInt()) : v;
            c.bold = bold.value(style);
            cells.insert(ref, c);
        }
    }
    return cells;
}
