// glosspin-monitord [--foreground] [--port N] [--max-clients N]
// [--max-pending BYTES]: the
// file-change monitor service that the library's monitor client finds
// through the port mapper (RPC program 391002, version 1, TCP). It
// listens on the loopback interface only, registers itself with the
// local port mapper and unregisters when it ends (SIGTERM, SIGINT or
// SIGHUP). It refuses to start while another service answers for the
// program. Without --foreground it becomes a daemon; it logs to the
// system log (and to standard error in the foreground).
#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <rpc/pmap_clnt.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <syslog.h>
#include <unistd.h>

#include "MonitorService.h"

namespace {

const int PROGRAM = 391002, VERSION = 1;
MonitorService *service;

void stopCB(int) { service->stop(); }

struct sockaddr_in loopback(unsigned short port)
{
    struct sockaddr_in sin;
    memset(&sin, 0, sizeof sin);
    sin.sin_family = AF_INET;
    sin.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    sin.sin_port = htons(port);
    return sin;
}

// True when a service registered for the program answers on its port.
bool anotherServiceRuns()
{
    struct sockaddr_in pm = loopback(0);
    unsigned short port = pmap_getport(&pm, PROGRAM, VERSION, IPPROTO_TCP);
    if (port == 0)
        return false;
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    struct sockaddr_in sin = loopback(port);
    bool answers = fd >= 0 && connect(fd, (struct sockaddr *)&sin, sizeof sin) == 0;
    if (fd >= 0)
        close(fd);
    return answers;
}

// To standard output and status 0 when asked for, else a mistake.
int usage(bool asked = false)
{
    fprintf(asked ? stdout : stderr,
            "usage: glosspin-monitord [--foreground] [--port N] [--max-clients N] "
            "[--max-pending BYTES]\n");
    return asked ? 0 : 2;
}

}

int main(int argc, char **argv)
{
    bool foreground = false;
    long port = 0;
    MonitorService::Limits limits;
    for (int i = 1; i < argc; i++) {
        char *end = NULL;
        if (!strcmp(argv[i], "--help"))
            return usage(true);
        if (!strcmp(argv[i], "--foreground"))
            foreground = true;
        else if (!strcmp(argv[i], "--port") && i + 1 < argc)
            port = strtol(argv[++i], &end, 10);
        else if (!strcmp(argv[i], "--max-clients") && i + 1 < argc)
            limits.clients = (int)strtol(argv[++i], &end, 10);
        else if (!strcmp(argv[i], "--max-pending") && i + 1 < argc)
            limits.pendingOutput = (size_t)strtol(argv[++i], &end, 10);
        else
            return usage();
        if (end && (*end || port < 0 || port > 65535 || limits.clients < 1 ||
                    limits.pendingOutput < 64))
            return usage();
    }
    openlog("glosspin-monitord", LOG_PID | (foreground ? LOG_PERROR : 0), LOG_DAEMON);
    if (anotherServiceRuns()) {
        syslog(LOG_ERR, "another monitor service is registered with the port mapper");
        return 1;
    }
    int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    int on = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    struct sockaddr_in sin = loopback((unsigned short)port);
    socklen_t len = sizeof sin;
    if (listener < 0 || bind(listener, (struct sockaddr *)&sin, sizeof sin) != 0 ||
        listen(listener, 64) != 0 || getsockname(listener, (struct sockaddr *)&sin, &len) != 0) {
        syslog(LOG_ERR, "cannot listen on port %ld: %s", port, strerror(errno));
        return 1;
    }
    if (!foreground && daemon(0, 0) != 0) {
        syslog(LOG_ERR, "cannot become a daemon: %s", strerror(errno));
        return 1;
    }
    // Room for every client's socket.
    struct rlimit files;
    if (getrlimit(RLIMIT_NOFILE, &files) == 0) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }
    pmap_unset(PROGRAM, VERSION);  // a registration left by a service that died
    if (!pmap_set(PROGRAM, VERSION, IPPROTO_TCP, ntohs(sin.sin_port))) {
        syslog(LOG_ERR, "cannot register with the port mapper; is rpcbind running?");
        return 1;
    }
    syslog(LOG_INFO, "serving on port %d", ntohs(sin.sin_port));
    MonitorService s(listener, limits);
    service = &s;
    signal(SIGPIPE, SIG_IGN);
    struct sigaction stop;
    memset(&stop, 0, sizeof stop);
    stop.sa_handler = stopCB;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &stop, NULL);
    bool ok = s.run();
    pmap_unset(PROGRAM, VERSION);
    syslog(LOG_INFO, "stopped");
    return ok ? 0 : 1;
}
