#include "FileSizeLimit.h"

#include <cerrno>
#include <csignal>
#include <exception>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

std::string ChildOutcome::Describe() const
{
    if (returned)
        return "the work returned";
    if (threw)
        return "the work raised: " + message;
    return "the child ended abnormally: " + message;
}

bool LimitFileSize(std::uint64_t limit)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit fileSize{};
    ::getrlimit(RLIMIT_FSIZE, &fileSize);
    fileSize.rlim_cur = static_cast<rlim_t>(limit);
    return ::setrlimit(RLIMIT_FSIZE, &fileSize) == 0;
}

ChildOutcome RunWithFileSizeLimit(std::uint64_t limit, const std::function<void()>& work)
{
    ChildOutcome outcome;
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        outcome.message = "no pipe";
        return outcome;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        outcome.message = "no child process";
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        return outcome;
    }
    if (child == 0) {
        ::close(pipeEnds[0]);
        if (!LimitFileSize(limit))
            ::_exit(3);
        int code = 0;
        std::string text;
        try {
            work();
        } catch (const std::exception& e) {
            code = 1;
            text = e.what();
        } catch (...) {
            code = 2;
            text = "an exception that is no std::exception";
        }
        for (std::size_t done = 0; done < text.size();) {
            const ssize_t n = ::write(pipeEnds[1], text.data() + done, text.size() - done);
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        ::_exit(code);
    }
    ::close(pipeEnds[1]);
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0)
            break;
        outcome.message.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        outcome.returned = true;
    else if (WIFEXITED(status) && WEXITSTATUS(status) == 1)
        outcome.threw = true;
    else if (outcome.message.empty())
        outcome.message = "status " + std::to_string(status);
    return outcome;
}
