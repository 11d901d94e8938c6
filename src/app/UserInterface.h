#pragma once

#include <QString>
#include <QUrl>

namespace app {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };

/// Everything the program says to the user or asks of them goes through this
/// interface: message boxes, the please-wait window, file dialogs, opening a
/// file or web page with the desktop's application, and letting pending
/// window messages run. The Qt implementation shows real dialogs; tests use a
/// recording one that answers as scripted and keeps every message.
class UserInterface {
public:
    virtual ~UserInterface() = default;

    /// A modal message box. `text` is kept exactly as given (a lone CR is a
    /// line break on screen). Returns the button pressed.
    virtual MsgAnswer message(const QString& text, MsgButtons buttons, MsgIcon icon,
                              const QString& caption) = 0;

    /// Shows the please-wait window with `text` (topmost, centred) and lets it paint.
    virtual void showPleaseWait(const QString& text) = 0;
    /// Closes the please-wait window; harmless when none is shown.
    virtual void closePleaseWait() = 0;

    /// Asks for a file to write; an empty result means the user cancelled.
    virtual QString saveFileName(const QString& caption, const QString& proposedPath,
                                 const QString& filter) = 0;
    /// Asks for a file to read; an empty result means the user cancelled.
    virtual QString openFileName(const QString& caption, const QString& folder,
                                 const QString& filter) = 0;

    /// Opens a file, folder or web page with the desktop's default application.
    /// Returns false when the desktop could not start one.
    virtual bool openExternally(const QUrl& url) = 0;

    /// Lets pending window messages (paint, input) run.
    virtual void processEvents() = 0;
};

/// The user interface the program talks through. Set once at start-up (the Qt
/// one) or by a test (a recording one); never null after that.
UserInterface& ui();
void setUi(UserInterface* userInterface);
/// The user interface set, or null before start-up has set one.
UserInterface* currentUiOrNull();

/// Makes a user interface the program's one for its lifetime, then puts the
/// previous one back (a command-line mode's console, a test's recording one).
class ScopedUi {
public:
    explicit ScopedUi(UserInterface& userInterface);
    ~ScopedUi();
    ScopedUi(const ScopedUi&) = delete;
    ScopedUi& operator=(const ScopedUi&) = delete;

private:
    UserInterface* m_previous;
};

} // namespace app
