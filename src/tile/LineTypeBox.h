#pragma once

#include <QComboBox>

namespace tile {

/// The tile's linetype box. The box keeps the tile's narrow design width, so
/// its drop-down button is slim and a name wider than the room left is drawn
/// in a narrower or smaller form of the box's font rather than cut off
/// ("Continuou"). The list itself shows the names in the box's own font and
/// opens as wide as its longest name ("PHANTOMX2", not "PHA…MX2").
class LineTypeBox : public QComboBox {
    Q_OBJECT
public:
    explicit LineTypeBox(QWidget* parent = nullptr);

    /// Where the shown name is drawn, in pixels relative to the box.
    QRect nameRect() const;
    /// The font the shown name is drawn in.
    QFont nameFont() const;

    void showPopup() override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace tile
