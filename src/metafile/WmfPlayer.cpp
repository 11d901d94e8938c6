// Over 600 lines for a reason: the player is one class whose record handlers
// share the device context, the transform and the painter; split across files
// they would only hand that state to each other. What stands apart lives
// beside it: the object table (WmfObjectTable), the distinct pens
// (WmfPenTable), the view's visible area (WmfVisibleArea) and the curves
// within one pixel (WmfTinyCurves). Text stays: it reads the device context's
// font, alignment, colours and background and moves its current position.
#include "metafile/WmfPlayer.h"

#include "metafile/WmfText.h"
#include "metafile/WmfTinyCurves.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>

#include <cmath>

namespace metafile {

namespace {

constexpr std::size_t maximumSavedStates = 4096;

enum PenStyle : std::uint16_t { PsSolid = 0, PsDash, PsDot, PsDashDot, PsDashDotDot, PsNull, PsInsideFrame };
enum BrushStyle : std::uint16_t { BsSolid = 0, BsNull = 1, BsHatched = 2 };
enum TextAlign : std::uint16_t { TaUpdateCp = 1, TaRight = 2, TaCenter = 6, TaBottom = 8, TaBaseline = 24 };
enum ExtTextOptions : std::uint16_t { EtoOpaque = 2, EtoClipped = 4 };

Qt::BrushStyle hatchStyle(std::uint16_t hatch)
{
    switch (hatch) {
    case 0: return Qt::HorPattern;
    case 1: return Qt::VerPattern;
    case 2: return Qt::FDiagPattern;
    case 3: return Qt::BDiagPattern;
    case 4: return Qt::CrossPattern;
    case 5: return Qt::DiagCrossPattern;
    default: return Qt::SolidPattern;
    }
}

/// The em height of a font whose cell (ascent + descent) is `cellHeight`.
double emForCellHeight(const QFont& font, double cellHeight)
{
    QFont probe(font);
    probe.setPixelSize(100);
    const QFontMetricsF metrics(probe);
    const double cell = metrics.ascent() + metrics.descent();
    return cell > 0 ? cellHeight * 100.0 / cell : cellHeight;
}

/// Angle (degrees, counterclockwise on screen) of the point where the ray
/// from the ellipse's centre towards `p` meets it, as Qt's arc angles count.
double ellipseAngle(const QRectF& box, const QPointF& p)
{
    const QPointF c = box.center();
    const double rx = box.width() / 2, ry = box.height() / 2;
    if (rx <= 0 || ry <= 0)
        return 0;
    return std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx) * 180.0 / M_PI;
}

} // namespace

WmfPlayer::WmfPlayer(QPainter& painter, const WmfRecordList& list, const QRectF& frame, const QRectF& target)
    : m_painter(painter), m_list(list), m_frame(frame), m_target(target), m_base(painter.worldTransform()),
      m_objects(list.objectCount),
      // Before the file selects its own, a metafile draws with the device
      // context's defaults: a black one-pixel pen, a white brush, opaque text
      // background.
      m_pens(WmfPen{QPen(Qt::black, 0), 0, {}, -1})
{
    if (!frame.isEmpty() && !target.isEmpty()) {
        m_frameToTarget = QTransform::fromTranslate(-frame.left(), -frame.top())
                          * QTransform::fromScale(target.width() / frame.width(), target.height() / frame.height())
                          * QTransform::fromTranslate(target.left(), target.top());
        m_dc.windowOrg = m_dc.viewportOrg = frame.topLeft();
        m_dc.windowExt = m_dc.viewportExt = QPointF(frame.width(), frame.height());
    }
    m_dc.pen = 0;
    m_dc.brush = QBrush(Qt::white);
}

