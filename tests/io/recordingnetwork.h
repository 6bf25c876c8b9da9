#pragma once

// A network that records the hooks a load fires, in order.

#include "netobject.h"
#include "network.h"

#include <QPointer>
#include <QStringList>
#include <QVector>

class RecordingNetwork : public Trelvoa::Network
{
public:
    QStringList events;
    QVector<QPointer<Trelvoa::NetObject>> added;
    QVector<QPointer<Trelvoa::NetObject>> changed;
    QVector<int> changedFlags;
    int progressReports = 0;
    int breakAfter = -1; // breakLoad() at this progress report (-1: never)

    RecordingNetwork()
    {
        connect(this, &Network::loadProgress, this, [this](qint64, int, int) {
            if (progressReports++ == breakAfter)
                breakLoad();
        });
    }

    void clear() override
    {
        events.append(QStringLiteral("clear"));
        Network::clear();
    }
    void afterObjectAdded(Trelvoa::NetObject *object) override
    {
        events.append(QStringLiteral("added"));
        added.append(object);
        Network::afterObjectAdded(object);
    }
    void afterLoad() override
    {
        events.append(QStringLiteral("afterLoad"));
        Network::afterLoad();
    }
    void objectChanged(Trelvoa::NetObject *object, int flags) override
    {
        changed.append(object);
        changedFlags.append(flags);
        Network::objectChanged(object, flags);
    }
    void reset()
    {
        events.clear();
        added.clear();
        changed.clear();
        changedFlags.clear();
        progressReports = 0;
        breakAfter = -1;
    }
    int flagsOf(const Trelvoa::NetObject *object) const
    {
        int flags = 0;
        for (int i = 0; i < changed.size(); ++i) {
            if (changed.at(i) == object)
                flags |= changedFlags.at(i);
        }
        return flags;
    }
};
