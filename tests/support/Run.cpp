#include "support/Test.h"

namespace GspTest {

bool waitUntil(const std::function<bool()> &pred, int timeoutMs)
{
    for (int waited = 0; !pred(); waited += 5) {
        if (waited >= timeoutMs)
            return false;
        usleep(5000);
    }
    return true;
}

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

void writeScript(const std::string &path, const std::string &body)
{
    TempDir::writeFile(path, "#!/bin/sh\n" + body);
    chmod(path.c_str(), 0755);
}

Env::Env(std::initializer_list<std::pair<const char *, const char *>> values)
{
    for (auto &v : values) {
        const char *was = getenv(v.first);
        old.push_back({v.first, {was != NULL, was ? was : ""}});
        std::string value = v.second ? v.second : "";
        size_t at = value.find("$PATH");
        if (at != std::string::npos)
            value.replace(at, 5, getenv("PATH") ? getenv("PATH") : "");
        if (v.second)
            setenv(v.first, value.c_str(), 1);
        else
            unsetenv(v.first);
    }
}

Env::~Env()
{
    for (auto it = old.rbegin(); it != old.rend(); ++it)
        if (it->second.first)
            setenv(it->first.c_str(), it->second.second.c_str(), 1);
        else
            unsetenv(it->first.c_str());
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

pid_t spawn(const std::vector<std::string> &args, const char *stderrTo)
{
    pid_t pid = fork();
    if (pid == 0) {
        std::vector<char *> argv;
        for (const std::string &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(NULL);
        if (stderrTo)
            freopen(stderrTo, "w", stderr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

int exitStatus(pid_t pid, int timeoutMs)
{
    int status = 0;
    for (int waited = 0;; waited += 20) {
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid)
            break;
        if (r < 0)
            return -1;  // not a child, or reaped elsewhere
        if (waited >= timeoutMs) {
            kill(pid, SIGKILL);
            waitpid(pid, NULL, 0);
            return -1;
        }
        usleep(20000);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int occurrences(const std::string &text, const std::string &what)
{
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        n++;
    return n;
}

}
