#pragma once

#include "cad/bus/HostWindowControl.h"

#include <QMainWindow>
#include <QMetaObject>

#include <memory>

namespace cad {

class CadDocument;
class DrawingView;
class LocalApplication;

/// The drawing host's main window: the drawing as it is now (visible layers,
/// drawn anew at every regeneration), titled with the application's caption,
/// and a File menu to open, save, save as and quit. Dropping unsaved layer
/// changes (open, quit) is asked first. The status line says when the file
/// was cut short (a message says so too when it is opened) and when a
/// picture drew inserts as outline boxes. Messages and file dialogs go
/// through app::ui().
class CadMainWindow : public QMainWindow, public HostWindowControl {
    Q_OBJECT
public:
    explicit CadMainWindow(std::shared_ptr<LocalApplication> application, QWidget* parent = nullptr);
    ~CadMainWindow() override;

    /// The handle the bus hands out for this window: its native id cut to 32
    /// bits, as window handles travel through the viewer; never 0.
    qint64 handle();

    qint64 handleIfTitled(const QString& title) override;
    bool bringToFront(qint64 handle) override;
    void showWindow(bool visible) override;
    void showSaved() override;

    /// File > Open: asks about unsaved changes, then loads `path` (a dialog
    /// when empty). False when cancelled or the file could not be read; the
    /// current drawing then stays.
    bool openDrawing(const QString& path = QString());
    /// File > Save; a drawing never saved goes to Save As. False when not saved.
    bool saveDrawing();
    /// File > Save As (a dialog when `path` is empty). False when not saved.
    bool saveDrawingAs(const QString& path = QString());
    /// The text of the status line (for tests).
    QString statusText() const;
    /// Shows the load warning of the drawing given on the command line.
    void openedFromCommandLine() { warnAboutLoad(); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createActions();
    void attachDocument();
    void updateTitle();
    /// The status line: what is wrong with the file as loaded, and whether
    /// pictures of it were cut short.
    void updateStatus();
    /// Shows the load warning of the drawing just opened, once.
    void warnAboutLoad();
    /// True when nothing unsaved would be lost: no changes, or the user saved
    /// them or agreed to drop them.
    bool maySafelyDropDrawing();
    void reportFailure(const QString& text);

    std::shared_ptr<LocalApplication> m_application;
    DrawingView* m_view;
    QMetaObject::Connection m_regenConnection;
    QMetaObject::Connection m_changeConnection;
    QMetaObject::Connection m_cutConnection;
    qulonglong m_viewOutlined = 0;
    qulonglong m_picturesOutlined = 0;
};

} // namespace cad
