#include "platform/connection_state.h"

#include <QNetworkInformation>
#include <QNetworkInterface>

namespace {
int g_override = -1;
}

void SetConnectedStateOverride(int state)
{
    g_override = state;
}

int InternetGetConnectedState()
{
    if (g_override >= 0)
        return g_override;
    if (QNetworkInformation::loadDefaultBackend() && QNetworkInformation::instance()) {
        const auto r = QNetworkInformation::instance()->reachability();
        if (r == QNetworkInformation::Reachability::Online)
            return 1;
        if (r == QNetworkInformation::Reachability::Disconnected)
            return 0;
    }
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &i : interfaces) {
        const auto flags = i.flags();
        if ((flags & QNetworkInterface::IsUp) && (flags & QNetworkInterface::IsRunning)
            && !(flags & QNetworkInterface::IsLoopBack) && !i.addressEntries().isEmpty())
            return 1;
    }
    return 0;
}
