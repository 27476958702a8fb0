#pragma once

#include "StallProbe.h"
#include "VirtualDisplay.h"

#include <QProcess>
#include <QString>
#include <QStringList>

// Opens the books of the corpus one at a time in the real program on a virtual display,
// turns a few pages, closes it, and says what happened, with the longest time the
// program's window kept the window system waiting.
class CorpusRunner
{
public:
    struct Options {
        QString binary;
        int timeoutS = 20;
        // A slow drive under the program (see SlowDrive.cpp): microseconds each read of a
        // file, and each look at a path, waits.
        int slowReadUs = 0;
        int slowStatUs = 0;
        // The folder on the slow drive: the corpus's.
        QString slowDrive;
    };
    enum Outcome { Shown, Refused, Crashed, Hung };
    struct Result {
        Outcome outcome = Refused;
        int longestStallMs = 0;
        QString report;
    };

    explicit CorpusRunner(const Options& options);

    bool StartDisplay();
    void StopDisplay();
    // book: a book of the corpus, or a case's "note-resume" naming the book to open from
    // the Resume screen.
    Result Run(const QString& book, const QString& work);

private:
    QProcessEnvironment Environment(const QString& work) const;
    // Watches the program's start until the book is shown, refused or asked about.
    Outcome Settle(QProcess& viewer, bool fromResume, QString& report);
    Outcome Finish(QProcess& viewer, const QString& work, QString& report, Outcome outcome);
    QString Xdotool(const QStringList& args);
    QString Find(const QString& title);
    // The main window and the program's messages share a title; a message is smaller
    // than the main window can be.
    QString TitledLumivo(bool main);
    QString MainWindow() { return TitledLumivo(true); }
    QString MessageBox() { return TitledLumivo(false); }
    void Answer(const QString& window, const char* key);
    void Probe();

    Options m_options;
    int m_timeoutMs;
    VirtualDisplay m_display;
    StallProbe m_probe;
    bool m_probing = false;
};
