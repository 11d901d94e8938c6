#pragma once

#include "metafile/WmfObjectTable.h"
#include "metafile/WmfPenTable.h"
#include "metafile/WmfRecordList.h"
#include "metafile/WmfVisibleArea.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QTransform>

#include <optional>
#include <vector>

class QPainter;

namespace metafile {

/// Plays the records of a metafile onto a painter, keeping the device context
/// a metafile expects: the object table, saved states, window and viewport,
/// text alignment and colours, background mode, fill mode and the current
/// position. Records it does not know, and records whose parameters are short
/// or out of range, are skipped.
class WmfPlayer {
public:
    /// `frame` (logical units) is drawn onto `target` (painter units). With an
    /// empty frame logical units are painter units.
    WmfPlayer(QPainter& painter, const WmfRecordList& list, const QRectF& frame, const QRectF& target);
    void play();

private:
    struct DeviceContext {
        QPointF windowOrg, windowExt{1, 1}, viewportOrg, viewportExt{1, 1};
        int mapMode = 1;
        std::uint32_t pen = 0; ///< index into m_pens, or WmfPenTable::heldInPlace
        WmfPen heldPen;
        QBrush brush{Qt::white};
        WmfFont font;
        std::uint16_t textAlign = 0;
        QColor textColor = Qt::black, bkColor = Qt::white;
        bool opaqueBackground = true;
        Qt::FillRule fillRule = Qt::OddEvenFill;
        QPointF position;
        std::optional<QPainterPath> clip; ///< in device units, as GDI keeps its clip region
    };

    void playRecord(const WmfRecord& r);
    /// One record of a kind; false when `r` is of another kind.
    bool playStateRecord(const WmfRecord& r);
    bool playObjectRecord(const WmfRecord& r);
    void playDrawingRecord(const WmfRecord& r);
    void updateTransform();
    /// True when what `logical` bounds, drawn with the selected pen, would
    /// fall wholly outside what can be seen, so the painter is spared it.
    bool outOfSight(const QRectF& logical) const;
    QPointF point(const WmfRecord& r, std::uint32_t index) const; ///< (x,y) stored as y at index, x at index+1
    QRectF rect(const WmfRecord& r, std::uint32_t index) const;   ///< bottom,right,top,left from index
    /// `count` points stored x, y from word `index` on; valid until the next call.
    const QPolygonF& points(const WmfRecord& r, std::uint32_t index, std::uint32_t count);
    QColor colour(const WmfRecord& r, std::uint32_t index) const;
    void selectObject(std::uint16_t index);
    void createPen(const WmfRecord& r);
    void createBrush(const WmfRecord& r);
    void createFont(const WmfRecord& r);
    /// The selected pen goes to the painter, made for the current scale
    /// when it was last drawn at another.
    void applyPen();
    void applyBrush(bool fill);
    void applyClip();
    void drawPolyline(const WmfRecord& r);
    void drawPolygon(const WmfRecord& r);
    void drawPolyPolygon(const WmfRecord& r);
    void drawArcFamily(const WmfRecord& r);
    /// m_arc, built on the device, brought back to logical units.
    void mapArcBack();
    /// An arc within one device pixel (`box`, device units) drawn as the
    /// lines the painter would flatten its curves to; false when it is left
    /// to the painter.
    bool drawTinyArc(const QRectF& box, double startAngle, double span);
    /// An unfilled ellipse within one device pixel (`logical` bounds) drawn
    /// as the lines the painter would flatten it to; false when it is left
    /// to the painter.
    bool drawTinyEllipse(const QRectF& logical);
    /// True when the selected pen draws one pixel wide at this scale.
    bool penIsCosmetic() const;
    void drawText(const QPointF& logical, const QByteArray& bytes, bool useCurrentPosition);
    bool textUnderHalfAPixel() const;
    void textOut(const WmfRecord& r);
    void extTextOut(const WmfRecord& r);
    void clipRect(const WmfRecord& r, bool intersect);

    QPainter& m_painter;
    const WmfRecordList& m_list;
    QRectF m_frame;
    QRectF m_target;
    QTransform m_frameToTarget;
    QTransform m_base;                     ///< the painter's own transform when play began
    std::optional<QPainterPath> m_baseClip; ///< the painter's clip (device units) when play began
    QTransform m_logicalToDevice;
    double m_deviceScale = 1; ///< device units a logical unit, on average over both axes
    std::optional<QTransform> m_deviceToLogical; ///< none while the transform cannot be inverted
    DeviceContext m_dc;
    std::vector<DeviceContext> m_saved;
    WmfObjectTable m_objects;
    WmfVisibleArea m_visible;
    QPolygonF m_points;
    QPainterPath m_arc; ///< the arc being drawn
    WmfPenTable m_pens;
    QBrush m_noBrush{Qt::NoBrush};
    int m_backgroundMode = -1; ///< last set on the painter; -1 before any
};

} // namespace metafile
