#pragma once

#include "UserInterface.h"

#include <QPointer>

class frmSplash;

namespace app {

/// Turns a message's lone CRs (the program's line separator) into line feeds
/// for the screen; CR LF pairs become one line feed.
QString textForScreen(const QString& text);

/// The user interface on a real screen: Qt message boxes and file dialogs, the
/// please-wait window frmSplash, and the desktop's default applications.
class QtUserInterface : public UserInterface {
public:
    QtUserInterface();
    ~QtUserInterface() override;

    MsgAnswer message(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& caption) override;
    void showPleaseWait(const QString& text) override;
    void closePleaseWait() override;
    QString saveFileName(const QString& caption, const QString& proposedPath, const QString& filter) override;
    QString openFileName(const QString& caption, const QString& folder, const QString& filter) override;
    bool openExternally(const QUrl& url) override;
    void processEvents() override;

private:
    QPointer<frmSplash> m_splash;
};

} // namespace app
