#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace cad {

class CadDocument;

/// The host window's picture of the drawing: the visible layers of model
/// space, fitted into the widget. It is drawn once into an image and repainted
/// from it, so the drawing is only drawn anew when redraw() says the layers
/// changed (a regeneration) or the size changed. A burst of regenerations
/// (a refresh of the viewer makes several, between many bus calls) is drawn
/// once, shortly after the last, so the host keeps answering meanwhile.
class DrawingView : public QWidget {
    Q_OBJECT
public:
    explicit DrawingView(QWidget* parent = nullptr);

    void setDocument(std::shared_ptr<CadDocument> document);
    /// Draws the drawing anew on the next paint.
    void redraw();

signals:
    /// The picture was drawn anew; `outlinedInserts` inserts were drawn as
    /// their outline box because it reached its primitive budget.
    void drawn(qulonglong outlinedInserts);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::shared_ptr<CadDocument> m_document;
    QImage m_picture;
    QTimer m_settle;
};

} // namespace cad
