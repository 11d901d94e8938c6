#pragma once

#include "metafile/WmfPicture.h"

#include <QPointF>
#include <QRectF>
#include <QWidget>

namespace tile {

/// An image control for a metafile picture: the overview pictures and every
/// tile picture. It keeps its place and size in twips exactly as the layout
/// sets them (the widget itself is placed in whole pixels), so that zooming
/// and panning never drift through pixel rounding, and it draws its picture
/// as vector graphics stretched into its rectangle, sharp at any zoom.
///
/// With stretching off the control takes the picture's natural size (a
/// control without picture keeps the size it has). Mouse events are reported
/// in twips relative to the control.
class WmfImage : public QWidget {
    Q_OBJECT
public:
    explicit WmfImage(QWidget* parent = nullptr);

    /// Loads a WMF file as the picture. On failure the control shows no
    /// picture and the reason is in *error.
    bool loadPicture(const QString& path, QString* error = nullptr);
    /// Shows no picture.
    void clearPicture();
    bool hasPicture() const { return !m_picture.isNull(); }
    const metafile::WmfPicture& picture() const { return m_picture; }

    /// Switching stretching off returns the control to the picture's natural size.
    void setStretch(bool stretch);
    bool stretch() const { return m_stretch; }

    /// Place and size in twips, relative to the parent.
    QRectF twipsGeometry() const { return m_twips; }
    void setTwipsGeometry(const QRectF& twips);
    double leftTwips() const { return m_twips.left(); }
    double topTwips() const { return m_twips.top(); }
    double widthTwips() const { return m_twips.width(); }
    double heightTwips() const { return m_twips.height(); }

signals:
    /// A mouse button went down at `posTwips` (relative to the control).
    void mousePressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF posTwips);
    /// The pointer moved to `posTwips` (reported while a button is held).
    void mouseMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPointF posTwips);
    void mouseReleased(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF posTwips);
    /// A press and release of the left button over the control.
    void clicked();
    /// The second press of a double-click (after press, release and click of the first).
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QPointF toTwips(const QPointF& pixels) const;

    metafile::WmfPicture m_picture;
    QRectF m_twips;
    bool m_stretch = false;
    bool m_leftPressed = false;
};

} // namespace tile
