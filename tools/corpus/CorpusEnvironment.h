#pragma once

#include "VirtualDisplay.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcessEnvironment>

// The environment the corpus starts the program in: the virtual display, settings and
// temp folders of its own under work, and the sanitizers' reports written there.
inline QProcessEnvironment CorpusEnvironment(const VirtualDisplay& display, const QString& work)
{
    QProcessEnvironment env = display.Environment();
    env.insert("XDG_CONFIG_HOME", work + "/config");
    env.insert("XDG_CACHE_HOME", work + "/cache");
    env.insert("TMPDIR", work + "/tmp");
    env.insert("ASAN_OPTIONS", "log_path=" + work + "/asan:detect_leaks=1");
    env.insert("UBSAN_OPTIONS", "log_path=" + work + "/ubsan:print_stacktrace=1");
    const QString supp = QCoreApplication::applicationDirPath() + "/lsan.supp";
    if (QFile::exists(supp))
        env.insert("LSAN_OPTIONS", "suppressions=" + supp + ":print_suppressions=0");
    return env;
}
