#pragma once

#include <string>

// Path pieces every layer spells the same way, for std::string and QString alike.

// AddBackslash appends the platform's directory separator ("/") to a path that does not end
// with one; the empty path becomes "/".
template<class Path> Path AddBackslash(Path path)
{
    using Char = typename Path::value_type;
    if (path.size() == 0 || path.back() != Char(u'/'))
        path.push_back(Char(u'/'));
    return path;
}
inline std::string AddBackslash(const char *path)
{
    return AddBackslash(std::string(path));
}

// Whether a directory entry's name is "." or "..", the entries every folder lists.
inline bool isDot(const char *name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}
