#pragma once

#include <QString>

#include <utility>

namespace viewer {

/// A new widget with its object name: the main window's controls keep the
/// names the program gives them (FraOne1, CmdView1, …), which is how they are
/// found again.
template <typename W, typename... Args>
W* named(const QString& name, Args&&... args)
{
    W* widget = new W(std::forward<Args>(args)...);
    widget->setObjectName(name);
    return widget;
}

} // namespace viewer
