#pragma once
// Runs a program (pelm-cli or a peer tool) as a process and collects what it printed.

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct ProcessResult
{
    int code = -1; ///< exit code; -1 when it did not start, crashed or was killed at the timeout
    QString out;
    QString err;
};

struct ProcessOptions
{
    QByteArray input;        ///< written to standard input, which is then closed
    QString workDir;         ///< empty: the test's own
    int timeoutMs = 20000;   ///< killed after this
    QStringList launcher;    ///< a program that runs the command (e.g. setpriv ...), or empty
    QStringList environment; ///< NAME=VALUE pairs added to the test's environment
    QStringList unset;       ///< names of variables taken out of the test's environment
};

ProcessResult runProcess(const QString &program, const QStringList &args,
                         const ProcessOptions &options = ProcessOptions());
/// pelm-cli of this build.
ProcessResult runCli(const QStringList &args, const ProcessOptions &options = ProcessOptions());
