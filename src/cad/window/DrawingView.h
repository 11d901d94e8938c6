#pragma once

#include <QFutureWatcher>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace cad {

class CadDocument;
class Drawing;

/// The host window's picture of the drawing: the visible layers of model
/// space, fitted into the widget. The picture is drawn on a worker thread
/// into an image and the widget paints that image, so the thread that answers
/// the bus never waits on a drawing of the whole drawing: a call that comes
/// while the picture is drawn is answered at once. A burst of regenerations
/// (a refresh of the viewer makes several) is drawn once, shortly after the
/// last; the old picture stays on screen until the new one is done.
///
/// The worker draws from a copy of the drawing of its own, taken when the
/// document is attached; before each drawing the copy takes the live layer
/// table (and the whole drawing again after a layer was renamed, which moves
/// entities to the new name).
class DrawingView : public QWidget {
    Q_OBJECT
public:
    explicit DrawingView(QWidget* parent = nullptr);
    ~DrawingView() override;

    void setDocument(std::shared_ptr<CadDocument> document);
    /// Draws the drawing anew, shortly (several calls in a row draw once).
    void redraw();
    /// True while a picture is being drawn or waits to be.
    bool isDrawing() const;

    /// What the worker draws: the picture and how many inserts it drew as
    /// their outline box because they reached their primitive budget.
    struct Picture {
        QImage image;
        std::size_t outlinedInserts = 0;
    };

signals:
    /// A new picture is on screen; `outlinedInserts` inserts were drawn as
    /// their outline box because they reached their primitive budget.
    void drawn(qulonglong outlinedInserts);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void startDrawing();
    void takePicture();
    void refreshCopy();

    std::shared_ptr<CadDocument> m_document;
    /// The worker's copy; touched here only while no drawing runs.
    std::shared_ptr<Drawing> m_copy;
    QImage m_picture;
    QTimer m_settle;
    QFutureWatcher<Picture> m_drawing;
    /// Another drawing was asked for while one ran.
    bool m_again = false;
    /// The running drawing is of a document replaced since it started.
    bool m_staleDrawing = false;
};

} // namespace cad
