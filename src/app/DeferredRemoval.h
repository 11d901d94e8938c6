#pragma once

// Deleting a folder of many files without making the user wait for it and
// without slowing down the files made right after. On a file system that
// steps over recently freed inodes for every new file (ext4 without a
// journal), deleting thousands of pictures just before making as many anew
// makes each new file cost as much as the deletions before it. So the folder
// is renamed aside at once (its path is free and empty to anyone looking)
// and deleted later, on a thread of its own.

#include <QString>
#include <QStringList>

namespace app {

/// A folder taken out of the way, to be deleted when this object ends (or
/// at release()), on the removal thread. Whatever ends the owner's work,
/// success or an exception, the folder set aside is deleted.
class DeferredRemoval {
public:
    DeferredRemoval() = default;
    ~DeferredRemoval() { release(); }
    DeferredRemoval(const DeferredRemoval&) = delete;
    DeferredRemoval& operator=(const DeferredRemoval&) = delete;

    /// Empties `path`: a folder is renamed to a unique hidden name beside
    /// it (".<name>.gone-<pid>-XXXXXX"); a file or a link (never followed)
    /// goes at once. When the folder cannot be renamed it is deleted here.
    /// Returns false when something is still at `path`.
    bool setAside(const QString& path);

    /// Hands the folders set aside so far to the removal thread.
    void release();

private:
    QStringList m_aside;
};

/// The prefix of the names setAside() gives the folders it moves from
/// `path`; the rest is the process's number, '-' and six characters.
QString asidePrefixFor(const QString& path);

/// Deletes, on the removal thread, what earlier runs set aside beside `path`
/// and could not finish (killed, crashed, or the machine went down): the
/// folders whose process no longer runs. Another running process's are left
/// to it.
void removeLeftAsideFolders(const QString& path);

/// Blocks until every deletion handed to the removal thread so far is done.
/// The process also waits for them at its end.
void waitForDeferredRemovals();

} // namespace app
