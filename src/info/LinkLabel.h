#pragma once

#include <QColor>
#include <QLabel>

namespace info {

/// A label that behaves as a link: underlined, a pointing-hand cursor, and a
/// `clicked` signal on a left-button release inside it. Its text colour is
/// set through `setTextColor` so callers can mark a link as visited.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

    void setTextColor(const QColor& color);
    QColor textColor() const;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace info
