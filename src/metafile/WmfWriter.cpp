#include "metafile/WmfWriter.h"

#include "metafile/WmfText.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <tuple>

extern "C" {
#include <uwmf.h>
}

namespace metafile {

namespace {

constexpr std::uint16_t mmAnisotropic = 8;
constexpr std::uint16_t bkTransparent = 1;
constexpr std::uint16_t fillAlternate = 1;
constexpr std::uint16_t penSolid = 0, penNull = 5;
constexpr std::uint16_t brushSolid = 0, brushNull = 1;
constexpr std::uint16_t taLeft = 0, taRight = 2, taCenter = 6, taTop = 0, taBottom = 8, taBaseline = 24;
/// GDI draws polygons of up to this many points everywhere; longer outlines
/// are split (polylines) or thinned (fills).
constexpr std::size_t maximumPoints = 8000;
/// Pens, brushes and fonts kept in the object table for reuse, of each kind.
constexpr std::size_t maximumCachedObjects = 64;

std::int16_t clamp16(int v)
{
    return std::int16_t(std::clamp(v, -32767, 32767));
}

U_POINT16 point16(QPoint p)
{
    return U_POINT16{clamp16(p.x()), clamp16(p.y())};
}

U_COLORREF colorRef(const QColor& c)
{
    return U_COLORREF{std::uint8_t(c.red()), std::uint8_t(c.green()), std::uint8_t(c.blue()), 0};
}

std::vector<U_POINT16> points16(std::span<const QPoint> points)
{
    std::vector<U_POINT16> out;
    out.reserve(points.size());
    for (QPoint p : points)
        out.push_back(point16(p));
    return out;
}

/// At most `limit` points of `points`, evenly picked, first and last kept.
std::vector<U_POINT16> thinned(std::span<const QPoint> points, std::size_t limit)
{
    if (points.size() <= limit)
        return points16(points);
    std::vector<U_POINT16> out;
    out.reserve(limit);
    for (std::size_t i = 0; i < limit; ++i)
        out.push_back(point16(points[i * (points.size() - 1) / (limit - 1)]));
    return out;
}

} // namespace

struct WmfWriter::Track {
    WMFTRACK* wt = nullptr;
    WMFHANDLES* handles = nullptr;
    ObjectCache pens, brushes, fonts;
    QRgb textColour = 0;
    bool textColourSet = false;
    int textAlign = -1;

