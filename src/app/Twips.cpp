#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>

namespace app {

double logicalDpi()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->logicalDotsPerInch();
    return 96.0;
}

} // namespace app
