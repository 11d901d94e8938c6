#include "OmissionNotes.h"

// Quiet unless asked for: QT_LOGGING_RULES="kasanemi.omitted.info=true".
Q_LOGGING_CATEGORY(lcOmitted, "kasanemi.omitted", QtWarningMsg)

namespace cad {

void OmissionNotes::note(const QString& kind, const QString& reason)
{
    for (Entry& e : m_entries) {
        if (e.kind == kind) {
            ++e.count;
            return;
        }
    }
    m_entries.push_back({kind, 1, reason});
}

void OmissionNotes::log(const char* stage) const
{
    for (const Entry& e : m_entries)
        qCInfo(lcOmitted).noquote() << stage << e.kind << e.count << e.reason;
}

} // namespace cad
