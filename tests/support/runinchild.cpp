#include "support/runinchild.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

std::string runInChild(const std::function<std::string()> &work, ChildEnd end)
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
        close(channel[1]);
        if (end == ChildEnd::Exit)
            std::exit(0);
        _exit(0);
    }
    close(channel[1]);
    // A child that hangs is killed a minute after it started, or after its text.
    std::string text;
    char chunk[256];
    const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    const auto hung = [&] {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        close(channel[0]);
        return std::string("child hung");
    };
    for (;;) {
        pollfd ready{channel[0], POLLIN, 0};
        if (poll(&ready, 1, 100) == 0) {
            if (std::chrono::steady_clock::now() > until)
                return hung();
            continue;
        }
        const ssize_t got = read(channel[0], chunk, sizeof chunk);
        if (got <= 0)
            break;
        text.append(chunk, std::size_t(got));
    }
    close(channel[0]);
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > until)
            return hung();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "child failed";
    return text;
}
