#pragma once

#include "app/UserInterface.h"

#include <QTextStream>

namespace cad::cli {

/// The user interface of the batch export: messages become single lines,
/// completions on standard output and everything weightier on standard error,
/// each prefixed with the program's name; a lone CR in a message becomes " / ".
/// Questions get their first button, file dialogs are cancelled, nothing is
/// opened and there is no please-wait window.
class ConsoleUserInterface : public app::UserInterface {
public:
    ConsoleUserInterface(QTextStream& output, QTextStream& errors) : m_output(output), m_errors(errors) {}

    app::MsgAnswer message(const QString& text, app::MsgButtons buttons, app::MsgIcon icon,
                           const QString& caption) override;
    void showPleaseWait(const QString&) override {}
    void closePleaseWait() override {}
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    bool openExternally(const QUrl&) override { return false; }
    void processEvents() override {}

private:
    QTextStream& m_output;
    QTextStream& m_errors;
};

} // namespace cad::cli
