#pragma once

#include <QPainterPath>
#include <QRectF>
#include <QTransform>

#include <optional>

class QPainter;

namespace metafile {

/// Where a painter can show anything of a picture, so that shapes wholly
/// outside a zoomed or panned view are passed over. A default one culls
/// nothing.
class WmfVisibleArea {
public:
    WmfVisibleArea() = default;
    /// The area of `painter` (whose transform is the identity) on show, for
    /// a picture drawn into `target` under `base`, the painter's own
    /// transform when play began; `baseClip` is the painter's clip then.
    /// Culling is on only when that area is less than the target.
    static WmfVisibleArea of(const QPainter& painter, const QRectF& frame, const QRectF& target,
                             const QTransform& base, const std::optional<QPainterPath>& baseClip);

    bool culling() const { return m_cull; }
    /// True when what `logical` bounds, drawn with a pen `penWidth` logical
    /// units wide, would fall wholly outside the area.
    bool outOfSight(const QRectF& logical, const QTransform& logicalToDevice, double penWidth) const;

private:
    QRectF m_visible; ///< painter units (device units of the picture)
    bool m_cull = false;
};

} // namespace metafile
