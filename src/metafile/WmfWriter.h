#pragma once

#include "app/AtomicReplace.h"
#include "metafile/WmfText.h"

#include <QByteArray>
#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <tuple>
#include <vector>

namespace metafile {

/// Text placement for WmfWriter::text.
struct WmfTextStyle {
    int height = 0;             ///< character (em) height in logical units
    double angleDegrees = 0;    ///< counterclockwise on the picture
    enum class HAlign { Left, Center, Right } hAlign = HAlign::Left;
    enum class VAlign { Baseline, Top, Bottom } vAlign = VAlign::Baseline;
    QColor colour = Qt::black;
    /// Characters this many times as wide as the face's own (the font's average width).
    double widthFactor = 1;
    bool italic = false;
    /// Mirrored left to right about the anchor: written through a mirrored
    /// window, which players that honour the mapping for text show mirrored.
    bool mirrored = false;
};

/// Writes a placeable Windows Metafile (libUEMF builds the records). The
/// logical frame runs from (0,0) at the top left to `logicalSize`, y down,
/// and the placeable header gives it `unitsPerInch`, hence its natural size.
/// Coordinates are 16-bit in a metafile; the writer clamps what lies beyond,
/// so callers clip geometry that reaches far outside the frame.
class WmfWriter {
public:
    WmfWriter(QSize logicalSize, int unitsPerInch);
    ~WmfWriter();
    WmfWriter(const WmfWriter&) = delete;
    WmfWriter& operator=(const WmfWriter&) = delete;

    /// The pen for lines and outlines; width in logical units, 0 for the
    /// thinnest line the player can draw. A pen that does not change costs
    /// nothing.
    void setPen(const QColor& colour, int width = 0);
    void setNoPen();
    /// The brush for polygons and ellipses; setNoBrush leaves them unfilled.
    void setBrush(const QColor& colour);
    void setNoBrush();

    void polyline(std::span<const QPoint> points);
    /// A filled polygon (current brush) outlined with the current pen.
    void polygon(std::span<const QPoint> points);
    /// Several polygons filled together with the even-odd rule (holes).
    void polyPolygon(const std::vector<std::vector<QPoint>>& polygons);
    void ellipse(const QRect& box);
    /// The outline of the ellipse in `box` counterclockwise (as seen, y down)
    /// from the ray through `start` to the ray through `end`; unfilled.
    void arc(const QRect& box, QPoint start, QPoint end);
    /// Text from `anchor`; Japanese and other non-Latin text is written in the
    /// code page of the font's character set.
    void text(QPoint anchor, const QString& text, const WmfTextStyle& style);
    /// Text already in one character set (see splitMetafileText).
    void text(QPoint anchor, EncodedText encoded, const WmfTextStyle& style);

    /// The complete file. The writer can take no more records afterwards.
    QByteArray finish();

private:
    struct Track;
    /// (style or height, colour or angle, width or character set)
    using ObjectKey = std::tuple<int, std::uint32_t, int>;
    struct ObjectCache {
        std::map<ObjectKey, std::uint32_t> handles;
        ObjectKey selected{};
        bool hasSelected = false;
    };
    void append(char* record);
    void select(ObjectCache& cache, const ObjectKey& key, const std::function<char*(std::uint32_t*)>& create);
    std::unique_ptr<Track> m_track;
    QSize m_size;
    bool m_finished = false;
};

using app::FileSync;

/// Writes `data` to `path` so that the file is either the old one or the whole
/// new one, never half written: a temporary file beside it, then a rename.
/// False, with "path: reason" in *error, on failure; nothing is left behind then.
bool writeFileAtomically(const QString& path, const QByteArray& data, QString* error = nullptr,
                         FileSync sync = FileSync::ToDisk);

} // namespace metafile
