#include "platform/ProcessWatcher.h"

#include <errno.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

extern char **environ;

namespace GspWatcher {

namespace {

// What the thread shares with the handle; kept alive by both, so that a
// detached thread outlives its handle safely.
struct State {
    std::atomic<long> pid{-1};
    std::atomic<bool> done{false};
    // Held while the program is reaped, so that a signal never goes to a
    // process id that has already been given back.
    std::mutex reaping;
    bool exited = false;
};

}

struct Watcher {
    std::thread thread;
    std::shared_ptr<State> state;
};

namespace {

void report(int fd, int32_t kind, int32_t value)
{
    int32_t msg[2] = {kind, value};
    if (fd > 0)
        (void)!send(fd, msg, sizeof msg, MSG_NOSIGNAL);
}

// The new process: default SIGINT and SIGTERM, nothing blocked, its own
// environment; the job, then status 0 if the job returns.
[[noreturn]] void runChild(const Job &job, char **env)
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
    environ = env;
    job.child();
    _exit(0);
}

void watch(std::shared_ptr<State> w, Job job, std::promise<std::pair<long, std::string>> started)
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
    std::vector<char *> env;
    for (std::string &e : job.environment)
        env.push_back(&e[0]);
    env.push_back(NULL);

    pid_t pid = fork();
    if (pid == 0)
        runChild(job, env.data());
    w->pid = pid;
    started.set_value({id, resourceFile});
    if (pid < 0) {
        report(job.reportFd, 1, FORK_FAILED);
    } else {
        report(job.reportFd, 0, (int32_t)pid);
        siginfo_t info;
        while (waitid(P_PID, (id_t)pid, &info, WEXITED | WNOWAIT) < 0 && errno == EINTR)
            ;
        int status = 0;
        {
            std::lock_guard<std::mutex> lock(w->reaping);
            w->exited = true;
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR)
                ;
        }
        report(job.reportFd, 1, WIFEXITED(status) ? WEXITSTATUS(status) : 0);
    }
    if (!resourceFile.empty())
        unlink(resourceFile.c_str());
    close(job.reportFd);
    w->done = true;
}

}

std::vector<std::string> currentEnvironment()
{
    std::vector<std::string> env;
    for (char **e = environ; e && *e; e++)
        env.push_back(*e);
    return env;
}

Watcher *start(Job job, long &id, std::string &resourceFile)
{
    Watcher *w = new Watcher;
    std::promise<std::pair<long, std::string>> started;
    std::future<std::pair<long, std::string>> result = started.get_future();
    try {
        w->state = std::make_shared<State>();
        w->thread = std::thread(watch, w->state, std::move(job), std::move(started));
    } catch (const std::system_error &) {
        delete w;
        return NULL;
    }
    std::pair<long, std::string> r = result.get();
    id = r.first;
    resourceFile = r.second;
    return w;
}

void join(Watcher *w, int graceMs)
{
    if (!w)
        return;
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(graceMs);
    State &st = *w->state;
    while (!st.done && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (!st.done)
        sendSignal(w, SIGKILL);  // it ignored the request to end
    w->thread.join();
    delete w;
}

void detach(Watcher *w)
{
    if (!w)
        return;
    w->thread.detach();
    delete w;
}

bool sendSignal(Watcher *w, int sig)
{
    if (!w)
        return false;
    State &st = *w->state;
    std::lock_guard<std::mutex> lock(st.reaping);
    pid_t pid = (pid_t)st.pid;
    if (st.exited || pid <= 0)
        return false;
    // A program that leads its own process group takes its group along.
    return kill(getpgid(pid) == pid ? -pid : pid, sig) == 0;
}

bool finished(const Watcher *w)
{
    return !w || w->state->done;
}

}
