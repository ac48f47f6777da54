#include "scantestsupport.h"

#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

int openDescriptorCount()
{
    DIR *dir = opendir("/proc/self/fd");
    if (!dir)
        return -1;
    int count = 0;
    while (const dirent *entry = readdir(dir))
        count += entry->d_name[0] != '.';
    closedir(dir);
    return count - 1; // the listing's own descriptor
}

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
