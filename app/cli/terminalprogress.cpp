#include "app/cli/terminalprogress.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int RedrawMilliseconds = 200;
constexpr int FallbackWidth = 80;

int terminalWidth(int fd)
{
    winsize size{};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return FallbackWidth;
}

void writeAllTo(int fd, const QByteArray &bytes)
{
    qsizetype offset = 0;
    while (offset < bytes.size()) {
        const ssize_t written =
            ::write(fd, bytes.constData() + offset, size_t(bytes.size() - offset));
        if (written <= 0)
            return; // a progress line is not worth failing for
        offset += written;
    }
}

// Carriage return, then erase to the end of the line.
const QByteArray ClearLine = QByteArrayLiteral("\r\x1b[K");

} // namespace

TerminalProgress::TerminalProgress(std::function<State()> state, int fd)
    : m_state(std::move(state)), m_fd(fd), m_active(::isatty(fd) == 1)
{
    if (!m_active)
        return;
    m_timer.setInterval(RedrawMilliseconds);
    connect(&m_timer, &QTimer::timeout, this, &TerminalProgress::draw);
    m_timer.start();
}

TerminalProgress::~TerminalProgress()
{
    wipe();
}

QString TerminalProgress::line(const State &state, int width)
{
    QString text = QStringLiteral("%1 of %2 subfolders measured").arg(state.done).arg(state.total);
    if (state.measuring.isEmpty())
        return text.left(std::max(width - 1, 0));
    text += QStringLiteral(", now ");
    // The count always shows; of a long path, its end says more than its start.
    const qsizetype room = width - 1 - text.size();
    if (state.measuring.size() <= room)
        return text + state.measuring;
    if (room > 3)
        return text + QStringLiteral("...") + state.measuring.right(room - 3);
    return text.left(std::max(width - 1, 0));
}

void TerminalProgress::draw()
{
    const State state = m_state();
    if (state.total == 0)
        return;
    const QString text = line(state, terminalWidth(m_fd));
    if (m_drawn && text == m_shown)
        return;
    writeAllTo(m_fd, ClearLine + text.toLocal8Bit());
    m_shown = text;
    m_drawn = true;
}

void TerminalProgress::wipe()
{
    if (m_drawn)
        writeAllTo(m_fd, ClearLine);
    m_drawn = false;
}
