#pragma once

#include <QLabel>

namespace tile {

/// A small picture that reacts to a click: the tile's on/off, freeze and lock
/// buttons (showing a state picture) and its colour swatch (showing a
/// colour). It remembers the name of the picture it shows, so the state it
/// presents can be read back without comparing pixels.
class ImageButton : public QLabel {
    Q_OBJECT
public:
    explicit ImageButton(QWidget* parent = nullptr);

    /// Shows `pixmap` and remembers it under `pictureName`.
    void showPicture(const QPixmap& pixmap, const QString& pictureName);
    /// The name given with the picture shown; empty before the first.
    QString pictureName() const { return m_pictureName; }

    /// Fills the whole button with one colour, outlined (the colour swatch).
    void setFillColor(const QColor& color);
    QColor fillColor() const { return m_fillColor; }

signals:
    /// A left-button press and release inside the button.
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString m_pictureName;
    QColor m_fillColor;
    bool m_pressed = false;
};

} // namespace tile
