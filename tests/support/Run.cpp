#include "support/Test.h"

namespace GspTest {

int run(const std::string &command, std::string &out)
{
    out.clear();
    FILE *p = popen(command.c_str(), "r");
    if (!p)
        return -1;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;)
        out.append(buf, n);
    int status = pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int openDescriptors()
{
    return (int)TempDir::entriesOf("/proc/self/fd").size();
}

int childProcesses()
{
    int n = 0;
    for (const std::string &e : TempDir::entriesOf("/proc")) {
        if (e.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::string stat = TempDir::readFile("/proc/" + e + "/stat");
        size_t close = stat.rfind(')');
        int ppid = 0;
        if (close != std::string::npos && sscanf(stat.c_str() + close + 1, " %*c %d", &ppid) == 1 &&
            ppid == getpid())
            n++;
    }
    return n;
}

pid_t spawn(const std::vector<std::string> &args, bool quiet)
{
    pid_t pid = fork();
    if (pid == 0) {
        std::vector<char *> argv;
        for (const std::string &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(NULL);
        if (quiet)
            freopen("/dev/null", "w", stderr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

int occurrences(const std::string &text, const std::string &what)
{
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        n++;
    return n;
}

}
