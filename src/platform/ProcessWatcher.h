#ifndef GLOSSPIN_PLATFORM_PROCESSWATCHER_H
#define GLOSSPIN_PLATFORM_PROCESSWATCHER_H

#include <string>
#include <vector>

// Watchers of external programs: a thread that creates the program's
// process, reports over a socket that it started (0, pid) and how it
// ended (1, status), and reaps it. Nothing here waits for the program:
// start returns once the thread exists, stop once the signal is on its
// way. Everything the new process needs is prepared before it is
// created, so that between fork and exec it allocates nothing and takes
// no lock (the caller is a multi-threaded process).
namespace GspWatcher {

// Value of an end message when the process could not be created.
enum { FORK_FAILED = -12345 };

struct Job {
    // The program and its arguments; the program is looked up in PATH.
    // Empty: the process ends at once with status 127.
    std::vector<std::string> argv;
    // The program leads a process group of its own, so that a signal
    // reaches its children too.
    bool ownProcessGroup = false;
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

// Whether a process with this id exists (its /proc entry is there).
bool processExists(long pid);

// Starts a watcher and returns at once. NULL when no thread could be
// started; then the caller still owns reportFd.
Watcher *start(Job job);

// The watcher's id and its resource file's name (empty without a
// resource line); known once the start message has been sent, -1 and
// empty before.
long id(const Watcher *w);
std::string resourceFile(const Watcher *w);

// True when a report could not be written whole; the watcher then
// closed the socket without further messages.
bool reportFailed(const Watcher *w);

// Sends sig to the program (to its whole process group when it leads
// one) unless it has already ended; a program not yet created is not
// created at all. False when nothing was sent or stopped.
bool sendSignal(Watcher *w, int sig);

// Sends sig and forgets the watcher, which kills the program if it is
// still running graceMs milliseconds later, reaps it and ends.
void stop(Watcher *w, int sig, int graceMs = 2000);

// Forgets the watcher; the program keeps running and the watcher ends
// with it.
void detach(Watcher *w);

// True once the program has ended and been reaped.
bool finished(const Watcher *w);

}

#endif
