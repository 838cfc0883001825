#include "support/ProcNote.h"

#include <unistd.h>

SO_NODE_SOURCE(ProcNote);

void ProcNote::run(const std::vector<std::string> &args)
{
    if (leadGroup)
        setpgid(0, 0);
    std::vector<char *> argv;
    argv.push_back((char *)"sh");
    argv.push_back((char *)GLOSSPIN_TEST_PLAYER);
    for (const std::string &a : args)
        argv.push_back((char *)a.c_str());
    argv.push_back(NULL);
    execv("/bin/sh", argv.data());
    _exit(127);
}
