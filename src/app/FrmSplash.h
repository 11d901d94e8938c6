#pragma once

#include <QMargins>
#include <QWidget>

class QLabel;

/// The please-wait window: a small fixed window (client area 3945 x 600 twips),
/// always on top and centred on the screen (the whole window, its frame
/// included), that shows one message while a long operation blocks the
/// user-interface thread. Modeless; callers close it by deleting it.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    /// Shows `sMsg` (replacing the message when already shown), with the
    /// application title as caption, and lets pending window messages run once
    /// so that the window paints before the caller blocks.
    void pu_subShow(const QString& sMsg);

    QLabel* LblMsg() const { return m_lblMsg; }

private:
    /// Centres the window with its frame, `frame` around the client area.
    void centreOnScreen(const QMargins& frame);
    /// Centres the window again when the window system's frame is not the
    /// one it was centred for.
    void followFrame();

    QLabel* m_lblMsg;
    /// The frame the window was last centred for.
    QMargins m_centredFor;
};
