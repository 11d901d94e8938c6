#pragma once

#include <QMainWindow>
#include <QString>

class QComboBox;
class QStatusBar;

/// The main window of the layer viewer. This part holds its start-up and
/// close: the saved position and size (in twips, in the settings file), the
/// layer-list path taken from the command line, the zoom-step list, and the
/// removal of the work folder when the window closes.
class frmWMF : public QMainWindow {
    Q_OBJECT
public:
    explicit frmWMF(QWidget* parent = nullptr);

    /// Start-up: resolves the settings file (creating it when missing), applies
    /// the saved position and size as read, shows the window, keeps
    /// `commandLine` as the layer-list path when a file of that exact name
    /// exists, fills the zoom-step list, lets pending events run once, brings
    /// the window to the front and, with a layer-list path, emits
    /// refreshRequested() at once.
    void Form_Load(const QString& commandLine);

    /// The layer-list file named on the command line; empty when none (or once
    /// the refresh has consumed it through clearCommandCSV()).
    const QString& sCommandCSV() const { return m_sCommandCSV; }
    void clearCommandCSV() { m_sCommandCSV.clear(); }

    /// The settings path as SetINI resolved it.
    const QString& settingsPath() const { return m_sIniPath; }

    QStatusBar* StatusMain() const { return m_statusMain; }
    QComboBox* CboZoom() const { return m_cboZoom; }

signals:
    /// Start-up was given a layer-list file: the refresh must run right away.
    void refreshRequested();

protected:
    /// Close: saves the position and size, then deletes the work folder.
    void closeEvent(QCloseEvent* event) override;

private:
    void pr_subZoomListInit();
    void Form_Unload();
    /// Gives the window the outer position and size it was restored with, once
    /// the window system has told us the frame's size.
    void applyRestoredOuterGeometry();

    QStatusBar* m_statusMain;
    QComboBox* m_cboZoom;
    QString m_sIniPath;
    QString m_sCommandCSV;
    QRect m_restoredOuter;
};
