#include "LineClip.h"

#include <algorithm>
#include <cmath>

namespace cad::render {

bool clipLineToBox(QPointF base, QPointF direction, double tMin, double tMax, const QRectF& box, QPointF& a,
                   QPointF& b)
{
    double t0 = tMin, t1 = tMax;
    const double p[4] = {-direction.x(), direction.x(), -direction.y(), direction.y()};
    const double q[4] = {base.x() - box.left(), box.right() - base.x(), base.y() - box.top(),
                         box.bottom() - base.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    if (!std::isfinite(t0) || !std::isfinite(t1))
        return false;
    a = base + direction * t0;
    b = base + direction * t1;
    return true;
}

} // namespace cad::render
