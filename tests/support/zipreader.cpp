#include "support/zipreader.h"

#include <QProcess>

QStringList zipEntries(const QString &zip)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-Z1"), zip});
    if (!unzip.waitForFinished(10000) || unzip.exitCode() != 0)
        return {QStringLiteral("<not a zip>")};
    return QString::fromUtf8(unzip.readAllStandardOutput())
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QByteArray zipEntry(const QString &zip, const QString &entry)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), zip, entry});
    unzip.waitForFinished(10000);
    return unzip.readAllStandardOutput();
}
