#pragma once

#include "VirtualDisplay.h"

#include <QProcess>
#include <QString>

#include <functional>

// Throws at the running program's hand-over socket what any local process could: endless
// lines, bursts, idle connections by the hundred, garbage, paths too long or not text,
// broken base64. After each case the program must still run and answer a normal start;
// at the end it must open a book handed over to it.
class HandoverProbe
{
public:
    HandoverProbe(const QString& binary, int timeoutS);

    // Prints a line per case and a summary; 0 when the program held through every case.
    int Run();

private:
    struct Case {
        const char* name;
        // False, with the reason in problem, when the program answered wrongly.
        std::function<bool(QString& problem)> attack;
    };

    QList<Case> Cases() const;
    bool StartProgram();
    // The program's own settings and temp folders and the sanitizers' logs, on the display.
    QProcessEnvironment Environment() const;
    bool AnswersALaterStart(const QStringList& args);
    // Answers one of the program's messages (titled "Lumivo", smaller than its window), if
    // one shows.
    bool DismissAMessage();
    bool BookOpens();
    int Finish(int failed);

    QString m_binary;
    int m_timeoutMs;
    QString m_work;
    VirtualDisplay m_display;
    QProcess m_program;
};
