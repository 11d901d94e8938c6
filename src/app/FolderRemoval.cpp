#include "FolderRemoval.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace app {
namespace {

thread_local bool t_failed = false;

int removeEntry(const char* path, const struct stat*, int typeFlag, struct FTW*)
{
    // Depth-first: a folder is reported after its contents (FTW_DP).
    const int rc = (typeFlag == FTW_DP || typeFlag == FTW_DNR) ? ::rmdir(path) : ::unlink(path);
    if (rc != 0 && errno != ENOENT)
        t_failed = true;
    return 0;  // keep going: remove as much as possible
}

} // namespace

bool removeTreeWithoutFollowingLinks(const QString& path)
{
    return removeTreeWithoutFollowingLinks(QFile::encodeName(path));
}

bool removeTreeWithoutFollowingLinks(const QByteArray& native)
{
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(st.st_mode))  // a file, or a link (to a folder or not): only the entry itself
        return ::unlink(native.constData()) == 0;
    t_failed = false;
    if (::nftw(native.constData(), removeEntry, 16, FTW_DEPTH | FTW_PHYS | FTW_MOUNT) != 0)
        return false;
    return !t_failed && ::lstat(native.constData(), &st) != 0;
}

} // namespace app
