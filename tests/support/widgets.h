#pragma once

#include <QLatin1String>
#include <QObject>
#include <QtGlobal>

namespace TestSupport {

// A dialog's widget by object name; a missing one ends the test program, naming it.
template<class T>
T *child(const QObject *parent, const char *name)
{
    T *found = parent->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

} // namespace TestSupport
