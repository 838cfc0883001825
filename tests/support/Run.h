#ifndef GLOSSPIN_TESTS_RUN_H
#define GLOSSPIN_TESTS_RUN_H

#include <sys/types.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace GspTest {

// Polls pred every 5 ms, without dispatching events, until it holds or
// timeoutMs passes; whether it held.
bool waitUntil(const std::function<bool()> &pred, int timeoutMs = 3000);

// Runs a shell command; its exit status (-1 when it did not exit) and
// what it printed on standard output.
int run(const std::string &command, std::string &out);

// Starts the program args[0] with args, without a shell, its standard
// error sent to the file stderrTo when given. The process id.
pid_t spawn(const std::vector<std::string> &args, const char *stderrTo = NULL);

// The exit status of the child pid once it ends, -1 when a signal ended
// it or it was still running after timeoutMs (it is then killed).
int exitStatus(pid_t pid, int timeoutMs = 10000);

// Descriptors this process has open.
int openDescriptors();

// Processes whose parent is this process.
int childProcesses();

// How often what occurs in text.
int occurrences(const std::string &text, const std::string &what);

// Writes an executable shell script: "#!/bin/sh" and body.
void writeScript(const std::string &path, const std::string &body);

// Environment variables set (or, given NULL, unset) for the life of the
// object, then restored. A "$PATH" in a value stands for the old PATH.
class Env {
  public:
    Env(std::initializer_list<std::pair<const char *, const char *>> values);
    Env(const char *name, const std::string &value) : Env({{name, value.c_str()}}) {}
    ~Env();
    Env(const Env &) = delete;

  private:
    std::vector<std::pair<std::string, std::pair<bool, std::string>>> old;
};

}

#endif
