#include "UserInterface.h"

#include <QtGlobal>

namespace app {
namespace {
UserInterface* g_ui = nullptr;
}

UserInterface& ui()
{
    // A missing interface is a programming error; say so rather than crash blindly.
    if (!g_ui)
        qFatal("app::ui(): no user interface set (call app::setUi at start-up or in the test)");
    return *g_ui;
}

void setUi(UserInterface* userInterface)
{
    g_ui = userInterface;
}

UserInterface* currentUiOrNull()
{
    return g_ui;
}

ScopedUi::ScopedUi(UserInterface& userInterface) : m_previous(currentUiOrNull())
{
    setUi(&userInterface);
}

ScopedUi::~ScopedUi()
{
    setUi(m_previous);
}

} // namespace app
