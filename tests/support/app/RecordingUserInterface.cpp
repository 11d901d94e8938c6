#include "RecordingUserInterface.h"

#include <QCoreApplication>

namespace app {

void RecordingUserInterface::scriptAnswers(std::initializer_list<MsgAnswer> answers)
{
    m_answers.insert(m_answers.end(), answers.begin(), answers.end());
}

void RecordingUserInterface::clearRecord()
{
    m_messages.clear();
    m_pleaseWait.clear();
    m_fileDialogs.clear();
    m_openedUrls.clear();
    m_processEventsCount = 0;
}

MsgAnswer RecordingUserInterface::message(const QString& text, MsgButtons buttons, MsgIcon icon,
                                          const QString& caption)
{
    m_messages.append({text, buttons, icon, caption});
    if (!m_answers.empty()) {
        const MsgAnswer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    if (m_defaultAnswer)
        return *m_defaultAnswer;
    return (buttons == MsgButtons::Ok || buttons == MsgButtons::OkCancel) ? MsgAnswer::Ok : MsgAnswer::Yes;
}

void RecordingUserInterface::showPleaseWait(const QString& text)
{
    m_pleaseWait.append({true, text});
}

void RecordingUserInterface::closePleaseWait()
{
    m_pleaseWait.append({false, QString()});
}

QString RecordingUserInterface::saveFileName(const QString& caption, const QString& proposedPath,
                                             const QString& filter)
{
    m_fileDialogs.append({true, caption, proposedPath, filter});
    return m_saveNames.isEmpty() ? QString() : m_saveNames.takeFirst();
}

QString RecordingUserInterface::openFileName(const QString& caption, const QString& folder, const QString& filter)
{
    m_fileDialogs.append({false, caption, folder, filter});
    return m_openNames.isEmpty() ? QString() : m_openNames.takeFirst();
}

bool RecordingUserInterface::openExternally(const QUrl& url)
{
    m_openedUrls.append(url);
    return m_openExternallyResult;
}

void RecordingUserInterface::processEvents()
{
    ++m_processEventsCount;
    QCoreApplication::processEvents();
}

} // namespace app