void WmfPlayer::play()
{
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.setRenderHint(QPainter::TextAntialiasing, true);
    // The picture never paints outside its target; clip records of the file
    // narrow this further and never widen it.
    if (!m_frame.isEmpty() && !m_target.isEmpty())
        m_painter.setClipRect(m_target, Qt::IntersectClip);
    m_painter.setWorldTransform(QTransform());
    if (m_painter.hasClipping())
        m_baseClip = m_painter.clipPath();
    m_visible = WmfVisibleArea::of(m_painter, m_frame, m_target, m_base, m_baseClip);
    updateTransform();
    applyPen();
    m_list.forEachRecord([this](const WmfRecord& record) { playRecord(record); });
}

void WmfPlayer::updateTransform()
{
    double sx = m_dc.viewportExt.x() / m_dc.windowExt.x();
    double sy = m_dc.viewportExt.y() / m_dc.windowExt.y();
    if (m_dc.mapMode == 7) { // isotropic: one scale on both axes, signs kept
        const double s = std::min(std::abs(sx), std::abs(sy));
        sx = std::copysign(s, sx);
        sy = std::copysign(s, sy);
    }
    const QTransform logicalToFrame = QTransform::fromTranslate(-m_dc.windowOrg.x(), -m_dc.windowOrg.y())
                                      * QTransform::fromScale(sx, sy)
                                      * QTransform::fromTranslate(m_dc.viewportOrg.x(), m_dc.viewportOrg.y());
    m_logicalToDevice = logicalToFrame * m_frameToTarget * m_base;
    m_deviceScale = std::sqrt(std::abs(m_logicalToDevice.determinant()));
    bool invertible = false;
    const QTransform back = m_logicalToDevice.inverted(&invertible);
    m_deviceToLogical = invertible ? std::optional<QTransform>(back) : std::nullopt;
    m_painter.setWorldTransform(m_logicalToDevice);
}

bool WmfPlayer::outOfSight(const QRectF& logical) const
{
    return m_visible.culling()
           && m_visible.outOfSight(logical, m_logicalToDevice, m_pens.at(m_dc.pen, m_dc.heldPen).width);
}

QPointF WmfPlayer::point(const WmfRecord& r, std::uint32_t index) const
{
    return QPointF(m_list.word(r, index + 1), m_list.word(r, index));
}

const QPolygonF& WmfPlayer::points(const WmfRecord& r, std::uint32_t index, std::uint32_t count)
{
    // One buffer for every polyline and polygon of the picture: most are a
    // few points, and there are hundreds of thousands of them.
    // Read straight from the record: every caller has checked that the
    // points lie within it.
    m_points.resize(qsizetype(count));
    const auto* words = reinterpret_cast<const unsigned char*>(m_list.data.constData()) + r.paramOffset + 2 * index;
    QPointF* to = m_points.data();
    for (std::uint32_t i = 0; i < count; ++i, words += 4)
        to[i] = QPointF(std::int16_t(words[0] | (words[1] << 8)), std::int16_t(words[2] | (words[3] << 8)));
    return m_points;
}

QRectF WmfPlayer::rect(const WmfRecord& r, std::uint32_t index) const
{
    const double bottom = m_list.word(r, index), right = m_list.word(r, index + 1);
    const double top = m_list.word(r, index + 2), left = m_list.word(r, index + 3);
    return QRectF(QPointF(left, top), QPointF(right, bottom)).normalized();
}

QColor WmfPlayer::colour(const WmfRecord& r, std::uint32_t index) const
{
    const std::uint32_t ref = m_list.dword(r, index);
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}

void WmfPlayer::selectObject(std::uint16_t index)
{
    WmfObject* found = m_objects.at(index);
    if (!found)
        return;
    WmfObject& object = *found;
    switch (object.kind) {
    case WmfObject::Pen:
        m_dc.pen = object.pen;
        if (object.pen == WmfPenTable::heldInPlace)
            m_dc.heldPen = object.heldPen;
        applyPen();
        break;
    case WmfObject::Brush:
        m_dc.brush = object.brush;
        break;
    case WmfObject::Font:
        m_dc.font = object.font;
        break;
    default:
        break;
    }
}

