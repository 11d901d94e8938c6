#pragma once

#include "cad/Drawing.h"
#include "cad/render/PictureFrame.h"

#include <QFutureWatcher>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace cad {

class CadDocument;

/// The host window's picture of the drawing: the visible layers of model
/// space, fitted into the widget. The picture is drawn on a worker thread
/// into an image and the widget paints that image, so the thread that answers
/// the bus never waits on a drawing of the whole drawing: a call that comes
/// while the picture is drawn is answered at once.
///
/// Each regeneration asks for a picture of the state it leaves. A burst of
/// them (a refresh of the viewer makes several) is drawn once, shortly after
/// the last; a picture under way when a newer state is asked for stops at its
/// next entity and is never shown, and the newer one is drawn after it. The
/// screen keeps the last finished picture until a newer one is done, so it
/// never shows a state older than one already shown.
///
/// The worker reads the document's own drawing, shared (its entities stay as
/// they are while it is held), with a copy of the layer table taken when the
/// picture starts: of what the picture reads, the only part the calls change
/// meanwhile.
class DrawingView : public QWidget {
    Q_OBJECT
public:
    explicit DrawingView(QWidget* parent = nullptr);
    ~DrawingView() override;

    void setDocument(std::shared_ptr<CadDocument> document);
    /// Asks for a picture of the drawing as it is now; any picture under way
    /// is of an older state and stops. Several calls in a row draw once.
    void redraw();
    /// True while a picture is being drawn or waits to be.
    bool isDrawing() const;

    /// How many pictures were started, shown, and abandoned for a newer state
    /// (stopped on the way or finished too late to be shown).
    struct Counts {
        int started = 0;
        int shown = 0;
        int abandoned = 0;
    };
    Counts counts() const { return m_counts; }

    /// What the worker is given: the drawing, shared, and what may change
    /// while it draws, copied.
    struct Job {
        std::shared_ptr<const Drawing> drawing;
        std::vector<LayerRecord> layers;
        /// Kept from the document's first picture: it depends on the entities only.
        std::optional<render::PictureFrame> frame;
        QSize size;
        qreal ratio = 1;
        std::shared_ptr<std::atomic<bool>> stop;
        quint64 state = 0;
        /// Which document the picture is of (counts setDocument calls).
        quint64 document = 0;
    };
    /// What the worker gives back.
    struct Picture {
        QImage image;
        std::size_t outlinedInserts = 0;
        bool complete = false;
        render::PictureFrame frame;
        quint64 state = 0;
        quint64 document = 0;
    };
    /// Draws a job; the view's worker runs this unless a test puts a function
    /// around it (to hold the worker at a point of its choosing).
    using Painter = std::function<Picture(const Job&)>;
    static Picture paint(const Job& job);
    void setPainter(Painter painter) { m_painter = std::move(painter); }

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

    std::shared_ptr<CadDocument> m_document;
    std::optional<render::PictureFrame> m_frame;
    QImage m_picture;
    QTimer m_settle;
    QFutureWatcher<Picture> m_drawing;
    /// The stop flag of the picture under way, from its start until the view
    /// has taken its result; null when none is.
    std::shared_ptr<std::atomic<bool>> m_stop;
    /// Counts the states asked for; a picture is shown only when it is of
    /// the latest.
    quint64 m_state = 0;
    quint64 m_documentNumber = 0;
    Counts m_counts;
    Painter m_painter = &DrawingView::paint;
};

} // namespace cad
