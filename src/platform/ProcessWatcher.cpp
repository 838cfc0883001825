#include "platform/ProcessWatcher.h"
#include "platform/LibraryDir.h"

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

extern char **environ;

namespace GspWatcher {

namespace {

long long nowMs()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (long long)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

// What the thread shares with the handle; kept alive by both, so that a
// forgotten watcher's thread goes on safely.
struct State {
    // Guards pid, exited, cancelled and resourceFile: a signal never goes
    // to a process id that has already been given back, and a program
    // stopped before it exists is never created.
    std::mutex lock;
    pid_t pid = -1;
    bool exited = false;
    bool cancelled = false;
    std::string resourceFile;
    std::atomic<long> id{-1};
    std::atomic<bool> done{false};
    std::atomic<bool> reportFailed{false};
    // When a stopped program is killed (milliseconds of nowMs), 0 while
    // nobody asked it to end.
    std::atomic<long long> killAt{0};
    // Wakes the thread when killAt is set.
    int wakeFd = -1;

    ~State()
    {
        if (wakeFd >= 0)
            close(wakeFd);
    }
};

}

struct Watcher {
    std::shared_ptr<State> state;
};

namespace {

// False when the message could not be written whole.
bool report(int fd, int32_t kind, int32_t value)
{
    int32_t msg[2] = {kind, value};
    if (fd <= 0)
        return true;
    return send(fd, msg, sizeof msg, MSG_NOSIGNAL) == (ssize_t)sizeof msg;
}

// The program's file, found in PATH as the shell would and then in the
// library's program directory (the media programs), before the process
// exists (the lookup allocates).
std::string findProgram(const std::string &name)
{
    if (name.empty() || name.find('/') != std::string::npos)
        return name;
    const char *path = getenv("PATH");
    std::string dirs = std::string(path ? path : "/usr/bin:/bin") + ":" + gspLibraryDir();
    size_t from = 0;
    for (;;) {
        size_t to = dirs.find(':', from);
        std::string dir =
            dirs.substr(from, to == std::string::npos ? std::string::npos : to - from);
        std::string file = (dir.empty() ? "." : dir) + "/" + name;
        if (access(file.c_str(), X_OK) == 0)
            return file;
        if (to == std::string::npos)
            return name;
        from = to + 1;
    }
}

// The new process: default SIGINT, SIGTERM and SIGPIPE, nothing blocked,
// then the program. Only async-signal-safe calls from here on.
[[noreturn]] void runChild(const char *file, char *const *argv, char *const *env, bool ownGroup)
{
    struct sigaction dfl = {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    sigaction(SIGINT, &dfl, NULL);
    sigaction(SIGTERM, &dfl, NULL);
    sigaction(SIGPIPE, &dfl, NULL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, NULL);
    if (ownGroup)
        setpgid(0, 0);
    if (file)
        execve(file, argv, env);
    _exit(127);
}

// Waits for the program to end without reaping it, killing it once a
// stop's grace time has passed.
void awaitExit(State &st, pid_t pid)
{
    int pidfd = (int)syscall(SYS_pidfd_open, pid, 0);
    for (;;) {
        siginfo_t info = {};
        if (waitid(P_PID, (id_t)pid, &info, WEXITED | WNOWAIT | WNOHANG) == 0 && info.si_pid == pid)
            break;
        int timeout = -1;
        long long killAt = st.killAt;
        if (killAt > 0) {
            long long left = killAt - nowMs();
            if (left <= 0) {
                std::lock_guard<std::mutex> guard(st.lock);
                kill(getpgid(pid) == pid ? -pid : pid, SIGKILL);
                st.killAt = -1;  // killed; only the end is left to wait for
            } else
                timeout = (int)left;
        }
        if (pidfd < 0)  // no process descriptors: look again now and then
            timeout = timeout < 0 || timeout > 20 ? 20 : timeout;
        struct pollfd fds[2] = {{pidfd, POLLIN, 0}, {st.wakeFd, POLLIN, 0}};
        if (poll(fds, 2, timeout) > 0 && (fds[1].revents & POLLIN)) {
            uint64_t n;
            (void)!read(st.wakeFd, &n, sizeof n);
        }
    }
    if (pidfd >= 0)
        close(pidfd);
}

void watch(std::shared_ptr<State> st, Job job)
{
    long id = (long)syscall(SYS_gettid);
    std::string resourceFile;
    if (!job.resourceLine.empty()) {
        resourceFile = ".XResources.glosspin." + std::to_string(id);
        if (FILE *fp = fopen(resourceFile.c_str(), "a")) {
            fputs(job.resourceLine.c_str(), fp);
            fclose(fp);
            job.environment.push_back("XENVIRONMENT=" + resourceFile);
        }
    }
    std::vector<char *> env, argv;
    for (std::string &e : job.environment)
        env.push_back(&e[0]);
    env.push_back(NULL);
    for (std::string &a : job.argv)
        argv.push_back(&a[0]);
    argv.push_back(NULL);
    std::string file = job.argv.empty() ? std::string() : findProgram(job.argv[0]);
    const char *filePtr = file.empty() ? NULL : file.c_str();

    pid_t pid;
    {
        std::lock_guard<std::mutex> guard(st->lock);
        st->resourceFile = resourceFile;
        st->id = id;
        pid = st->cancelled ? 0 : fork();
        if (pid == 0 && !st->cancelled)
            runChild(filePtr, argv.data(), env.data(), job.ownProcessGroup);
        st->pid = pid;
    }
    bool whole = true;
    if (pid < 0)
        whole = report(job.reportFd, 1, FORK_FAILED);
    else if (pid > 0) {
        whole = report(job.reportFd, 0, (int32_t)pid);
        awaitExit(*st, pid);
        int status = 0;
        {
            std::lock_guard<std::mutex> guard(st->lock);
            st->exited = true;
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR)
                ;
        }
        // Gone before the end is reported: whoever hears of it finds no
        // leftover file.
        if (!resourceFile.empty())
            unlink(resourceFile.c_str());
        if (whole)
            whole = report(job.reportFd, 1, WIFEXITED(status) ? WEXITSTATUS(status) : 0);
    } else if (!resourceFile.empty()) {
        unlink(resourceFile.c_str());
    }
    if (!whole)
        st->reportFailed = true;
    close(job.reportFd);
    st->done = true;
}

}

bool processExists(long pid)
{
    char proc[64];
    snprintf(proc, sizeof proc, "/proc/%ld", pid);
    return pid > 0 && access(proc, F_OK) == 0;
}

std::vector<std::string> currentEnvironment()
{
    std::vector<std::string> env;
    for (char **e = environ; e && *e; e++)
        env.push_back(*e);
    return env;
}

Watcher *start(Job job)
{
    std::shared_ptr<State> st = std::make_shared<State>();
    st->wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (st->wakeFd < 0)
        return NULL;
    try {
        std::thread(watch, st, std::move(job)).detach();
    } catch (const std::system_error &) {
        return NULL;
    }
    Watcher *w = new Watcher;
    w->state = st;
    return w;
}

long id(const Watcher *w) { return w ? w->state->id.load() : -1; }

std::string resourceFile(const Watcher *w)
{
    if (!w)
        return std::string();
    std::lock_guard<std::mutex> guard(w->state->lock);
    return w->state->resourceFile;
}

bool reportFailed(const Watcher *w) { return w && w->state->reportFailed; }

bool sendSignal(Watcher *w, int sig)
{
    if (!w)
        return false;
    State &st = *w->state;
    std::lock_guard<std::mutex> guard(st.lock);
    if (st.exited || st.cancelled)
        return false;
    if (st.pid < 0 && st.id < 0) {
        st.cancelled = true;  // not created yet: it never will be
        return true;
    }
    if (st.pid <= 0)
        return false;
    // A program that leads its own process group takes its group along.
    return kill(getpgid(st.pid) == st.pid ? -st.pid : st.pid, sig) == 0;
}

void stop(Watcher *w, int sig, int graceMs)
{
    if (!w)
        return;
    if (sendSignal(w, sig)) {
        State &st = *w->state;
        st.killAt = nowMs() + graceMs;
        uint64_t one = 1;
        (void)!write(st.wakeFd, &one, sizeof one);
    }
    delete w;
}

void detach(Watcher *w) { delete w; }

bool finished(const Watcher *w) { return !w || w->state->done; }

}
