#pragma once

// What the reader or the renderer left out of a drawing, and why: one entry
// a kind, with how many were left out and the first reason given, so that a
// drawing with ten thousand solids says so once, not ten thousand times.

#include <QLoggingCategory>
#include <QString>

#include <cstddef>
#include <vector>

Q_DECLARE_LOGGING_CATEGORY(lcOmitted)

namespace cad {

class OmissionNotes {
public:
    struct Entry {
        QString kind;   ///< what was left out: an entity name ("3DSOLID") or a feature ("linetype shape")
        std::size_t count = 0;
        QString reason; ///< the first reason given for this kind
    };

    void note(const QString& kind, const QString& reason);
    const std::vector<Entry>& entries() const { return m_entries; }
    bool empty() const { return m_entries.empty(); }
    void clear() { m_entries.clear(); }

    /// One line an entry through the logging category `kasanemi.omitted`,
    /// `stage` saying who left it out ("read", "render").
    void log(const char* stage) const;

private:
    std::vector<Entry> m_entries; // few kinds: a linear search costs less than a hash
};

} // namespace cad
