#ifndef GLOSSPIN_TESTS_RUN_H
#define GLOSSPIN_TESTS_RUN_H

#include <string>

namespace GspTest {

// Runs a shell command; its exit status (-1 when it did not exit) and
// what it printed on standard output.
int run(const std::string &command, std::string &out);

// How often what occurs in text.
int occurrences(const std::string &text, const std::string &what);

}

#endif
