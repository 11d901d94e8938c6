#include "cad/SplineInterpolation.h"

#include <array>
#include <cmath>

namespace cad {

namespace {

double length(QPointF v)
{
    return std::hypot(v.x(), v.y());
}

/// The derivative at t0 of the parabola through (t0, a), (t1, b), (t2, c).
QPointF parabolaDerivative(double t0, double t1, double t2, QPointF a, QPointF b, QPointF c)
{
    return a * ((2 * t0 - t1 - t2) / ((t0 - t1) * (t0 - t2))) + b * ((t0 - t2) / ((t1 - t0) * (t1 - t2))) +
           c * ((t0 - t1) / ((t2 - t0) * (t2 - t1)));
}

/// The cubic basis functions that are not zero at u in knot span `span`.
std::array<double, 4> cubicBasis(const std::vector<double>& knots, std::size_t span, double u)
{
    std::array<double, 4> n{1, 0, 0, 0};
    std::array<double, 4> left{}, right{};
    for (std::size_t j = 1; j <= 3; ++j) {
        left[j] = u - knots[span + 1 - j];
        right[j] = knots[span + j] - u;
        double saved = 0;
        for (std::size_t r = 0; r < j; ++r) {
            const double denominator = right[r + 1] + left[j - r];
            const double term = denominator != 0 ? n[r] / denominator : 0;
            n[r] = saved + right[r + 1] * term;
            saved = left[j - r] * term;
        }
        n[j] = saved;
    }
    return n;
}

} // namespace

std::optional<SplineGeom> splineThroughFitPoints(const SplineGeom& spline)
{
    std::vector<QPointF> q;
    for (const QPointF& p : spline.fitPoints) {
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
            return std::nullopt;
        if (q.empty() || length(p - q.back()) > 0)
            q.push_back(p);
    }
    const bool closed = spline.closed && q.size() > 2;
    if (closed && q.front() != q.back())
        q.push_back(q.front());
    if (q.size() < 2)
        return std::nullopt;

    SplineGeom out;
    out.closed = closed;
    if (q.size() == 2) {
        out.degree = 1;
        out.controlPoints = q;
        out.knots = {0, 0, 1, 1};
        return out;
    }

    // Chord-length parameters from 0 to 1.
    const std::size_t n = q.size() - 1;
    std::vector<double> u(n + 1, 0.0);
    for (std::size_t k = 1; k <= n; ++k)
        u[k] = u[k - 1] + length(q[k] - q[k - 1]);
    const double total = u[n];
    if (!(total > 0) || !std::isfinite(total))
        return std::nullopt;
    for (double& t : u)
        t /= total;
    u[n] = 1;

    // End derivatives with respect to the parameter: the directions the
    // file gives, else those of the parabolas through the three points at
    // each end (round the joint for a closed curve), at the length of the
    // whole curve.
    const auto direction = [](QPointF v) -> std::optional<QPointF> {
        const double l = length(v);
        return l > 0 && std::isfinite(l) ? std::optional<QPointF>(v / l) : std::nullopt;
    };
    QPointF startGuess, endGuess;
    if (closed) {
        startGuess = endGuess = parabolaDerivative(0, -(1 - u[n - 1]), u[1], q[0], q[n - 1], q[1]);
    } else {
        startGuess = parabolaDerivative(u[0], u[1], u[2], q[0], q[1], q[2]);
        endGuess = parabolaDerivative(u[n], u[n - 1], u[n - 2], q[n], q[n - 1], q[n - 2]);
    }
    const QPointF start = direction(spline.startTangent).value_or(direction(startGuess).value_or(QPointF())) * total;
    const QPointF end = closed ? start
                               : direction(spline.endTangent).value_or(direction(endGuess).value_or(QPointF())) * total;

    out.degree = 3;
    out.knots = {0, 0, 0, 0};
    for (std::size_t k = 1; k < n; ++k)
        out.knots.push_back(u[k]);
    out.knots.insert(out.knots.end(), {1, 1, 1, 1});

    // n + 3 control points: the ends and their neighbours from the end
    // derivatives, the rest from the curve passing through q[1] .. q[n-1]:
    // a[k] P[k] + b[k] P[k+1] + c[k] P[k+2] = q[k], a tridiagonal system.
    std::vector<QPointF> p(n + 3);
    p[0] = q[0];
    p[1] = q[0] + start * (u[1] / 3);
    p[n + 1] = q[n] - end * ((1 - u[n - 1]) / 3);
    p[n + 2] = q[n];
    const std::size_t unknowns = n - 1; // P[2] .. P[n]
    std::vector<double> a(unknowns), b(unknowns), c(unknowns);
    std::vector<QPointF> rhs(unknowns);
    for (std::size_t k = 1; k < n; ++k) {
        const std::array<double, 4> basis = cubicBasis(out.knots, k + 3, u[k]);
        const std::size_t row = k - 1;
        a[row] = basis[0];
        b[row] = basis[1];
        c[row] = basis[2];
        rhs[row] = q[k];
    }
    rhs.front() -= p[1] * a.front();
    rhs.back() -= p[n + 1] * c.back();
    // Thomas algorithm: the matrix is diagonally dominant for chord-length parameters.
    for (std::size_t row = 1; row < unknowns; ++row) {
        if (b[row - 1] == 0)
            return std::nullopt;
        const double m = a[row] / b[row - 1];
        b[row] -= m * c[row - 1];
        rhs[row] -= rhs[row - 1] * m;
    }
    if (b.back() == 0)
        return std::nullopt;
    p[n] = rhs.back() / b.back();
    for (std::size_t row = unknowns - 1; row-- > 0;)
        p[row + 2] = (rhs[row] - p[row + 3] * c[row]) / b[row];
    for (const QPointF& point : p)
        if (!std::isfinite(point.x()) || !std::isfinite(point.y()))
            return std::nullopt;
    out.controlPoints = std::move(p);
    return out;
}

} // namespace cad