void WmfPlayer::createPen(const WmfRecord& r)
{
    const std::uint16_t style = m_list.uword(r, 0) & 0x0F;
    const double width = std::abs(m_list.word(r, 1));
    Qt::PenStyle penStyle = Qt::SolidLine;
    switch (style) {
    case PsDash: penStyle = Qt::DashLine; break;
    case PsDot: penStyle = Qt::DotLine; break;
    case PsDashDot: penStyle = Qt::DashDotLine; break;
    case PsDashDotDot: penStyle = Qt::DashDotDotLine; break;
    case PsNull: penStyle = Qt::NoPen; break;
    default: break;
    }
    WmfObject* object = m_objects.create(WmfObject::Pen);
    if (!object)
        return;
    // Made as a drawing at a small scale draws it, one pixel wide, so that
    // drawnPen() hands it on as it is instead of copying it.
    const auto make = [&] {
        QPen pen(QBrush(colour(r, 3)), 0, penStyle, Qt::RoundCap, Qt::RoundJoin);
        pen.setCosmetic(true);
        return WmfPen{pen, width, {}, -1};
    };
    const std::uint64_t key = (std::uint64_t(width) << 32) | (std::uint64_t(style) << 24) | (m_list.dword(r, 3) & 0xFFFFFF);
    object->pen = m_pens.shared(key, make);
    if (object->pen == WmfPenTable::heldInPlace)
        object->heldPen = make();
}

void WmfPlayer::createBrush(const WmfRecord& r)
{
    QBrush brush;
    const std::uint16_t style = m_list.uword(r, 0);
    const QColor c = colour(r, 1);
    if (style == BsSolid)
        brush = QBrush(c);
    else if (style == BsHatched)
        brush = QBrush(c, hatchStyle(m_list.uword(r, 3)));
    else if (style == BsNull)
        brush = QBrush(Qt::NoBrush);
    else // pattern brushes carry bitmaps, which are not drawn: a grey tone stands in
        brush = QBrush(QColor(128, 128, 128));
    if (WmfObject* object = m_objects.create(WmfObject::Brush))
        object->brush = std::move(brush);
}

void WmfPlayer::createFont(const WmfRecord& r)
{
    WmfFont font;
    font.height = m_list.word(r, 0);
    font.width = std::abs(m_list.word(r, 1));
    font.escapementDegrees = m_list.word(r, 2) / 10.0;
    font.weight = m_list.word(r, 4);
    const std::uint16_t italicUnderline = m_list.uword(r, 5);
    const std::uint16_t strikeCharset = m_list.uword(r, 6);
    font.italic = (italicUnderline & 0xFF) != 0;
    font.underline = (italicUnderline >> 8) != 0;
    font.strikeOut = (strikeCharset & 0xFF) != 0;
    font.charset = std::uint8_t(strikeCharset >> 8);
    QByteArray face = m_list.bytes(r, 9, 32);
    if (const qsizetype end = face.indexOf('\0'); end >= 0)
        face.truncate(end);
    font.face = decodeMetafileText(face, font.charset);
    if (WmfObject* object = m_objects.create(WmfObject::Font))
        object->font = std::move(font);
}

void WmfPlayer::applyPen()
{
    m_painter.setPen(m_pens.drawnAt(m_dc.pen, m_dc.heldPen, m_deviceScale));
}

bool WmfPlayer::penIsCosmetic() const
{
    const WmfPen& pen = m_pens.at(m_dc.pen, m_dc.heldPen);
    return pen.drawnScale == m_deviceScale && pen.drawn.isCosmetic();
}

void WmfPlayer::applyBrush(bool fill)
{
    m_painter.setBrush(fill ? m_dc.brush : m_noBrush);
    // Every filled shape and arc comes here; the painter's state changes are
    // left out where nothing changes.
    const int mode = m_dc.opaqueBackground ? Qt::OpaqueMode : Qt::TransparentMode;
    if (mode != m_backgroundMode) {
        m_painter.setBackgroundMode(Qt::BGMode(mode));
        m_backgroundMode = mode;
    }
    // The background colour seldom changes: a brush for it is made only when
    // it does.
    const QBrush& background = m_painter.background();
    if (background.style() != Qt::SolidPattern || background.color() != m_dc.bkColor)
        m_painter.setBackground(m_dc.bkColor);
}

