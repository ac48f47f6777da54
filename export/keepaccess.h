#pragma once

#include <sys/stat.h>

// Gives the new file `to` the access of the old file `from` (whose status is `old`): owner
// and group, permission bits, access control list and extended attributes (user., trusted.
// and security.; system. names other than the ACL are left to the file system). Returns
// false as soon as one of them cannot be reproduced - another user's file, a namespace we
// may not write, an attribute we may not read - so that the caller writes the old file in
// place instead of replacing it by one that lost something.
bool keepAccess(int from, int to, const struct stat &old);
