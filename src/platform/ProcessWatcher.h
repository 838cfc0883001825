#ifndef GLOSSPIN_PLATFORM_PROCESSWATCHER_H
#define GLOSSPIN_PLATFORM_PROCESSWATCHER_H

#include <functional>
#include <string>
#include <vector>

// Watchers of external programs: a thread that creates the program's
// process, reports over a socket that it started (0, pid) and how it
// ended (1, status), and reaps it. The application only reads the
// socket; the environment the program gets is built for it alone.
namespace GspWatcher {

// Value of an end message when the process could not be created.
enum { FORK_FAILED = -12345 };

struct Job {
    // Runs in the new process (after fork); normally execs the program.
    std::function<void()> child;
    // The program's environment, in "NAME=value" form.
    std::vector<std::string> environment;
    // Non-empty: written to a resource file named with the watcher's
    // id, which the program finds through XENVIRONMENT and which the
    // watcher removes when the program has ended.
    std::string resourceLine;
    // Write end of the report socket; the watcher owns and closes it.
    int reportFd = -1;
};

struct Watcher;

// The current environment, as a starting point for a job.
std::vector<std::string> currentEnvironment();

// Starts a watcher and returns once the program's process exists (or
// could not be created). NULL when no thread could be started; then the
// caller still owns reportFd. id and resourceFile receive the watcher's
// id and the resource file's name (empty without a resource line).
Watcher *start(Job job, long &id, std::string &resourceFile);

// Waits for the watcher to end. A program still running after
// graceMs milliseconds is killed first.
void join(Watcher *w, int graceMs = 2000);

// Lets the watcher end on its own (the program keeps running).
void detach(Watcher *w);

// Sends sig to the program (to its whole process group when it leads
// one) unless it has already ended. False when nothing was sent.
bool sendSignal(Watcher *w, int sig);

// True once the program has ended and been reaped.
bool finished(const Watcher *w);

}

#endif