void WmfPlayer::applyClip()
{
    m_painter.setWorldTransform(QTransform());
    if (m_baseClip)
        m_painter.setClipPath(*m_baseClip);
    else
        m_painter.setClipping(false);
    if (m_dc.clip)
        m_painter.setClipPath(*m_dc.clip, Qt::IntersectClip);
    m_painter.setWorldTransform(m_logicalToDevice);
}

void WmfPlayer::clipRect(const WmfRecord& r, bool intersect)
{
    if (r.wordCount < 4)
        return;
    QPainterPath area;
    area.addPolygon(m_logicalToDevice.map(QPolygonF(rect(r, 0))));
    area.closeSubpath();
    if (intersect) {
        m_dc.clip = m_dc.clip ? m_dc.clip->intersected(area) : area;
    } else {
        QPainterPath whole;
        whole.addRect(QRectF(-1e7, -1e7, 2e7, 2e7));
        m_dc.clip = (m_dc.clip ? *m_dc.clip : m_baseClip ? *m_baseClip : whole).subtracted(area);
    }
    applyClip();
}

void WmfPlayer::drawPolyline(const WmfRecord& r)
{
    const std::uint32_t count = m_list.uword(r, 0);
    if (count < 2 || 1 + 2ull * count > r.wordCount)
        return;
    const QPolygonF& polygon = points(r, 1, count);
    if (!m_visible.culling() || !outOfSight(polygon.boundingRect())) // measured only when culling
        m_painter.drawPolyline(polygon);
}

void WmfPlayer::drawPolygon(const WmfRecord& r)
{
    const std::uint32_t count = m_list.uword(r, 0);
    if (count < 2 || 1 + 2ull * count > r.wordCount)
        return;
    const QPolygonF& polygon = points(r, 1, count);
    if (m_visible.culling() && outOfSight(polygon.boundingRect()))
        return;
    applyBrush(true);
    m_painter.drawPolygon(polygon, m_dc.fillRule);
}

void WmfPlayer::drawPolyPolygon(const WmfRecord& r)
{
    const std::uint32_t polygons = m_list.uword(r, 0);
    if (polygons == 0 || 1ull + polygons > r.wordCount)
        return;
    std::uint64_t total = 0;
    for (std::uint32_t i = 0; i < polygons; ++i)
        total += m_list.uword(r, 1 + i);
    if (1ull + polygons + 2 * total > r.wordCount)
        return;
    QPainterPath path;
    path.setFillRule(m_dc.fillRule);
    std::uint32_t at = 1 + polygons;
    for (std::uint32_t i = 0; i < polygons; ++i) {
        const std::uint32_t count = m_list.uword(r, 1 + i);
        QPolygonF polygon(static_cast<qsizetype>(count));
        for (std::uint32_t k = 0; k < count; ++k, at += 2)
            polygon[k] = QPointF(m_list.word(r, at), m_list.word(r, at + 1));
        if (count >= 2) {
            path.addPolygon(polygon);
            path.closeSubpath();
        }
    }
    applyBrush(true);
    m_painter.drawPath(path);
}

