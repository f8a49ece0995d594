#include "support/RunProcess.h"

#include <QProcess>

ProcessResult runProcess(const QString &program, const QStringList &args, const ProcessOptions &options)
{
    QProcess p;
    if (!options.workDir.isEmpty())
        p.setWorkingDirectory(options.workDir);
    if (!options.environment.isEmpty() || !options.unset.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString &name : options.unset)
            env.remove(name);
        for (const QString &pair : options.environment)
            env.insert(pair.section('=', 0, 0), pair.section('=', 1));
        p.setProcessEnvironment(env);
    }
    if (options.launcher.isEmpty())
        p.start(program, args);
    else
        p.start(options.launcher.first(), options.launcher.mid(1) + QStringList{program} + args);
    if (!p.waitForStarted(5000))
        return {};
    if (!options.input.isEmpty())
        p.write(options.input);
    p.closeWriteChannel();
    if (!p.waitForFinished(options.timeoutMs)) {
        p.kill();
        p.waitForFinished(2000);
        return {};
    }
    ProcessResult r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

ProcessResult runCli(const QStringList &args, const ProcessOptions &options)
{
    return runProcess(QStringLiteral(PELM_BIN_DIR "/pelm-cli"), args, options);
}
