#include "QtUserInterface.h"

#include "FrmSplash.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

namespace app {

QString textForScreen(const QString& text)
{
    QString out = text;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(QChar(u'\r'), QChar(u'\n'));
    return out;
}

QtUserInterface::QtUserInterface() = default;

QtUserInterface::~QtUserInterface()
{
    closePleaseWait();
}

MsgAnswer QtUserInterface::message(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& caption)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption);
    box.setText(textForScreen(text));
    box.setTextFormat(Qt::PlainText);
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    // The first button is the default one, as on the original platform.
    switch (buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case MsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    case QMessageBox::Ok: return MsgAnswer::Ok;
    default:  // closed without a button: what Escape would have given
        return buttons == MsgButtons::Ok ? MsgAnswer::Ok
             : buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Cancel;
    }
}

void QtUserInterface::showPleaseWait(const QString& text)
{
    if (!m_splash)
        m_splash = new frmSplash();
    m_splash->pu_subShow(text);
}

void QtUserInterface::closePleaseWait()
{
    delete m_splash.data();
    m_splash = nullptr;
}

QString QtUserInterface::saveFileName(const QString& caption, const QString& proposedPath, const QString& filter)
{
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), caption, proposedPath, filter);
}

QString QtUserInterface::openFileName(const QString& caption, const QString& folder, const QString& filter)
{
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), caption, folder, filter);
}

bool QtUserInterface::openExternally(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

void QtUserInterface::processEvents()
{
    QCoreApplication::processEvents();
}

} // namespace app
