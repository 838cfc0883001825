// The monitor client's connections: port-mapper lookup, framing and
// buffered, never-blocking reads that no message can overflow.
#include "monitor/Client.h"

#include <errno.h>
#include <netinet/in.h>
#include <stdint.h>
#include <rpc/pmap_clnt.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/WriteAll.h"

// A message that has not fully arrived.
static const int INCOMPLETE_MESSAGE = 67;

void getword(const char *p, long *v)
{
    const unsigned char *b = (const unsigned char *)p;
    uint32_t w = ((uint32_t)b[0] << 24) | ((uint32_t)b[1] << 16) | ((uint32_t)b[2] << 8) | b[3];
    *v = (int32_t)w;
}

void putword(char *p, const long *v)
{
    uint32_t w = (uint32_t)*v;
    p[0] = (char)(w >> 24);
    p[1] = (char)(w >> 16);
    p[2] = (char)(w >> 8);
    p[3] = (char)w;
}

ServerEntry::ServerEntry(int socket, ServerEntry *nextEntry)
    : fd(socket), next(nextEntry), messageReady(0), inputFull(0), readPos(input),
      endPos(input), atEOF(0), broken(0)
{
}

// Is a whole message buffered? A length that is negative or larger than
// the buffer can ever hold marks the connection broken.
void ServerEntry::checkMessage()
{
    messageReady = 0;
    if (buffered() < 4)
        return;
    long length;
    getword(readPos, &length);
    if (length < 0 || length > BUFFER_SIZE - 4) {
        broken = 1;
        return;
    }
    messageReady = buffered() >= 4 + length;
}

Client::Client() : servers(NULL) {}

Client::~Client()
{
    while (servers) {
        ServerEntry *next = servers->next;
        close(servers->fd);
        delete servers;
        servers = next;
    }
}

int Client::AddServer(long address, int program, int version)
{
    struct sockaddr_in sin;
    memset(&sin, 0, sizeof sin);
    sin.sin_family = AF_INET;
    sin.sin_addr.s_addr = htonl((uint32_t)address);
    u_short port = pmap_getport(&sin, program, version, IPPROTO_TCP);
    if (port == 0)
        return -1;
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -2;
    sin.sin_port = htons(port);
    if (connect(fd, (struct sockaddr *)&sin, sizeof sin) != 0) {
        close(fd);
        return -3;
    }
    addConnected(fd);
    return fd;
}

void Client::addConnected(int fd) { servers = new ServerEntry(fd, servers); }

ServerEntry *Client::find(int fd) const
{
    for (ServerEntry *e = servers; e; e = e->next)
        if (e->fd == fd)
            return e;
    return NULL;
}

int Client::DoClientIn(ServerEntry *e)
{
    if (e->inputFull || e->broken)
        return e->broken ? -1 : 0;
    int kept = e->buffered();
    memmove(e->input, e->readPos, kept);
    e->readPos = e->input;
    e->endPos = e->input + kept;
    ssize_t n;
    do
        n = recv(e->fd, e->endPos, ServerEntry::BUFFER_SIZE - kept, MSG_DONTWAIT);
    while (n < 0 && errno == EINTR);
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
        return -1;
    if (n == 0)
        e->atEOF = 1;
    if (n > 0)
        e->endPos += n;
    e->inputFull = e->buffered() >= ServerEntry::BUFFER_SIZE;
    e->checkMessage();
    return e->broken ? -1 : 0;
}

int Client::ReadFromServer(int fd, char *buf, int max)
{
    ServerEntry *e = find(fd);
    if (!e) {
        errno = ENOENT;
        return -1;
    }
    if (!e->messageReady && DoClientIn(e) < 0)
        return -1;
    if (!e->messageReady) {
        errno = INCOMPLETE_MESSAGE;
        return -1;
    }
    long length;
    getword(e->readPos, &length);
    int copy = length < max ? (int)length : max;
    if (copy > 0)
        memcpy(buf, e->readPos + 4, copy);
    e->readPos += 4 + length;
    e->inputFull = 0;
    e->checkMessage();
    return (int)length;
}

int Client::WriteToServer(int fd, const char *buf, int len)
{
    char word[4];
    long l = len;
    putword(word, &l);
    if (!gspWriteAll(fd, word, 4, true) || !gspWriteAll(fd, buf, (size_t)len, true))
        return -1;
    return len;
}
