#include "export/keepaccess.h"

#include <QByteArray>
#include <QList>
#include <acl/libacl.h>
#include <cerrno>
#include <sys/acl.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

bool unsupported(int error)
{
    return error == ENOTSUP || error == EOPNOTSUPP;
}

bool keepOwner(int to, const struct stat &old)
{
    struct stat made {};
    if (::fstat(to, &made) != 0)
        return false;
    // A new file may take its group from a set-group-ID folder rather than from us.
    if (made.st_uid == old.st_uid && made.st_gid == old.st_gid)
        return true;
    return ::fchown(to, old.st_uid, old.st_gid) == 0;
}

// The ACL is set after the mode: on a file with an ACL the mode's group bits are the ACL's
// mask, and only the ACL itself says what the owning group may do. A file without one gets
// the minimal ACL of its mode where the new file inherited entries from its folder's
// default ACL.
bool keepAcl(int from, int to)
{
    const int extended = ::acl_extended_fd(from);
    if (extended < 0)
        return unsupported(errno);
    if (extended == 0 && ::acl_extended_fd(to) != 1)
        return true;
    acl_t acl = ::acl_get_fd(from);
    if (acl == nullptr)
        return false;
    const bool kept = ::acl_set_fd(to, acl) == 0;
    ::acl_free(acl);
    return kept;
}

// Every list or value is read twice at most: once for its size, once for its bytes; one that
// grows between the two is reported as not reproducible.
QList<QByteArray> attributeNames(int fd, bool *ok)
{
    *ok = false;
    const ssize_t size = ::flistxattr(fd, nullptr, 0);
    if (size < 0) {
        *ok = unsupported(errno);
        return {};
    }
    QByteArray list(size, '\0');
    const ssize_t got = ::flistxattr(fd, list.data(), size_t(list.size()));
    if (got < 0)
        return {};
    list.truncate(got);
    *ok = true;
    QList<QByteArray> names = list.split('\0');
    names.removeAll(QByteArray());
    return names;
}

bool attributeValue(int fd, const QByteArray &name, QByteArray *value)
{
    const ssize_t size = ::fgetxattr(fd, name.constData(), nullptr, 0);
    if (size < 0)
        return false;
    value->resize(size);
    const ssize_t got = ::fgetxattr(fd, name.constData(), value->data(), size_t(value->size()));
    if (got < 0)
        return false;
    value->truncate(got);
    return true;
}

bool keepAttributes(int from, int to)
{
    bool listed = false;
    const QList<QByteArray> names = attributeNames(from, &listed);
    if (!listed)
        return false;
    for (const QByteArray &name : names) {
        if (name.startsWith("system."))
            continue;
        QByteArray value;
        if (!attributeValue(from, name, &value))
            return false;
        // A security label the new file was already given need not be written (which only
        // a privileged user may).
        QByteArray present;
        if (attributeValue(to, name, &present) && present == value)
            continue;
        if (::fsetxattr(to, name.constData(), value.constData(), size_t(value.size()), 0) != 0)
            return false;
    }
    return true;
}

} // namespace

bool keepAccess(int from, int to, const struct stat &old)
{
    return keepOwner(to, old) && ::fchmod(to, old.st_mode & 0777) == 0 && keepAcl(from, to) &&
           keepAttributes(from, to);
}
