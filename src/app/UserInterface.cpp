#include "UserInterface.h"

#include <QtGlobal>

namespace app {
namespace {
UserInterface* g_ui = nullptr;
}

UserInterface& ui()
{
    Q_ASSERT_X(g_ui, "app::ui", "no user interface set");
    return *g_ui;
}

void setUi(UserInterface* userInterface)
{
    g_ui = userInterface;
}

} // namespace app
