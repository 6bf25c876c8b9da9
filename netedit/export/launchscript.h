#pragma once

#include "trelvoga_global.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace Trelvoga {

// The script that repeats a simulation launch from the export directory. Every argument is quoted for
// the script's shell so that it arrives verbatim: nothing in it (blanks, quotes, `$`, `;`, `%`...) is
// ever run as code.
class TRELVOGA_EXPORT LaunchScript
{
public:
    enum Shell {
        PosixShell, // sh: single quotes, a quote inside as '\''
        WindowsCmd, // cmd batch file: double quotes, `%` doubled, inner quotes as ""
    };

    // The shell of the script this platform writes.
    static Shell nativeShell();
    // "run_experiment.bat" on Windows, "run_experiment.sh" elsewhere.
    static QString fileName(Shell shell = nativeShell());

    // One word for the shell; words made only of characters the shell never interprets stay bare.
    static QString quote(const QString &argument, Shell shell);
    // The whole script: the program and the arguments on one line. The POSIX form changes into the
    // script's own directory first, as a batch file started from the file manager runs in its own.
    static QByteArray content(const QString &program, const QStringList &arguments, Shell shell = nativeShell());
    // Writes the script and makes it executable for everyone; false when it cannot be written.
    static bool write(const QString &fileName, const QString &program, const QStringList &arguments,
                      Shell shell = nativeShell());
};

} // namespace Trelvoga
