#include "cad/render/GradientFill.h"

#include <QPainterPath>
#include <QPolygonF>
#include <QString>

#include <algorithm>
#include <cmath>

namespace cad::render {

namespace {

QRgb mix(QRgb a, QRgb b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    auto channel = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return qRgb(channel(qRed(a), qRed(b)), channel(qGreen(a), qGreen(b)), channel(qBlue(a), qBlue(b)));
}

/// How far from `first` towards `second` the gradient is at u (0..1 across
/// the bands: from one side for the straight kinds, from the centre out for
/// the round ones).
double weightAt(GradientKind kind, double u)
{
    switch (kind) {
    case GradientKind::Linear: return u;
    case GradientKind::Cylinder: return std::abs(2 * u - 1);
    case GradientKind::InvCylinder: return 1 - std::abs(2 * u - 1);
    case GradientKind::Spherical: case GradientKind::Hemispherical: case GradientKind::Curved: return u;
    default: return 1 - u; // the inverted round kinds
    }
}

bool straight(GradientKind kind)
{
    return kind == GradientKind::Linear || kind == GradientKind::Cylinder || kind == GradientKind::InvCylinder;
}

} // namespace

GradientKind gradientKindNamed(const QString& name)
{
    const QString n = name.trimmed().toUpper();
    if (n == QLatin1String("CYLINDER")) return GradientKind::Cylinder;
    if (n == QLatin1String("INVCYLINDER")) return GradientKind::InvCylinder;
    if (n == QLatin1String("SPHERICAL")) return GradientKind::Spherical;
    if (n == QLatin1String("INVSPHERICAL")) return GradientKind::InvSpherical;
    if (n == QLatin1String("HEMISPHERICAL")) return GradientKind::Hemispherical;
    if (n == QLatin1String("INVHEMISPHERICAL")) return GradientKind::InvHemispherical;
    if (n == QLatin1String("CURVED")) return GradientKind::Curved;
    if (n == QLatin1String("INVCURVED")) return GradientKind::InvCurved;
    return GradientKind::Linear;
}

std::vector<GradientBand> gradientBands(const std::vector<std::vector<QPointF>>& area, GradientKind kind,
                                        double angleRadians, QRgb first, QRgb second, int bandCount)
{
    QPainterPath shape;
    shape.setFillRule(Qt::OddEvenFill);
    for (const auto& loop : area)
        if (loop.size() >= 3)
            shape.addPolygon(QPolygonF(QList<QPointF>(loop.begin(), loop.end())));
    const QRectF box = shape.boundingRect();
    std::vector<GradientBand> bands;
    if (box.isEmpty() || bandCount < 1 || !std::isfinite(angleRadians))
        return bands;
    const QPointF centre = box.center();
    const double reach = std::hypot(box.width(), box.height()) / 2 * 1.001;
    const QPointF along(std::cos(angleRadians), std::sin(angleRadians));
    const QPointF across(-along.y(), along.x());
    for (int k = 0; k < bandCount; ++k) {
        const double a = double(k) / bandCount, b = double(k + 1) / bandCount;
        QPainterPath band;
        if (straight(kind)) {
            const QPointF from = centre + along * (reach * (2 * a - 1)), to = centre + along * (reach * (2 * b - 1));
            band.addPolygon(QPolygonF({from - across * reach, to - across * reach, to + across * reach,
                                       from + across * reach}));
        } else {
            band.setFillRule(Qt::OddEvenFill);
            band.addEllipse(centre, reach * b, reach * b);
            if (k > 0)
                band.addEllipse(centre, reach * a, reach * a);
        }
        GradientBand out;
        out.colour = 0xFF000000u | mix(first, second, weightAt(kind, (a + b) / 2));
        for (const QPolygonF& polygon : shape.intersected(band).toFillPolygons())
            if (polygon.size() >= 3)
                out.loops.emplace_back(polygon.begin(), polygon.end());
        if (!out.loops.empty())
            bands.push_back(std::move(out));
    }
    return bands;
}

} // namespace cad::render
