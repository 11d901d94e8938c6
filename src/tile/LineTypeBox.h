#pragma once

#include <QComboBox>

namespace tile {

/// The tile's linetype box. The box keeps the tile's narrow design width, so
/// its drop-down button is slim and a name wider than the room left is drawn
/// in a narrower or smaller form of the box's font rather than cut off
/// ("Continuou"). The list itself shows the names in the box's own font and
/// opens as wide as its longest name ("PHANTOMX2", not "PHA…MX2").
///
/// The slim look comes from one style sheet carried by one hidden box of the
/// window (its "look"); every linetype box draws and measures itself through
/// it. A style sheet of each box's own would cost every tile a style object
/// of its own and its list built before anyone opens it.
class LineTypeBox : public QComboBox {
    Q_OBJECT
public:
    explicit LineTypeBox(QWidget* parent = nullptr);

    /// The style sheet every linetype box looks by.
    static QString lookStyleSheet();

    /// Where the shown name is drawn, in pixels relative to the box.
    QRect nameRect() const;
    /// The font the shown name is drawn in.
    QFont nameFont() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    void showPopup() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    /// The window's hidden box that carries the style sheet, made on first use.
    QComboBox& look() const;
    void keepApplicationPalette();
};

} // namespace tile
