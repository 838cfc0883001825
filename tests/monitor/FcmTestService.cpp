#include "support/Test.h"

#include "monitor/FcmTestService.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <rpc/pmap_clnt.h>
#include <sys/socket.h>

static const int MONITOR_PROGRAM = 391002, MONITOR_VERSION = 1;

std::string lengthWord(unsigned int n)
{
    char b[4] = {(char)(n >> 24), (char)(n >> 16), (char)(n >> 8), (char)n};
    return std::string(b, 4);
}

static bool readable(int fd, int timeoutMs)
{
    struct pollfd p = {fd, POLLIN, 0};
    return poll(&p, 1, timeoutMs) > 0;
}

FcmTestService::FcmTestService()
{
    listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    struct sockaddr_in sin;
    memset(&sin, 0, sizeof sin);
    sin.sin_family = AF_INET;
    sin.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof sin;
    if (bind(listener, (struct sockaddr *)&sin, sizeof sin) != 0 || listen(listener, 4) != 0 ||
        getsockname(listener, (struct sockaddr *)&sin, &len) != 0)
        return;
    pmap_unset(MONITOR_PROGRAM, MONITOR_VERSION);
    if (pmap_set(MONITOR_PROGRAM, MONITOR_VERSION, IPPROTO_TCP, ntohs(sin.sin_port)))
        port = ntohs(sin.sin_port);
}

FcmTestService::~FcmTestService() { stop(); }

void FcmTestService::stop()
{
    if (port)
        pmap_unset(MONITOR_PROGRAM, MONITOR_VERSION);
    port = 0;
    closeClient();
    if (listener >= 0)
        close(listener);
    listener = -1;
}

bool FcmTestService::accept(int timeoutMs)
{
    if (listener < 0 || !readable(listener, timeoutMs))
        return false;
    client = ::accept4(listener, NULL, NULL, SOCK_CLOEXEC);
    return client >= 0;
}

std::string FcmTestService::nextRequest(int timeoutMs)
{
    for (;;) {
        if (pending.size() >= 4) {
            const unsigned char *b = (const unsigned char *)pending.data();
            size_t n = ((size_t)b[0] << 24) | (b[1] << 16) | (b[2] << 8) | b[3];
            if (pending.size() >= 4 + n) {
                std::string body = pending.substr(4, n);
                pending.erase(0, 4 + n);
                received.push_back(body);
                return body;
            }
        }
        if (client < 0 || !readable(client, timeoutMs))
            return "";
        char buf[4096];
        ssize_t got = read(client, buf, sizeof buf);
        if (got <= 0)
            return "";
        pending.append(buf, got);
    }
}

void FcmTestService::sendEvent(const std::string &text) { sendRaw(lengthWord(text.size()) + text); }

void FcmTestService::sendRaw(const std::string &bytes)
{
    size_t done = 0;
    while (client >= 0 && done < bytes.size()) {
        ssize_t n = send(client, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        done += n;
    }
}

void FcmTestService::closeClient()
{
    if (client >= 0)
        close(client);
    client = -1;
}

bool FcmTestService::clientClosed(int timeoutMs)
{
    while (client >= 0 && readable(client, timeoutMs)) {
        char buf[4096];
        ssize_t got = read(client, buf, sizeof buf);
        if (got <= 0)
            return true;
        pending.append(buf, got);
    }
    return false;
}
