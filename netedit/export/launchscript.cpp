#include "export/launchscript.h"

#include <QFile>

namespace Trelvoga {

namespace {

bool isBare(const QString &argument, LaunchScript::Shell shell)
{
    if (argument.isEmpty())
        return false;
    for (const QChar c : argument) {
        if (c.unicode() < 128 && c.isLetterOrNumber())
            continue;
        if (QStringLiteral("_-+=:,./@").contains(c))
            continue;
        // A batch file expands `%` even between quotes.
        if (c == QLatin1Char('%') && shell == LaunchScript::PosixShell)
            continue;
        return false;
    }
    return true;
}

// cmd keeps everything between quotes literal except `%`; an inner quote written "" leaves cmd in the
// quoted state and reaches the program as one quote. Backslashes before a quote are doubled for the
// program's own argument parsing. A line break cannot be written into a batch line at all.
QString quoteForCmd(const QString &argument)
{
    QString quoted(QLatin1Char('"'));
    int backslashes = 0;
    for (const QChar c : argument) {
        if (c == QLatin1Char('\\')) {
            ++backslashes;
            quoted += c;
            continue;
        }
        if (c == QLatin1Char('"')) {
            quoted += QString(backslashes, QLatin1Char('\\'));
            quoted += QLatin1String("\"\"");
        } else if (c == QLatin1Char('%')) {
            quoted += QLatin1String("%%");
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            quoted += QLatin1Char(' ');
        } else {
            quoted += c;
        }
        backslashes = 0;
    }
    quoted += QString(backslashes, QLatin1Char('\\'));
    quoted += QLatin1Char('"');
    return quoted;
}

} // namespace

LaunchScript::Shell LaunchScript::nativeShell()
{
#ifdef Q_OS_WIN
    return WindowsCmd;
#else
    return PosixShell;
#endif
}

QString LaunchScript::fileName(Shell shell)
{
    return shell == WindowsCmd ? QStringLiteral("run_experiment.bat") : QStringLiteral("run_experiment.sh");
}

QString LaunchScript::quote(const QString &argument, Shell shell)
{
    if (isBare(argument, shell))
        return argument;
    if (shell == WindowsCmd)
        return quoteForCmd(argument);
    QString quoted = argument;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QByteArray LaunchScript::content(const QString &program, const QStringList &arguments, Shell shell)
{
    // The batch form always quotes the program, as users of such files expect it.
    QStringList words{shell == WindowsCmd ? quoteForCmd(program) : quote(program, shell)};
    for (const QString &argument : arguments)
        words << quote(argument, shell);
    QByteArray script;
    if (shell == PosixShell)
        script = "#!/bin/sh\ncd \"$(dirname \"$0\")\" || exit 1\n";
    script += words.join(QLatin1Char(' ')).toUtf8();
    script += '\n';
    return script;
}

bool LaunchScript::write(const QString &fileName, const QString &program, const QStringList &arguments, Shell shell)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray script = content(program, arguments, shell);
    if (file.write(script) != script.size())
        return false;
    file.close();
    return file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser
                               | QFileDevice::ExeGroup | QFileDevice::ExeOther);
}

} // namespace Trelvoga
