#include "FrmSplash.h"

#include "AppInfo.h"
#include "Twips.h"
#include "WindowHelpers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

namespace {
constexpr double kClientWidthTwips = 3945;
constexpr double kClientHeightTwips = 600;
/// How long a show waits for the window system to map the window.
constexpr qint64 kMapWaitMs = 500;
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
    centreOnScreen(app::guessedFrame(*this));
    // Like its load event on the original platform: topmost, and shown by that.
    app::SetTopMost(app::windowHandle(this));
}

void frmSplash::pu_subShow(const QString& sMsg)
{
    m_lblMsg->setText(sMsg);
    setWindowTitle(QString::fromUtf16(app::kAppTitle));
    QCoreApplication::processEvents();
    show();
    // The window system frames the window when it maps it: wait for that (a
    // moment, and never for the user's input), so that the whole window can
    // be centred by its real frame before the caller blocks.
    QElapsedTimer waited;
    waited.start();
    while (windowHandle() && !windowHandle()->isExposed() && waited.elapsed() < kMapWaitMs)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    followFrame();
}

void frmSplash::centreOnScreen(const QMargins& frame)
{
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    m_centredFor = frame;
    setGeometry(app::fittedOnScreen(size(), screen->availableGeometry(), frame));
}

void frmSplash::followFrame()
{
    // The frame was guessed before the window was shown; once the window
    // system has put its own around the window (none, offscreen), the whole
    // is centred by that one. A window the user drags keeps its frame, and
    // so its new place.
    if (const QWindow* window = windowHandle(); window && window->frameMargins() != m_centredFor)
        centreOnScreen(window->frameMargins());
}
