#include "StatePictures.h"

#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

#include <utility>

// Resources of a static library must be registered explicitly, from outside
// any namespace.
static void initStatePictures()
{
    Q_INIT_RESOURCE(StatePictures);
}

namespace tile {

QString statePictureName(StatePicture which)
{
    switch (which) {
    case StatePicture::ViewOn: return QStringLiteral("CmdViewOn");
    case StatePicture::ViewOff: return QStringLiteral("CmdViewOff");
    case StatePicture::FreezeOn: return QStringLiteral("CmdFreezeOn");
    case StatePicture::FreezeOff: return QStringLiteral("CmdFreezeOff");
    case StatePicture::LockOn: return QStringLiteral("CmdLockOn");
    case StatePicture::LockOff: return QStringLiteral("CmdLockOff");
    }
    return {};
}

QPixmap statePixmap(StatePicture which, qreal devicePixelRatio)
{
    // The resources live in this static library; make sure they are registered.
    static const bool registered = [] {
        initStatePictures();
        return true;
    }();
    Q_UNUSED(registered);

    // Every tile asks for three pictures each time it reads its layer: the
    // key is made without building a text.
    static QHash<std::pair<int, qreal>, QPixmap> cache;
    const std::pair<int, qreal> key{int(which), devicePixelRatio};
    if (auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    const QString name = statePictureName(which);

    constexpr int kSide = 13;
    const int side = qRound(kSide * devicePixelRatio);
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/tile/pictures/%1.svg").arg(name));
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    cache.insert(key, pixmap);
    return pixmap;
}

} // namespace tile