void WmfPlayer::drawArcFamily(const WmfRecord& r)
{
    if (r.wordCount < 8 || outOfSight(rect(r, 4)))
        return;
    // Arcs run counterclockwise on the device, so their angles are taken
    // there and the finished outline is brought back to logical units.
    const QRectF box = m_logicalToDevice.mapRect(rect(r, 4));
    if (box.isEmpty())
        return;
    const QPointF end = m_logicalToDevice.map(point(r, 0));
    const QPointF start = m_logicalToDevice.map(point(r, 2));
    const double startAngle = ellipseAngle(box, start);
    double span = ellipseAngle(box, end) - startAngle;
    if (span <= 0)
        span += 360;
    if (!m_deviceToLogical)
        return;
    if (r.function == fn::Arc && box.width() < 1 && box.height() < 1 && span < 360 && penIsCosmetic()
        && drawTinyArc(box, startAngle, span))
        return;
    // The outline keeps its storage from arc to arc: a whole drawing holds
    // tens of thousands of arcs.
    QPainterPath& path = m_arc;
    path.clear();
    if (r.function == fn::Pie)
        path.moveTo(box.center());
    else
        path.arcMoveTo(box, startAngle);
    path.arcTo(box, startAngle, span);
    if (r.function != fn::Arc)
        path.closeSubpath();
    mapArcBack();
    applyBrush(r.function != fn::Arc);
    m_painter.drawPath(m_arc);
}

bool WmfPlayer::drawTinyArc(const QRectF& box, double startAngle, double span)
{
    if (!tinyArcLines(box, startAngle, span, m_arc, m_points))
        return false;
    // Through logical units and back, as the painter maps a built outline.
    const QTransform& back = *m_deviceToLogical;
    for (QPointF& p : m_points)
        p = back.map(p);
    applyBrush(false);
    m_painter.drawPolyline(m_points);
    return true;
}

bool WmfPlayer::drawTinyEllipse(const QRectF& logical)
{
    // Only an unfilled ellipse: a filled one is left to the painter.
    if (m_dc.brush.style() != Qt::NoBrush || logical.isNull() || !penIsCosmetic())
        return false;
    const QRectF device = m_logicalToDevice.mapRect(logical);
    if (device.width() >= 1 || device.height() >= 1)
        return false;
    tinyEllipseLines(logical, m_points);
    m_painter.drawPolyline(m_points);
    return true;
}

void WmfPlayer::mapArcBack()
{
    // In place, point by point as QTransform maps a whole path into a copy.
    const QTransform& back = *m_deviceToLogical;
    for (int i = 0, count = m_arc.elementCount(); i < count; ++i) {
        const QPainterPath::Element e = m_arc.elementAt(i);
        const QPointF p = back.map(QPointF(e.x, e.y));
        m_arc.setElementPositionAt(i, p.x(), p.y());
    }
}

