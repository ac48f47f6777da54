#include "support/runinchild.h"

#include <sys/wait.h>
#include <unistd.h>

std::string runInChild(const std::function<std::string()> &work)
{
    int channel[2];
    if (pipe(channel) != 0)
        return "skip: no pipe";
    const pid_t child = fork();
    if (child < 0)
        return "skip: cannot fork";
    if (child == 0) {
        close(channel[0]);
        const std::string text = work();
        [[maybe_unused]] const ssize_t written = write(channel[1], text.data(), text.size());
        _exit(0);
    }
    close(channel[1]);
    std::string text;
    char chunk[256];
    for (ssize_t got; (got = read(channel[0], chunk, sizeof chunk)) > 0;)
        text.append(chunk, std::size_t(got));
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "child failed";
    return text;
}
