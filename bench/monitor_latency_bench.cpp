// Latency of the monitor service: from a write to a watched file to the
// "changed" event read by the library's client, against the time inotify
// alone takes to report the same write in this process, the two timed
// alternately write by write. Needs a running port mapper (rpcbind); it
// starts its own glosspin-monitord.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <rpc/pmap_clnt.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include <Glosspin/Fcm.h>

#include "support/Alternation.h"

namespace {

unsigned short registeredPort()
{
    struct sockaddr_in pm = {};
    pm.sin_family = AF_INET;
    pm.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return pmap_getport(&pm, 391002, 1, IPPROTO_TCP);
}

double now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void waitReadable(int fd)
{
    struct pollfd p = {fd, POLLIN, 0};
    poll(&p, 1, 1000);
}

}

int main(int argc, char **argv)
{
    int writes = argc > 1 ? atoi(argv[1]) : 10000;
    if (registeredPort()) {
        fprintf(stderr, "another monitor service is registered; stop it first\n");
        return 1;
    }
    pid_t service = fork();
    if (service == 0) {
        freopen("/dev/null", "w", stderr);
        execl(MONITORD, MONITORD, "--foreground", (char *)NULL);
        _exit(127);
    }
    for (int i = 0; i < 400 && !registeredPort(); i++)
        usleep(5000);
    char dir[] = "/tmp/gsp_monitor_benchXXXXXX";
    if (!mkdtemp(dir))
        return 1;
    std::string file = std::string(dir) + "/watched";
    int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    FcmConnection fc = {-1, NULL};
    FcmRequest fr;
    FcmEvent fe;
    if (fd < 0 || FcmOpen(&fc) != 0 || FcmMonitorFile(&fc, file.c_str(), &fr, NULL) != 0) {
        fprintf(stderr, "cannot watch through the service\n");
        kill(service, SIGTERM);
        return 1;
    }
    waitReadable(fc.fd);
    FcmNextEvent(&fc, &fe);  // exists

    // The reference: the same kind of watch, on the directory, read here.
    int ino = inotify_init1(IN_NONBLOCK);
    inotify_add_watch(ino, dir, IN_MODIFY | IN_ATTRIB | IN_CREATE | IN_DELETE);
    char buf[4096];

    std::vector<double> viaService, viaInotify, ratios;
    for (int i = 0; i < writes; i++) {
        double t0 = now();
        if (write(fd, "x", 1) != 1)
            break;
        int r;
        while ((r = FcmNextEvent(&fc, &fe)) == 0)
            waitReadable(fc.fd);
        double t1 = now();
        if (r < 0 || fe.code != FcmChanged)
            break;
        while (read(ino, buf, sizeof buf) > 0) {
            // The service's write reached this watch too.
        }
        double t2 = now();
        if (write(fd, "x", 1) != 1)
            break;
        while (read(ino, buf, sizeof buf) <= 0)
            waitReadable(ino);
        double t3 = now();
        while (FcmNextEvent(&fc, &fe) == 0)
            waitReadable(fc.fd);  // the service's event of this write
        viaService.push_back((t1 - t0) * 1e6);
        viaInotify.push_back((t3 - t2) * 1e6);
        ratios.push_back((t1 - t0) / (t3 - t2));
    }
    FcmClose(&fc);
    kill(service, SIGTERM);
    waitpid(service, NULL, 0);
    unlink(file.c_str());
    rmdir(dir);
    if (ratios.empty())
        return 1;

    using GspBench::quantile;
    printf("Monitor latency over %zu writes, each pair timed alternately\n", ratios.size());
    printf("  %-28s median %7.1f us  99%% %7.1f us\n", "write to client event",
           quantile(viaService, 0.5), quantile(viaService, 0.99));
    printf("  %-28s median %7.1f us  99%% %7.1f us\n", "write to inotify alone",
           quantile(viaInotify, 0.5), quantile(viaInotify, 0.99));
    double ratio = quantile(ratios, 0.5);
    printf("  %-28s median %7.2f  [%.2f .. %.2f]  %s 2.00; median %s 1 ms\n", "ratio", ratio,
           quantile(ratios, 0.25), quantile(ratios, 0.75), ratio <= 2 ? "within" : "ABOVE",
           quantile(viaService, 0.5) < 1000 ? "under" : "OVER");
    return 0;
}