void WmfPlayer::drawText(const QPointF& logical, const QByteArray& bytes, bool useCurrentPosition)
{
    const double sx = std::hypot(m_logicalToDevice.m11(), m_logicalToDevice.m12());
    const double sy = std::hypot(m_logicalToDevice.m21(), m_logicalToDevice.m22());
    if (sx <= 0 || sy <= 0 || textUnderHalfAPixel())
        return;
    const QString text = decodeMetafileText(bytes, m_dc.font.charset);
    if (text.isEmpty())
        return;
    const QPointF anchor = m_logicalToDevice.map(useCurrentPosition ? m_dc.position : logical);

    QFont font;
    if (!m_dc.font.face.isEmpty())
        font.setFamily(m_dc.font.face);
    font.setItalic(m_dc.font.italic);
    font.setUnderline(m_dc.font.underline);
    font.setStrikeOut(m_dc.font.strikeOut);
    if (m_dc.font.weight > 0)
        font.setWeight(QFont::Weight(std::clamp(m_dc.font.weight, 100, 900)));
    // A negative height is the character (em) height, a positive one the
    // cell height; zero asks for the default size.
    double em = 12.0;
    if (m_dc.font.height < 0)
        em = -m_dc.font.height * sy;
    else if (m_dc.font.height > 0)
        em = emForCellHeight(font, m_dc.font.height * sy);
    if (em < 0.5 || em > 100000)
        return;
    font.setPixelSize(std::max(1, int(std::lround(em))));
    // Pixel sizes are whole numbers; the painter scales the rest so that
    // small text at a high zoom keeps its exact height.
    const double fontScale = em / font.pixelSize();
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(text);

    double x = 0, y = 0;
    const std::uint16_t horizontal = m_dc.textAlign & TaCenter;
    if (horizontal == TaCenter)
        x = -width / 2;
    else if (horizontal == TaRight)
        x = -width;
    const std::uint16_t vertical = m_dc.textAlign & TaBaseline;
    if (vertical == TaBaseline)
        y = 0;
    else if (vertical == TaBottom)
        y = -metrics.descent();
    else
        y = metrics.ascent();

    // A font asked for at an average character width is stretched to it;
    // the faces pictures name are measured by their usual metrics, so that a
    // substitute face keeps the proportions meant.
    double stretch = 1;
    if (m_dc.font.width > 0 && m_dc.font.height != 0) {
        const QString face = m_dc.font.face.toLower();
        const double average = face == u"arial"       ? 0.441
                               : face == u"ms gothic" ? 0.5
                                                      : metrics.averageCharWidth() / std::max(1.0, em / fontScale);
        stretch *= m_dc.font.width / (std::abs(m_dc.font.height) * std::max(average, 0.05));
    }
    // A window mirrored left to right mirrors the characters too (one
    // turned upside down keeps them upright, as GDI does).
    if (m_logicalToDevice.m11() < 0)
        stretch = -stretch;
    // Stretched along the text, then turned, then scaled as the mapping scales.
    QTransform local = QTransform::fromScale(fontScale * stretch, fontScale);
    local *= QTransform().rotate(-m_dc.font.escapementDegrees);
    local *= QTransform::fromScale(sx / sy, 1);
    local *= QTransform::fromTranslate(anchor.x(), anchor.y());

    m_painter.save();
    m_painter.setWorldTransform(local);
    m_painter.setFont(font);
    if (m_dc.opaqueBackground)
        m_painter.fillRect(QRectF(x, y - metrics.ascent(), width, metrics.ascent() + metrics.descent()), m_dc.bkColor);
    m_painter.setPen(m_dc.textColor);
    m_painter.drawText(QPointF(x, y), text);
    m_painter.restore();

    if (useCurrentPosition && horizontal != TaCenter) {
        // The current position moves past the text along its direction.
        const QPointF advance = local.map(QPointF(horizontal == TaRight ? x : x + width, y))
                                - local.map(QPointF(horizontal == TaRight ? 0 : x, y));
        bool invertible = false;
        const QTransform back = m_logicalToDevice.inverted(&invertible);
        if (invertible)
            m_dc.position = back.map(anchor + advance);
    }
}

bool WmfPlayer::textUnderHalfAPixel() const
{
    // Text under half a pixel is not drawn: in a whole drawing shrunk into an
    // overview that is most of it, so it is known before any work is done,
    // even before its characters are copied out of the record.
    const double sy = std::hypot(m_logicalToDevice.m21(), m_logicalToDevice.m22());
    return m_dc.font.height < 0 && -m_dc.font.height * sy < 0.5;
}

void WmfPlayer::textOut(const WmfRecord& r)
{
    const std::uint32_t length = m_list.uword(r, 0);
    const std::uint32_t stringWords = (length + 1) / 2;
    if (1ull + stringWords + 2 > r.wordCount || textUnderHalfAPixel())
        return;
    const QByteArray bytes = m_list.bytes(r, 1, length);
    drawText(point(r, 1 + stringWords), bytes, m_dc.textAlign & TaUpdateCp);
}

