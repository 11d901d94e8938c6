#include "FolderPermission.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace app {
namespace {

bool inGroup(gid_t group)
{
    if (group == ::getegid())
        return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int filled = ::getgroups(count, groups.data());
    for (int i = 0; i < filled; ++i) {
        if (groups[static_cast<std::size_t>(i)] == group)
            return true;
    }
    return false;
}

} // namespace

bool folderWritableByPermissions(const QString& folder)
{
    const QByteArray native = QFile::encodeName(folder);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    mode_t bit = S_IWOTH;
    if (st.st_uid == ::geteuid())
        bit = S_IWUSR;
    else if (inGroup(st.st_gid))
        bit = S_IWGRP;
    // The kernel still has its say: a read-only mount, an access list.
    return (st.st_mode & bit) != 0 && ::faccessat(AT_FDCWD, native.constData(), W_OK, AT_EACCESS) == 0;
}

} // namespace app
