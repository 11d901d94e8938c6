#pragma once

#include <QLineEdit>

namespace viewer {

/// The toolbar's box for a layer-name pattern: placeholder 「画層名フィルタ」,
/// a tooltip with the pattern rules. Enter is returnPressed(); Escape is
/// escapePressed().
class LayerFilterBox : public QLineEdit {
    Q_OBJECT
public:
    explicit LayerFilterBox(QWidget* parent = nullptr);

    /// The tooltip: how a pattern matches layer names.
    static QString patternRules();

signals:
    void escapePressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace viewer