void WmfPlayer::extTextOut(const WmfRecord& r)
{
    if (r.wordCount < 4)
        return;
    const QPointF at = point(r, 0);
    const std::uint32_t length = m_list.uword(r, 2);
    const std::uint16_t options = m_list.uword(r, 3);
    std::uint32_t stringAt = 4;
    std::optional<QRectF> box;
    if (options & (EtoOpaque | EtoClipped)) {
        if (r.wordCount < 8)
            return;
        // This rectangle is stored left, top, right, bottom.
        box = QRectF(QPointF(m_list.word(r, 4), m_list.word(r, 5)),
                     QPointF(m_list.word(r, 6), m_list.word(r, 7))).normalized();
        stringAt = 8;
    }
    if (stringAt + (length + 1ull) / 2 > r.wordCount)
        return;
    if (box && (options & EtoOpaque))
        m_painter.fillRect(*box, m_dc.bkColor);
    if (box && (options & EtoClipped)) {
        m_painter.save();
        m_painter.setClipRect(*box, Qt::IntersectClip);
    }
    if (!textUnderHalfAPixel())
        drawText(at, m_list.bytes(r, stringAt, length), m_dc.textAlign & TaUpdateCp);
    if (box && (options & EtoClipped))
        m_painter.restore();
}

void WmfPlayer::playRecord(const WmfRecord& r)
{
    if (playStateRecord(r) || playObjectRecord(r))
        return;
    playDrawingRecord(r);
}

bool WmfPlayer::playStateRecord(const WmfRecord& r)
{
    // The device context: saved states, window and viewport, colours, modes.
    switch (r.function) {
    case fn::SaveDC:
        if (m_saved.size() < maximumSavedStates)
            m_saved.push_back(m_dc);
        break;
    case fn::RestoreDC: {
        // Negative: that many states back; positive: the n-th state saved.
        const int n = m_list.word(r, 0);
        std::size_t keep = m_saved.size();
        if (n < 0 && std::size_t(-n) <= m_saved.size())
            keep = m_saved.size() + n;
        else if (n > 0 && std::size_t(n) <= m_saved.size())
            keep = std::size_t(n) - 1;
        else
            break;
        m_dc = m_saved[keep];
        m_saved.resize(keep);
        updateTransform();
        applyPen();
        applyClip();
        break;
    }
    case fn::SetWindowOrg:
        if (r.wordCount >= 2) {
            m_dc.windowOrg = point(r, 0);
            updateTransform();
            applyPen();
        }
        break;
    case fn::SetWindowExt:
        if (r.wordCount >= 2 && m_list.word(r, 0) != 0 && m_list.word(r, 1) != 0) {
            m_dc.windowExt = point(r, 0);
            updateTransform();
            applyPen();
        }
        break;
    case fn::SetViewportOrg:
        if (r.wordCount >= 2) {
            m_dc.viewportOrg = point(r, 0);
            updateTransform();
            applyPen();
        }
        break;
    case fn::SetViewportExt:
        if (r.wordCount >= 2 && m_list.word(r, 0) != 0 && m_list.word(r, 1) != 0) {
            m_dc.viewportExt = point(r, 0);
            updateTransform();
            applyPen();
        }
        break;
    case fn::OffsetWindowOrg:
        if (r.wordCount >= 2) {
            m_dc.windowOrg += point(r, 0);
            updateTransform();
        }
        break;
    case fn::OffsetViewportOrg:
        if (r.wordCount >= 2) {
            m_dc.viewportOrg += point(r, 0);
            updateTransform();
        }
        break;
    case fn::ScaleWindowExt:
    case fn::ScaleViewportExt: {
        if (r.wordCount < 4)
            break;
        const double yDenom = m_list.word(r, 0), yNum = m_list.word(r, 1);
        const double xDenom = m_list.word(r, 2), xNum = m_list.word(r, 3);
        if (yDenom == 0 || xDenom == 0 || yNum == 0 || xNum == 0)
            break;
        QPointF& ext = r.function == fn::ScaleWindowExt ? m_dc.windowExt : m_dc.viewportExt;
        ext = QPointF(ext.x() * xNum / xDenom, ext.y() * yNum / yDenom);
        updateTransform();
        applyPen();
        break;
    }
    case fn::SetMapMode:
        m_dc.mapMode = m_list.word(r, 0);
        updateTransform();
        break;
    case fn::SetBkMode:
        m_dc.opaqueBackground = m_list.word(r, 0) == 2;
        break;
    case fn::SetBkColor:
        m_dc.bkColor = colour(r, 0);
        break;
    case fn::SetTextColor:
        m_dc.textColor = colour(r, 0);
        break;
    case fn::SetTextAlign:
        m_dc.textAlign = m_list.uword(r, 0);
        break;
    case fn::SetPolyFillMode:
        m_dc.fillRule = m_list.word(r, 0) == 2 ? Qt::WindingFill : Qt::OddEvenFill;
        break;
    default:
        return false;
    }
    return true;
}

