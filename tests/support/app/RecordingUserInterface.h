#pragma once

#include "app/UserInterface.h"

#include <QList>
#include <QStringList>
#include <QUrl>
#include <deque>
#include <optional>

namespace app {

/// A user interface for tests: nothing is shown; every message, please-wait
/// change, file-dialog request and opened address is kept, and questions are
/// answered from a script. Install it with app::ScopedUi. It lives with the
/// tests (and the benchmarks), not in the program.
class RecordingUserInterface : public UserInterface {
public:
    struct Message {
        QString text;
        MsgButtons buttons;
        MsgIcon icon;
        QString caption;
    };
    struct PleaseWaitEvent {
        bool shown;    // false: closed
        QString text;  // the message shown; empty for a close
    };
    struct FileDialogRequest {
        bool save;
        QString caption;
        QString path;  // proposed path (save) or folder (open)
        QString filter;
    };

    /// Answers the next message boxes with these answers, in order.
    void scriptAnswers(std::initializer_list<MsgAnswer> answers);
    /// The answer once the script is used up. Unset: the first button
    /// (OK for OK and OK/Cancel, Yes for Yes/No and Yes/No/Cancel).
    void setDefaultAnswer(std::optional<MsgAnswer> answer) { m_defaultAnswer = answer; }
    /// The next save dialogs return these paths, in order; once used up, they
    /// return an empty text (the user cancelled).
    void scriptSaveFileNames(const QStringList& paths) { m_saveNames.append(paths); }
    /// The next open dialogs return these paths, in order; once used up, they
    /// return an empty text (the user cancelled).
    void scriptOpenFileNames(const QStringList& paths) { m_openNames.append(paths); }
    /// What opening a file or address with the desktop answers (true: opened).
    void setOpenExternallyResult(bool opened) { m_openExternallyResult = opened; }

    const QList<Message>& messages() const { return m_messages; }
    const QList<PleaseWaitEvent>& pleaseWaitEvents() const { return m_pleaseWait; }
    bool pleaseWaitShown() const { return !m_pleaseWait.isEmpty() && m_pleaseWait.last().shown; }
    const QList<FileDialogRequest>& fileDialogs() const { return m_fileDialogs; }
    const QList<QUrl>& openedUrls() const { return m_openedUrls; }
    int processEventsCount() const { return m_processEventsCount; }
    /// Forgets everything recorded (not the script).
    void clearRecord();

    MsgAnswer message(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& caption) override;
    void showPleaseWait(const QString& text) override;
    void closePleaseWait() override;
    QString saveFileName(const QString& caption, const QString& proposedPath, const QString& filter) override;
    QString openFileName(const QString& caption, const QString& folder, const QString& filter) override;
    bool openExternally(const QUrl& url) override;
    /// Counts the call and lets pending events run, as the real one does.
    void processEvents() override;

private:
    std::deque<MsgAnswer> m_answers;
    std::optional<MsgAnswer> m_defaultAnswer;
    QStringList m_saveNames;
    QStringList m_openNames;
    bool m_openExternallyResult = true;
    QList<Message> m_messages;
    QList<PleaseWaitEvent> m_pleaseWait;
    QList<FileDialogRequest> m_fileDialogs;
    QList<QUrl> m_openedUrls;
    int m_processEventsCount = 0;
};

} // namespace app
