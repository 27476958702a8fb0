#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QProcess>
#include <QStringList>

#include <algorithm>

// Small helpers the benchmarks share.

inline double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

inline double Percentile(QList<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[std::min<qsizetype>(values.size() * p, values.size() - 1)];
}

// Milliseconds a program takes from start to exit, or -1 when it fails.
inline double RunTool(const QString& program, const QStringList& args)
{
    QElapsedTimer timer;
    timer.start();
    QProcess tool;
    tool.start(program, args);
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
        return -1;
    return timer.nsecsElapsed() / 1e6;
}