bool WmfPlayer::playObjectRecord(const WmfRecord& r)
{
    // Pens, brushes, fonts and the slots of the object table.
    switch (r.function) {
    case fn::CreatePenIndirect:
        createPen(r);
        break;
    case fn::CreateBrushIndirect:
        createBrush(r);
        break;
    case fn::CreateFontIndirect:
        createFont(r);
        break;
    case fn::CreatePatternBrush:
    case fn::DibCreatePatternBrush: {
        if (WmfObject* object = m_objects.create(WmfObject::Brush))
            object->brush = QBrush(QColor(128, 128, 128));
        break;
    }
    case fn::CreatePalette:
    case fn::CreateRegion: {
        // Not drawn, but they take a slot, and later indexes count on it.
        m_objects.create(WmfObject::Other);
        break;
    }
    case fn::SelectObject:
        selectObject(m_list.uword(r, 0));
        break;
    case fn::DeleteObject:
        m_objects.remove(m_list.uword(r, 0));
        break;
    default:
        return false;
    }
    return true;
}

void WmfPlayer::playDrawingRecord(const WmfRecord& r)
{
    switch (r.function) {
    case fn::MoveTo:
        if (r.wordCount >= 2)
            m_dc.position = point(r, 0);
        break;
    case fn::LineTo:
        if (r.wordCount >= 2) {
            const QPointF to = point(r, 0);
            if (!outOfSight(QRectF(m_dc.position, to).normalized()))
                m_painter.drawLine(m_dc.position, to);
            m_dc.position = to;
        }
        break;
    case fn::Polyline:
        drawPolyline(r);
        break;
    case fn::Polygon:
        drawPolygon(r);
        break;
    case fn::PolyPolygon:
        drawPolyPolygon(r);
        break;
    case fn::Rectangle:
        if (r.wordCount >= 4 && !outOfSight(rect(r, 0))) {
            applyBrush(true);
            m_painter.drawRect(rect(r, 0));
        }
        break;
    case fn::RoundRect:
        if (r.wordCount >= 6 && !outOfSight(rect(r, 2))) {
            applyBrush(true);
            const double height = std::abs(m_list.word(r, 0)), width = std::abs(m_list.word(r, 1));
            m_painter.drawRoundedRect(rect(r, 2), width / 2, height / 2);
        }
        break;
    case fn::Ellipse:
        if (r.wordCount >= 4 && !outOfSight(rect(r, 0))) {
            applyBrush(true);
            if (const QRectF box = rect(r, 0); !drawTinyEllipse(box))
                m_painter.drawEllipse(box);
        }
        break;
    case fn::Arc:
    case fn::Chord:
    case fn::Pie:
        drawArcFamily(r);
        break;
    case fn::SetPixel:
        if (r.wordCount >= 4) {
            const QPointF at = m_logicalToDevice.map(point(r, 2));
            m_painter.save();
            m_painter.setWorldTransform(QTransform());
            m_painter.fillRect(QRectF(at, QSizeF(1, 1)), colour(r, 0));
            m_painter.restore();
        }
        break;
    case fn::TextOut:
        textOut(r);
        break;
    case fn::ExtTextOut:
        extTextOut(r);
        break;
    case fn::IntersectClipRect:
        clipRect(r, true);
        break;
    case fn::ExcludeClipRect:
        clipRect(r, false);
        break;
    default:
        // Bitmaps, palettes, regions as clip, escapes: not drawn.
        break;
    }
}

} // namespace metafile
