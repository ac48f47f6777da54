#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// The mount table as the kernel gives it in /proc/self/mountinfo, read by the drive list, the
// tree that follows it and the size memory alike.

// One line of the table, "id parent major:minor root mountpoint options... - fstype source
// ...", its fields decoded (decodeMountField). Paths are the file system's bytes.
struct MountLine {
    unsigned major = 0; // the device number of the mounted file system
    unsigned minor = 0;
    std::string root; // the part of the source file system that is mounted ("/" unless a bind)
    std::string mountPoint;
    std::string fsType;
    std::string source;
};

// The lines of a table's text in its order; lines that are not mount lines are left out.
std::vector<MountLine> parseMountTable(std::string_view text);

// The text of /proc/self/mountinfo, empty when it cannot be read.
std::string readMountTable();

// The kernel writes blanks and other awkward bytes in the table as octal escapes ("\040");
// udev names its label links with hex escapes ("\x20"). Both decoded; anything else is kept.
std::string decodeMountField(std::string_view field);

// Counts the changes of the mount table (a volume mounted or unmounted). Each reader keeps the
// count it last acted on and compares. The kernel's own signal: an open /proc/self/mountinfo
// polls as changed (POLLPRI) once per change of the table, and each poll that reports it takes
// note of it, so the one descriptor here is polled nowhere else. All members are thread-safe.
class MountTableChanges {
public:
    // The counter the whole process shares.
    static MountTableChanges &shared();

    // Whether changes can be seen at all; when not, nothing read from the table may be trusted
    // to stay as it was read.
    bool watches() const { return m_fd >= 0; }
    // The changes seen so far. Never waits; a change made before the call is always counted,
    // as the kernel is asked there and then.
    std::uint64_t count();

    // A descriptor of its own that polls POLLPRI after each change, for a thread or an event
    // loop to wait on; it only says that count() may have moved. The caller closes it; -1 when
    // the table cannot be opened.
    static int openWakeDescriptor();

    MountTableChanges(const MountTableChanges &) = delete;
    MountTableChanges &operator=(const MountTableChanges &) = delete;

private:
    MountTableChanges();
    ~MountTableChanges();
    static void startAgainInChild();

    int m_fd = -1;
    std::mutex m_mutex;
    std::uint64_t m_count = 0;
};
