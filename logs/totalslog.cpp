#include "totalslog.h"
#include "logging.h"

#include "logtext.h"
#include "storagepaths.h"

#include <QFile>
#include <QStringList>
#include <QtDebug>

bool TotalsLog::parseLine(const QString& line, int* month, double* kwh)
{
    const QStringList fields = line.split(QLatin1Char(';'));
    if (fields.size() < 2)
        return false;
    const QStringList date = fields.at(0).split(QLatin1Char('-'));
    if (date.size() < 2)
        return false;
    bool monthOk = false;
    bool energyOk = false;
    const int m = LogText::leadingInt(date.at(1), &monthOk);
    const double e = LogText::leadingDouble(fields.at(1), &energyOk);
    if (!monthOk || m < 1 || m > 12 || !energyOk)
        return false;
    *month = m;
    *kwh = e;
    return true;
}

QVector<double> TotalsLog::monthlySums(const QString& path, bool* opened)
{
    if (opened)
        *opened = false;
    QFile file(path);
    if (!file.exists())
        return QVector<double>(12, 0.0);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qCDebug(lcLogs, "%s: ops", "FillMonthlyEnergy");
        return QVector<double>(12, 0.0);
    }
    if (opened)
        *opened = true;
    return monthlySums(&file);
}

QVector<double> TotalsLog::monthlySums(QIODevice* device)
{
    QVector<double> sums(12, 0.0);
    QByteArray bytes;
    bool overlong = false;
    while (LogText::readLine(device, MaxLineChars, &bytes, &overlong)) {
        int month = 0;
        double kwh = 0.0;
        if (!overlong && parseLine(QString::fromUtf8(bytes), &month, &kwh))
            sums[month - 1] += kwh;
    }
    return sums;
}

void MonthlyEnergyCache::fill(const QString& storageFolder, int year)
{
    if (year == cachedYear)
        return;
    cachedYear = year;
    monthSums.fill(0.0, 12);
    if (storageFolder.isEmpty())
        return;
    monthSums = TotalsLog::monthlySums(storageFolder + QLatin1Char('/') + StoragePaths::totalsLogName(year));
}

double MonthlyEnergyCache::energy(const QString& storageFolder, unsigned int year, unsigned int month)
{
    if (month < 1 || month > 12)
        return 0.0;
    fill(storageFolder, int(year));
    return monthSums.at(int(month) - 1);
}
