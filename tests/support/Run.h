#ifndef GLOSSPIN_TESTS_RUN_H
#define GLOSSPIN_TESTS_RUN_H

#include <sys/types.h>

#include <string>
#include <vector>

namespace GspTest {

// Runs a shell command; its exit status (-1 when it did not exit) and
// what it printed on standard output.
int run(const std::string &command, std::string &out);

// Starts the program args[0] with args, without a shell; its standard
// error goes to /dev/null unless quiet is false. The process id.
pid_t spawn(const std::vector<std::string> &args, bool quiet = false);

// Descriptors this process has open.
int openDescriptors();

// Processes whose parent is this process.
int childProcesses();

// How often what occurs in text.
int occurrences(const std::string &text, const std::string &what);

}

#endif
