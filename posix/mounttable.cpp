#include "posix/mounttable.h"

#include "posix/smallfile.h"

#include <charconv>
#include <fcntl.h>
#include <new>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

namespace {

constexpr const char *MountInfo = "/proc/self/mountinfo";

std::vector<std::string_view> split(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = line.find(' ', start);
        fields.push_back(line.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            return fields;
        start = end + 1;
    }
}

bool parseDevice(std::string_view field, MountLine &line)
{
    const std::size_t colon = field.find(':');
    if (colon == std::string_view::npos)
        return false;
    const char *end = field.data() + field.size();
    return std::from_chars(field.data(), field.data() + colon, line.major).ec == std::errc() &&
           std::from_chars(field.data() + colon + 1, end, line.minor).ec == std::errc();
}

} // namespace

std::string decodeMountField(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const bool hex = field[i + 1] == 'x';
            const std::string_view digits = field.substr(hex ? i + 2 : i + 1, hex ? 2 : 3);
            unsigned value = 0;
            const auto [end, error] =
                std::from_chars(digits.data(), digits.data() + digits.size(), value, hex ? 16 : 8);
            if (error == std::errc() && end == digits.data() + digits.size() && value > 0 &&
                value < 256) {
                out.push_back(char(value));
                i += 3;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

std::vector<MountLine> parseMountTable(std::string_view text)
{
    std::vector<MountLine> mounts;
    std::size_t lineStart = 0;
    while (lineStart < text.size()) {
        std::size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string_view::npos)
            lineEnd = text.size();
        const std::vector<std::string_view> fields =
            split(text.substr(lineStart, lineEnd - lineStart));
        lineStart = lineEnd + 1;
        std::size_t separator = 0;
        while (separator < fields.size() && fields[separator] != "-")
            ++separator;
        MountLine mount;
        if (fields.size() < 5 || separator < 6 || separator + 2 >= fields.size() ||
            !parseDevice(fields[2], mount))
            continue; // not a mount line
        mount.root = decodeMountField(fields[3]);
        mount.mountPoint = decodeMountField(fields[4]);
        mount.fsType = decodeMountField(fields[separator + 1]);
        mount.source = decodeMountField(fields[separator + 2]);
        mounts.push_back(std::move(mount));
    }
    return mounts;
}

std::string readMountTable()
{
    return readSmallFile(MountInfo);
}

namespace {

MountTableChanges *g_shared = nullptr;

} // namespace

MountTableChanges &MountTableChanges::shared()
{
    static const bool made = [] {
        g_shared = new MountTableChanges; // used until the end
        pthread_atfork(nullptr, nullptr, &MountTableChanges::startAgainInChild);
        return true;
    }();
    (void)made;
    return *g_shared;
}

void MountTableChanges::startAgainInChild()
{
    // A forked child shares the parent's descriptor, so its polls would take the parent's
    // notices: it opens its own. Another thread may have held the lock at the fork, and no
    // thread of the parent's is here to release it. A change the parent had not counted yet
    // is counted here, to be sure.
    new (&g_shared->m_mutex) std::mutex;
    if (g_shared->m_fd >= 0)
        close(g_shared->m_fd);
    g_shared->m_fd = openWakeDescriptor();
    ++g_shared->m_count;
}

MountTableChanges::MountTableChanges() : m_fd(openWakeDescriptor()) {}

MountTableChanges::~MountTableChanges()
{
    if (m_fd >= 0)
        close(m_fd);
}

std::uint64_t MountTableChanges::count()
{
    const std::lock_guard lock(m_mutex);
    pollfd table{m_fd, POLLPRI, 0};
    if (m_fd >= 0 && poll(&table, 1, 0) > 0 && (table.revents & (POLLERR | POLLPRI)) != 0)
        ++m_count;
    return m_count;
}

int MountTableChanges::openWakeDescriptor()
{
    return open(MountInfo, O_RDONLY | O_CLOEXEC);
}
