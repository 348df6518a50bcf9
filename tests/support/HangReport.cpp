// Linked into a test program whose tests wait on other processes (JACK
// servers and tools): a test still running after kReportAfter prints every
// thread's stack and the programs it started, before CTest's timeout kills
// the process and the reason with it.
#include <gtest/gtest.h>

#include <dirent.h>
#include <execinfo.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

namespace {

constexpr auto kReportAfter = std::chrono::seconds(90);
const int kStackSignal = SIGRTMIN + 7;

std::atomic<bool> stackWritten{false};

void WriteStack(int)
{
    void* frames[48];
    const int depth = backtrace(frames, 48);
    backtrace_symbols_fd(frames, depth, STDERR_FILENO);
    stackWritten.store(true);
}

std::string FirstLine(const std::string& path)
{
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
}

void ReportThreads()
{
    signal(kStackSignal, WriteStack);
    DIR* tasks = opendir("/proc/self/task");
    while (const dirent* task = tasks != nullptr ? readdir(tasks) : nullptr) {
        const int tid = std::atoi(task->d_name);
        if (tid <= 0 || tid == static_cast<int>(syscall(SYS_gettid)))
            continue;
        const std::string dir = std::string("/proc/self/task/") + task->d_name;
        std::fprintf(stderr, "--- thread %d (%s), waiting in %s\n", tid,
                     FirstLine(dir + "/comm").c_str(), FirstLine(dir + "/wchan").c_str());
        stackWritten.store(false);
        syscall(SYS_tgkill, getpid(), tid, kStackSignal);
        for (int i = 0; i < 100 && !stackWritten.load(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (tasks != nullptr)
        closedir(tasks);
}

void ReportChildren()
{
    DIR* processes = opendir("/proc");
    while (const dirent* process = processes != nullptr ? readdir(processes) : nullptr) {
        const std::string dir = std::string("/proc/") + process->d_name;
        std::ifstream stat(dir + "/stat");
        std::string pid, name, state, parent;
        if (!(stat >> pid >> name >> state >> parent) || std::atoi(parent.c_str()) != getpid())
            continue;
        std::string command;
        std::getline(std::ifstream(dir + "/cmdline"), command, '\0');
        std::fprintf(stderr, "--- child %s %s (%s), state %s, waiting in %s\n", pid.c_str(),
                     name.c_str(), command.c_str(), state.c_str(),
                     FirstLine(dir + "/wchan").c_str());
    }
    if (processes != nullptr)
        closedir(processes);
}

class HangReport : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo& test) override
    {
        std::lock_guard<std::mutex> hold(lock);
        name = std::string(test.test_suite_name()) + "." + test.name();
        running = true;
        deadline = std::chrono::steady_clock::now() + kReportAfter;
        if (!watcher.joinable())
            watcher = std::thread([this] { Watch(); });
        wake.notify_all();
    }
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        std::lock_guard<std::mutex> hold(lock);
        running = false;
        wake.notify_all();
    }
    void OnTestProgramEnd(const ::testing::UnitTest&) override
    {
        {
            std::lock_guard<std::mutex> hold(lock);
            ending = true;
            wake.notify_all();
        }
        if (watcher.joinable())
            watcher.join();
    }

private:
    void Watch()
    {
        std::unique_lock<std::mutex> held(lock);
        while (!ending) {
            if (!running) {
                wake.wait(held);
                continue;
            }
            if (wake.wait_until(held, deadline) != std::cv_status::timeout || !running)
                continue;
            std::fprintf(stderr, "=== %s still runs after %lld s: its threads and programs\n",
                         name.c_str(), static_cast<long long>(kReportAfter.count()));
            ReportThreads();
            ReportChildren();
            running = false;
        }
    }

    std::mutex lock;
    std::condition_variable wake;
    std::thread watcher;
    std::string name;
    bool running = false;
    bool ending = false;
    std::chrono::steady_clock::time_point deadline;
};

[[maybe_unused]] const bool registered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new HangReport);
    return true;
}();

}  // namespace