    ~Track()
    {
        if (handles)
            wmf_htable_free(&handles);
        if (wt) {
            std::free(wt->buf);
            std::free(wt);
        }
    }
};

WmfWriter::WmfWriter(QSize logicalSize, int unitsPerInch)
    : m_track(std::make_unique<Track>()),
      m_size(std::clamp(logicalSize.width(), 1, 32767), std::clamp(logicalSize.height(), 1, 32767))
{
    // The record buffer lives in memory; the caller decides where the bytes
    // go (see writeFileAtomically).
    auto* wt = static_cast<WMFTRACK*>(std::calloc(1, sizeof(WMFTRACK)));
    // Small to start with: the layer pictures of a drawing are all open at
    // once, and most are small; the buffer doubles as it fills.
    wt->allocated = 4 * 1024;
    wt->chunk = 4 * 1024;
    wt->buf = static_cast<char*>(std::malloc(wt->allocated));
    m_track->wt = wt;
    wmf_htable_create(8, 8, &m_track->handles);

    U_PAIRF* size = U_PAIRF_set(float(m_size.width()) / unitsPerInch, float(m_size.height()) / unitsPerInch);
    char* header = U_WMRHEADER_set(size, unsigned(unitsPerInch));
    std::free(size);
    // The header's bounds come from a size in inches; set them to the exact
    // logical frame and seal the header again with its checksum.
    auto* placeable = reinterpret_cast<U_WMRPLACEABLE*>(header);
    placeable->Dst.left = 0;
    placeable->Dst.top = 0;
    placeable->Dst.right = std::int16_t(m_size.width());
    placeable->Dst.bottom = std::int16_t(m_size.height());
    placeable->Inch = std::uint16_t(unitsPerInch);
    placeable->Checksum = U_16_checksum(reinterpret_cast<std::int16_t*>(header), 10);
    wmf_header_append(reinterpret_cast<U_METARECORD*>(header), wt, 1);

    append(U_WMRSETMAPMODE_set(mmAnisotropic));
    append(U_WMRSETWINDOWORG_set(U_POINT16{0, 0}));
    append(U_WMRSETWINDOWEXT_set(U_POINT16{std::int16_t(m_size.width()), std::int16_t(m_size.height())}));
    append(U_WMRSETBKMODE_set(bkTransparent));
    append(U_WMRSETPOLYFILLMODE_set(fillAlternate));
    // An invisible rectangle over the whole frame: readers that size a
    // picture by what it draws (rather than by its header) then see the same
    // frame as the rest, and an empty picture is still a valid one to them.
    setNoPen();
    setNoBrush();
    append(U_WMRRECTANGLE_set(U_RECT16{0, 0, std::int16_t(m_size.width()), std::int16_t(m_size.height())}));
    setPen(Qt::black, 0);
}

WmfWriter::~WmfWriter() = default;

void WmfWriter::append(char* record)
{
    if (!record)
        return;
    // libUEMF grows its buffer by a fixed chunk; growing it by its own size
    // instead keeps a large picture from being copied hundreds of times.
    m_track->wt->chunk = std::max<std::uint32_t>(m_track->wt->chunk, std::uint32_t(std::min<std::size_t>(m_track->wt->used, 1u << 30)));
    wmf_append(reinterpret_cast<U_METARECORD*>(record), m_track->wt, 1);
}

void WmfWriter::select(ObjectCache& cache, const ObjectKey& key, const std::function<char*(std::uint32_t*)>& create)
{
    if (cache.hasSelected && cache.selected == key)
        return;
    auto it = cache.handles.find(key);
    if (it == cache.handles.end()) {
        // Objects stay in the table to be selected again (a picture switches
        // between a few colours all the time); past a limit the table is
        // cleared, keeping only the object in use.
        if (cache.handles.size() >= maximumCachedObjects) {
            for (auto kept = cache.handles.begin(); kept != cache.handles.end();) {
                if (cache.hasSelected && kept->first == cache.selected) {
                    ++kept;
                    continue;
                }
                std::uint32_t handle = kept->second;
                append(wdeleteobject_set(&handle, m_track->handles));
                kept = cache.handles.erase(kept);
            }
        }
        std::uint32_t created = 0;
        append(create(&created));
        it = cache.handles.emplace(key, created).first;
    }
    append(wselectobject_set(it->second, m_track->handles));
    cache.selected = key;
    cache.hasSelected = true;
}

void WmfWriter::setPen(const QColor& colour, int width)
{
    const std::uint16_t w = std::uint16_t(std::clamp(width, 0, 32767));
    select(m_track->pens, {penSolid, colour.rgb(), w}, [&](std::uint32_t* handle) {
        return wcreatepenindirect_set(handle, m_track->handles, U_PEN_set(penSolid, w, colorRef(colour)));
    });
}

void WmfWriter::setNoPen()
{
    select(m_track->pens, {penNull, 0, 0}, [&](std::uint32_t* handle) {
        return wcreatepenindirect_set(handle, m_track->handles, U_PEN_set(penNull, 0, colorRef(Qt::black)));
    });
}

void WmfWriter::setBrush(const QColor& colour)
{
    select(m_track->brushes, {brushSolid, colour.rgb(), 0}, [&](std::uint32_t* handle) {
        return wcreatebrushindirect_set(handle, m_track->handles, U_WLOGBRUSH_set(brushSolid, colorRef(colour), 0));
    });
}

void WmfWriter::setNoBrush()
{
    select(m_track->brushes, {brushNull, 0, 0}, [&](std::uint32_t* handle) {
        return wcreatebrushindirect_set(handle, m_track->handles, U_WLOGBRUSH_set(brushNull, colorRef(Qt::black), 0));
    });
}

void WmfWriter::polyline(std::span<const QPoint> points)
{
    // Long outlines go out in pieces that share their end points.
    for (std::size_t start = 0; start + 1 < points.size(); start += maximumPoints - 1) {
        const std::size_t count = std::min(maximumPoints, points.size() - start);
        const std::vector<U_POINT16> piece = points16(points.subspan(start, count));
        append(U_WMRPOLYLINE_set(std::uint16_t(piece.size()), piece.data()));
    }
}

void WmfWriter::polygon(std::span<const QPoint> points)
{
    if (points.size() < 3)
        return;
    const std::vector<U_POINT16> outline = thinned(points, maximumPoints);
    append(U_WMRPOLYGON_set(std::uint16_t(outline.size()), outline.data()));
}

void WmfWriter::polyPolygon(const std::vector<std::vector<QPoint>>& polygons)
{
    std::vector<std::uint16_t> counts;
    std::vector<U_POINT16> all;
    const std::size_t perPolygon = std::max<std::size_t>(3, maximumPoints / std::max<std::size_t>(1, polygons.size()));
    for (const std::vector<QPoint>& polygon : polygons) {
        if (polygon.size() < 3 || counts.size() >= maximumPoints)
            continue;
        const std::vector<U_POINT16> outline = thinned(polygon, perPolygon);
        counts.push_back(std::uint16_t(outline.size()));
        all.insert(all.end(), outline.begin(), outline.end());
    }
    if (counts.empty())
        return;
    if (counts.size() == 1)
        append(U_WMRPOLYGON_set(counts[0], all.data()));
    else
        append(U_WMRPOLYPOLYGON_set(std::uint16_t(counts.size()), counts.data(), all.data()));
}

void WmfWriter::ellipse(const QRect& box)
{
    const U_RECT16 rect{clamp16(box.left()), clamp16(box.top()), clamp16(box.left() + box.width()),
                        clamp16(box.top() + box.height())};
    append(U_WMRELLIPSE_set(rect));
}

void WmfWriter::arc(const QRect& box, QPoint start, QPoint end)
{
    const U_RECT16 rect{clamp16(box.left()), clamp16(box.top()), clamp16(box.left() + box.width()),
                        clamp16(box.top() + box.height())};
    append(U_WMRARC_set(U_POINT16{clamp16(start.x()), clamp16(start.y())}, U_POINT16{clamp16(end.x()), clamp16(end.y())},
                        rect));
}

void WmfWriter::text(QPoint anchor, const QString& text, const WmfTextStyle& style)
{
    if (text.isEmpty() || style.height <= 0)
        return;
    this->text(anchor, encodeMetafileText(text), style);
}

void WmfWriter::text(QPoint anchor, EncodedText encoded, const WmfTextStyle& style)
{
    if (encoded.bytes.isEmpty() || style.height <= 0)
        return;
    encoded.bytes.replace('\0', '?');

    const int tenths = int(std::lround(std::remainder(style.angleDegrees, 360.0) * 10.0));
    const int height = std::min(style.height, 32767);
    // The average character width of the faces we name, in ems: GDI scales
    // a font to the average width it is asked for (0 keeps its own).
    const bool proportional = QByteArray(metafileFace(encoded.charset)) == "Arial";
    const double averageWidth = proportional ? 0.441 : 0.5;
    int width = 0;
    if (std::isfinite(style.widthFactor) && std::abs(style.widthFactor - 1) > 0.005)
        width = std::clamp(int(std::lround(height * averageWidth * style.widthFactor)), 1, 32767);
    const int fontKey = encoded.charset | (style.italic ? 0x100 : 0) | (width << 9);
    if (style.mirrored) {
        // The state saved here comes back with the restore below, so what
        // the writer knows to be selected is forgotten then.
        append(U_WMRSAVEDC_set());
        append(U_WMRSETWINDOWEXT_set(point16(QPoint(-m_size.width(), m_size.height()))));
        anchor.setX(-anchor.x());
    }
    select(m_track->fonts, {height, std::uint32_t(tenths), fontKey}, [&](std::uint32_t* handle) {
        QByteArray face(metafileFace(encoded.charset));
        U_FONT* font = U_FONT_set(std::int16_t(-height), std::int16_t(width), std::int16_t(tenths),
                                  std::int16_t(tenths), 400, style.italic ? 1 : 0, 0, 0, encoded.charset, 0, 0, 0, 0,
                                  face.data());
        char* record = wcreatefontindirect_set(handle, m_track->handles, font);
        std::free(font);
        return record;
    });
    if (!m_track->textColourSet || m_track->textColour != style.colour.rgb()) {
        append(U_WMRSETTEXTCOLOR_set(colorRef(style.colour)));
        m_track->textColour = style.colour.rgb();
        m_track->textColourSet = true;
    }
    int align = style.hAlign == WmfTextStyle::HAlign::Center  ? taCenter
                : style.hAlign == WmfTextStyle::HAlign::Right ? taRight
                                                               : taLeft;
    align |= style.vAlign == WmfTextStyle::VAlign::Top      ? taTop
             : style.vAlign == WmfTextStyle::VAlign::Bottom ? taBottom
                                                            : taBaseline;
    if (align != m_track->textAlign) {
        append(U_WMRSETTEXTALIGN_set(std::uint16_t(align)));
        m_track->textAlign = align;
    }
    append(U_WMRTEXTOUT_set(point16(anchor), encoded.bytes.data()));
    if (style.mirrored) {
        append(U_WMRRESTOREDC_set(-1));
        m_track->pens.hasSelected = m_track->brushes.hasSelected = m_track->fonts.hasSelected = false;
        m_track->textColourSet = false;
        m_track->textAlign = -1;
    }
}

QByteArray WmfWriter::finish()
{
    if (m_finished)
        return {};
    m_finished = true;
    append(U_WMREOF_set());
    WMFTRACK* wt = m_track->wt;
    // The metafile header learns the file's size, its largest record and the
    // size of its object table only now.
    char* header = wt->buf + U_SIZE_WMRPLACEABLE;
    const std::uint32_t words = std::uint32_t((wt->used - U_SIZE_WMRPLACEABLE) / 2);
    const std::uint32_t largest = wt->largest / 2;
    const std::uint16_t objects = std::uint16_t(std::min<std::uint32_t>(m_track->handles->peak, 65535));
    std::memcpy(header + 6, &words, 4);
    std::memcpy(header + 10, &objects, 2);
    std::memcpy(header + 12, &largest, 4);
    return QByteArray(wt->buf, qsizetype(wt->used));
}

bool writeFileAtomically(const QString& path, const QByteArray& data, QString* error, FileSync sync)
{
    const QString why = app::replaceFile(path, data, {.sync = sync});
    if (!why.isEmpty() && error)
        *error = QStringLiteral("%1: %2").arg(path, why);
    return why.isEmpty();
}

} // namespace metafile
