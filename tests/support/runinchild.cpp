#include "support/runinchild.h"

#include <sys/wait.h>
#include <unistd.h>

QString runInChild(const std::function<QString()> &work)
{
    int channel[2];
    if (pipe(channel) != 0)
        return QStringLiteral("child failed");
    const pid_t child = fork();
    if (child < 0)
        return QStringLiteral("child failed");
    if (child == 0) {
        close(channel[0]);
        const QByteArray text = work().toUtf8();
        [[maybe_unused]] const ssize_t written = write(channel[1], text.data(), text.size());
        _exit(0);
    }
    close(channel[1]);
    QByteArray text;
    char chunk[256];
    for (ssize_t got; (got = read(channel[0], chunk, sizeof chunk)) > 0;)
        text.append(chunk, got);
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return QStringLiteral("child failed");
    return QString::fromUtf8(text);
}
