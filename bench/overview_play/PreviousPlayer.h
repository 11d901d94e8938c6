#pragma once

#include <QRectF>
#include <QString>

#include <memory>

class QPainter;

/// The metafile player this round began from, for benchmarks that play a
/// picture with it beside today's player in the same run.
class PreviousPicture {
public:
    PreviousPicture();
    ~PreviousPicture();
    bool load(const QString& path);
    void draw(QPainter& painter, const QRectF& target) const;

private:
    struct Held;
    std::unique_ptr<Held> m_held;
};
