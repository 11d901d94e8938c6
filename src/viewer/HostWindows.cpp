#include "HostWindows.h"

namespace viewer {

qint64 HostWindows::findWindow(const QString& title)
{
    return m_bus.findWindow(title);
}

bool HostWindows::raiseWindow(qint64 handle)
{
    return m_bus.raiseWindow(handle);
}

} // namespace viewer
