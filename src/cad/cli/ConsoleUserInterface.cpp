#include "ConsoleUserInterface.h"

namespace cad::cli {

app::MsgAnswer ConsoleUserInterface::message(const QString& text, app::MsgButtons buttons, app::MsgIcon icon,
                                             const QString&)
{
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" / "));
    line.replace(u'\r', QStringLiteral(" / "));
    line.replace(u'\n', QStringLiteral(" / "));
    if (icon == app::MsgIcon::Information || icon == app::MsgIcon::None) {
        m_output << "kasanemi-cad: " << line << Qt::endl;
    } else {
        m_errors << "kasanemi-cad: " << line << Qt::endl;
    }
    switch (buttons) {
    case app::MsgButtons::Ok:
    case app::MsgButtons::OkCancel:
        return app::MsgAnswer::Ok;
    case app::MsgButtons::YesNo:
    case app::MsgButtons::YesNoCancel:
        return app::MsgAnswer::Yes;
    }
    return app::MsgAnswer::Ok;
}

} // namespace cad::cli
