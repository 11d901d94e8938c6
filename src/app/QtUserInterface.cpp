#include "QtUserInterface.h"

#include "FrmSplash.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QScreen>
#include <QTreeView>

namespace app {
namespace {

/// Qt wraps a message wider than half the screen, and Japanese text may be
/// broken between any two characters ("下さ" / "い"). Our messages place their
/// own line breaks: the text label asks for the width of its longest line, so
/// Qt sizes the box to it, as far as the screen allows.
class MessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override
    {
        if (auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
            const QRect available = screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 768);
            int widest = 0;
            for (const QString& line : label->text().split(u'\n'))
                widest = std::max(widest, label->fontMetrics().horizontalAdvance(line) + 2 * label->margin() + 1);
            // Within the widest box Qt allows (a screen up to 1024 px wide,
            // else 480 px less, at most 1000), with room beside the label
            // for the icon and the margins; a longer line is still wrapped.
            const int screenWidth = available.width();
            const int widestBox = screenWidth <= 1024 ? screenWidth : std::min(screenWidth - 480, 1000);
            constexpr int kBesideLabel = 160;
            if (widest + kBesideLabel <= widestBox)
                label->setMinimumWidth(widest);
        }
        QMessageBox::showEvent(event);
    }
};

/// Qt's own file dialog rather than the desktop's: it speaks the program's
/// language through Qt's translations, whatever the desktop's language, and
/// is made wide enough for long names and whole dates.
QString askForFile(QFileDialog::AcceptMode mode, const QString& caption, const QString& path, const QString& filter)
{
    QFileDialog dialog(QApplication::activeWindow(), caption, path, filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setViewMode(QFileDialog::Detail);
    const QScreen* screen = dialog.screen() ? dialog.screen() : QGuiApplication::primaryScreen();
    const QSize room = screen ? screen->availableGeometry().size() * 9 / 10 : QSize(900, 560);
    dialog.resize(std::min(900, room.width()), std::min(560, room.height()));
    if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        details->header()->setStretchLastSection(false);
        details->header()->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int column = 1; column < details->header()->count(); ++column)
            details->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace

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
    MessageBox box(QApplication::activeWindow());
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
    return askForFile(QFileDialog::AcceptSave, caption, proposedPath, filter);
}

QString QtUserInterface::openFileName(const QString& caption, const QString& folder, const QString& filter)
{
    return askForFile(QFileDialog::AcceptOpen, caption, folder, filter);
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
