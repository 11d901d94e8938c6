#include "metafile/WmfVisibleArea.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>

#include <cmath>

namespace metafile {

WmfVisibleArea WmfVisibleArea::of(const QPainter& painter, const QRectF& frame, const QRectF& target,
                                  const QTransform& base, const std::optional<QPainterPath>& baseClip)
{
    WmfVisibleArea area;
    // Only screens and images: a recording or a printer keeps everything.
    const QPaintDevice* device = painter.device();
    const int type = device ? device->devType() : 0;
    if (frame.isEmpty() || target.isEmpty()
        || (type != QInternal::Image && type != QInternal::Pixmap && type != QInternal::Widget))
        return area;
    // The painter's transform is the identity here, so its device transform
    // is what lies between its units and the device's: a widget's offset in
    // its window, whose system clip is the part of the widget on show.
    bool invertible = false;
    const QTransform fromDevice = painter.deviceTransform().inverted(&invertible);
    if (!invertible)
        return area;
    const QPaintEngine* engine = painter.paintEngine();
    const QRegion shown = engine ? engine->systemClip() : QRegion();
    // A device's size counts in its own units, which on a high-density
    // screen are several pixels; more is only culled less.
    const double ratio = std::max(1.0, device->devicePixelRatioF());
    const QRectF deviceArea = shown.isEmpty() ? QRectF(0, 0, device->width() * ratio, device->height() * ratio)
                                              : QRectF(shown.boundingRect());
    area.m_visible = fromDevice.mapRect(deviceArea);
    if (baseClip)
        area.m_visible &= baseClip->boundingRect();
    // The whole picture on show (the overview unzoomed): nothing to cull, and
    // no record is measured for it.
    area.m_cull = !area.m_visible.contains(base.mapRect(target));
    return area;
}

bool WmfVisibleArea::outOfSight(const QRectF& logical, const QTransform& logicalToDevice, double penWidth) const
{
    // Round ends and joins reach half the pen's width beyond the geometry,
    // antialiasing a pixel more; the margin is wider than both.
    const double scale = std::max(std::hypot(logicalToDevice.m11(), logicalToDevice.m12()),
                                  std::hypot(logicalToDevice.m21(), logicalToDevice.m22()));
    const double margin = penWidth * scale + 3;
    const QRectF device = logicalToDevice.mapRect(logical).adjusted(-margin, -margin, margin, margin);
    return !device.intersects(m_visible);
}

} // namespace metafile
