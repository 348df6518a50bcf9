#include "tests/host/Subprocess.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <sstream>

namespace tarvenna::host::test {

namespace {

std::vector<std::string> CommandWords(const std::string& launcher,
                                      const std::vector<std::string>& arguments)
{
    std::vector<std::string> words;
    std::istringstream split(launcher);
    for (std::string word; split >> word;)
        words.push_back(word);
    words.insert(words.end(), arguments.begin(), arguments.end());
    return words;
}

// Reads both pipes until the child closes them, without letting one fill up
// while the other is waited on; false when `limit` passed first (a tool that
// hangs, or a daemon it started that holds the pipes).
bool Drain(int outFd, int errFd, ProgramResult& result, std::chrono::milliseconds limit)
{
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int open = 2;
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || poll(fds, 2, static_cast<int>(left.count())) <= 0)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !fds[i].revents)
                continue;
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (pollfd& fd : fds)
        if (fd.fd >= 0)
            close(fd.fd);
    return open == 0;
}

}  // namespace

RunningProgram StartProgram(const std::string& launcher, const std::vector<std::string>& arguments)
{
    RunningProgram program;
    std::vector<std::string> words = CommandWords(launcher, arguments);
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0)
        return program;
    if (pipe(errPipe) != 0)
        return program;
    const pid_t child = fork();
    if (child == 0) {
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        close(outPipe[0]);
        close(errPipe[0]);
        close(outPipe[1]);
        close(errPipe[1]);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    program.pid = child;
    program.out = outPipe[0];
    program.err = errPipe[0];
    return program;
}

ProgramResult FinishProgram(RunningProgram& program, std::chrono::milliseconds limit)
{
    ProgramResult result;
    if (program.out < 0)
        return result;
    if (!Drain(program.out, program.err, result, limit)) {
        kill(program.pid, SIGKILL);
        result.err +=
            "\n(did not finish within " + std::to_string(limit.count()) + " ms: killed)\n";
    }
    int status = 0;
    if (program.pid > 0 && waitpid(program.pid, &status, 0) == program.pid && WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    program = RunningProgram{};
    return result;
}

ProgramResult RunProgram(const std::string& launcher, const std::vector<std::string>& arguments,
                         std::chrono::milliseconds limit)
{
    RunningProgram program = StartProgram(launcher, arguments);
    return FinishProgram(program, limit);
}

}  // namespace tarvenna::host::test
