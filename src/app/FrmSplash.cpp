#include "FrmSplash.h"

#include "AppInfo.h"
#include "Twips.h"
#include "WindowHelpers.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr double kClientWidthTwips = 3945;
constexpr double kClientHeightTwips = 600;
} // namespace

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
    , m_lblMsg(new QLabel(this))
{
    setObjectName(QStringLiteral("frmSplash"));
    m_lblMsg->setObjectName(QStringLiteral("LblMsg"));
    m_lblMsg->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_lblMsg);
    setFixedSize(app::twipsToPixels(kClientWidthTwips), app::twipsToPixels(kClientHeightTwips));
    setWindowTitle(QString::fromUtf16(app::kAppTitle));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    // Like its load event on the original platform: topmost, and shown by that.
    app::SetTopMost(app::windowHandle(this));
}

void frmSplash::pu_subShow(const QString& sMsg)
{
    m_lblMsg->setText(sMsg);
    setWindowTitle(QString::fromUtf16(app::kAppTitle));
    QCoreApplication::processEvents();
    show();
}
