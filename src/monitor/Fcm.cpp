// The file-change monitor client's calls: the request texts, the
// process-wide table of outstanding requests, and event parsing.
#include <Glosspin/Fcm.h>

#include <errno.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>
#include <syslog.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "monitor/Client.h"
#include "monitor/FcmInternal.h"

namespace {

const long LOCALHOST = 0x7f000001;
const int MONITOR_PROGRAM = 391002, MONITOR_VERSION = 1;
const int MAX_PATH_LENGTH = 1024;
const int MAX_GROUPS = 16;

int nextRequest = 1;

// Outstanding requests: number (-1 free), user data and whether the
// initial list of existing entries has ended, slot by slot. A renumbered
// request may carry any number, -1 and below included, so whether a slot
// is taken is kept apart from its number.
struct RequestTable {
    int capacity = 0, growth = 100;
    int *numbers = NULL;
    void **userData = NULL;
    char *endOfExists = NULL;
    char *taken = NULL;

    void create()
    {
        if (numbers)
            return;
        resize(200);
    }
    void resize(int n)
    {
        numbers = (int *)realloc(numbers, n * sizeof *numbers);
        userData = (void **)realloc(userData, n * sizeof *userData);
        endOfExists = (char *)realloc(endOfExists, n);
        taken = (char *)realloc(taken, n);
        for (int i = capacity; i < n; i++) {
            numbers[i] = -1;
            userData[i] = NULL;
            endOfExists[i] = 0;
            taken[i] = 0;
        }
        capacity = n;
    }
    // The taken slot of reqnum, or with free set the first free slot; -1
    // when there is none.
    int find(int reqnum, bool free = false) const
    {
        for (int i = 0; i < capacity; i++)
            if (free ? !taken[i] : taken[i] && numbers[i] == reqnum)
                return i;
        return -1;
    }
    void release(int i)
    {
        numbers[i] = -1;
        userData[i] = NULL;
        taken[i] = 0;
    }
    void store(int reqnum, void *data)
    {
        create();
        int i = find(0, true);
        if (i < 0) {
            i = capacity;
            resize(capacity + growth);
            growth = growth * 3 / 2;
        }
        numbers[i] = reqnum;
        userData[i] = data;
        endOfExists[i] = 0;
        taken[i] = 1;
    }
};
RequestTable requests;

ServerEntry *firstEntry(FcmConnection *fc)
{
    return fc && fc->client ? fc->client->servers : NULL;
}

// One text, or two back to back, each with its NUL.
int send(FcmConnection *fc, const std::string &text, const std::string *second = NULL)
{
    if (!fc || !fc->client)
        return -1;
    std::string body(text.c_str(), text.size() + 1);
    if (second)
        body.append(second->c_str(), second->size() + 1);
    return fc->client->WriteToServer(fc->fd, body.data(), (int)body.size()) < 0 ? -1 : 0;
}

std::string format(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    char *s = NULL;
    int n = vasprintf(&s, fmt, ap);
    va_end(ap);
    std::string out = n >= 0 ? std::string(s, n) : std::string();
    free(s);
    return out;
}

// The first group, and " <count-1> <g2> ..." when there are more.
int groups(std::string &extra)
{
    gid_t list[MAX_GROUPS];
    int n = getgroups(MAX_GROUPS, list);
    if (n < 0) {
        // More than the request can carry: the first of them.
        int all = getgroups(0, NULL);
        std::vector<gid_t> every(all > 0 ? all : 0);
        n = all > 0 ? getgroups(all, every.data()) : 0;
        if (n > MAX_GROUPS)
            n = MAX_GROUPS;
        for (int i = 0; i < n; i++)
            list[i] = every[i];
    }
    extra.clear();
    if (n >= 2) {
        extra = format(" %d", n - 1);
        for (int i = 1; i < n; i++)
            extra += format(" %d", (int)list[i]);
    }
    return n > 0 ? (int)list[0] : (int)getgid();
}

int takeNumber(FcmRequest *fr)
{
    if (nextRequest == INT_MAX)
        return -1;  // numbers exhausted
    fr->reqnum = nextRequest++;
    return 0;
}

int pathTooLong(const char *path)
{
    if (strlen(path) <= (size_t)MAX_PATH_LENGTH)
        return 0;
    syslog(LOG_ALERT, "path too long\n");
    errno = ENAMETOOLONG;
    return 1;
}

int watch(FcmConnection *fc, char letter, const char *path, int reqnum, void *userData)
{
    requests.store(reqnum, userData);
    std::string extra;
    int group = groups(extra);
    std::string text = format("%c%d %d %d %s\n", letter, reqnum, (int)getuid(), group, path);
    if (extra.empty())
        return send(fc, text);
    return send(fc, text, &extra);
}

int newWatch(FcmConnection *fc, char letter, const char *path, FcmRequest *fr, void *userData)
{
    if (!path || takeNumber(fr) < 0 || pathTooLong(path))
        return -1;
    watch(fc, letter, path, fr->reqnum, userData);
    return 0;
}

int control(FcmConnection *fc, char letter, FcmRequest *fr)
{
    send(fc, format("%c%d %d %d\n", letter, fr->reqnum, (int)getuid(), (int)getgid()));
    return 0;
}

// Fills fe from one event message of n bytes; -1 when it names no
// request.
int parseEvent(const char *msg, int n, FcmEvent *fe)
{
    char text[MAX_PATH_LENGTH + 1];
    if (n > MAX_PATH_LENGTH)
        n = MAX_PATH_LENGTH;
    memcpy(text, msg, n);
    text[n] = '\0';

    char letter;
    int reqnum;
    const char *name;
    if (text[0] == 'c') {
        char word[MAX_PATH_LENGTH + 1];
        if (sscanf(text, "%c%d %1024s", &letter, &reqnum, word) < 2)
            return -1;
        name = strchr(text, ' ');
        name = name ? strchr(name + 1, ' ') : NULL;
    } else {
        if (sscanf(text, "%c%d", &letter, &reqnum) != 2)
            return -1;
        name = strchr(text, ' ');
    }
    name = name ? name + 1 : text + strlen(text);
    // The name ends in a newline, which goes with the last character.
    size_t len = strlen(name);
    if (len > 0)
        len--;
    if (len >= sizeof fe->filename)
        len = sizeof fe->filename - 1;
    memcpy(fe->filename, name, len);
    fe->filename[len] = '\0';

    fe->fr.reqnum = reqnum;
    int slot = requests.numbers ? requests.find(reqnum) : -1;
    fe->userdata = slot >= 0 ? requests.userData[slot] : NULL;
    int listEnded = slot >= 0 && requests.endOfExists[slot];
    switch (letter) {
    case 'e':
    case 'F':
        fe->code = listEnded ? FcmCreated : FcmExists;
        break;
    case 'D':
        fe->code = listEnded ? FcmChanged : FcmExists;
        break;
    case 'C':
    case 'c':
        fe->code = FcmChanged;
        break;
    case 'A':
    case 'n':
        fe->code = FcmDeleted;
        break;
    case 'X':
    case 'x':
        fe->code = FcmStartExecuting;
        break;
    case 'Q':
    case 'q':
        fe->code = FcmStopExecuting;
        break;
    case 'P':
        fe->code = FcmEndExist;
        if (slot >= 0)
            requests.endOfExists[slot] = 1;
        break;
    case 'G':
        fe->code = FcmAcknowledge;
        if (slot >= 0)
            requests.release(slot);
        break;
    default:
        break;  // an unknown letter leaves the code as it was
    }
    return 0;
}

}

int gspFcmAttach(FcmConnection *fc, int fd)
{
    requests.create();
    fc->client = new Client;
    fc->client->addConnected(fd);
    fc->fd = fd;
    return 0;
}

int FcmOpen(FcmConnection *fc) { return FcmOpen2(fc, NULL); }

int FcmOpen2(FcmConnection *fc, const char *appName)
{
    requests.create();
    fc->client = new Client;
    fc->fd = fc->client->AddServer(LOCALHOST, MONITOR_PROGRAM, MONITOR_VERSION);
    if (fc->fd < 0)
        return -1;
    if (appName)
        send(fc, format("N0 %d %d %s\n", (int)getuid(), (int)getgid(), appName));
    return 0;
}

int FcmClose(FcmConnection *fc)
{
    delete fc->client;
    fc->client = NULL;
    fc->fd = -1;
    return 0;
}

int FcmMonitorFile(FcmConnection *fc, const char *path, FcmRequest *fr, void *userData)
{
    return newWatch(fc, 'W', path, fr, userData);
}

int FcmMonitorDirectory(FcmConnection *fc, const char *path, FcmRequest *fr, void *userData)
{
    return newWatch(fc, 'M', path, fr, userData);
}

int FcmMonitorFile2(FcmConnection *fc, const char *path, FcmRequest *fr)
{
    watch(fc, 'W', path, fr->reqnum, (void *)(long)fr->reqnum);
    return 0;
}

int FcmMonitorDirectory2(FcmConnection *fc, const char *path, FcmRequest *fr)
{
    watch(fc, 'M', path, fr->reqnum, (void *)(long)fr->reqnum);
    return 0;
}

int FcmMonitorCollection(FcmConnection *fc, const char *path, FcmRequest *fr, void *userData,
                         int depth, const char *mask)
{
    if (!path || takeNumber(fr) < 0 || pathTooLong(path))
        return -1;
    if (userData)
        requests.store(fr->reqnum, userData);
    std::string extra;
    int group = groups(extra);
    std::string text = format("F%d %d %d %s\n", fr->reqnum, (int)getuid(), group, path);
    std::string second = extra.empty() ? format("0 %d %s\n", depth, mask ? mask : "")
                                       : format("%s %d %s\n", extra.c_str(), depth,
                                                mask ? mask : "");
    send(fc, text, &second);
    return 0;
}

int FcmSuspendMonitor(FcmConnection *fc, FcmRequest *fr) { return control(fc, 'S', fr); }

int FcmResumeMonitor(FcmConnection *fc, FcmRequest *fr) { return control(fc, 'U', fr); }

int FcmCancelMonitor(FcmConnection *fc, FcmRequest *fr) { return control(fc, 'C', fr); }

int FcmNextEvent(FcmConnection *fc, FcmEvent *fe)
{
    ServerEntry *entry = firstEntry(fc);
    if (!entry)
        return -1;
    if (!entry->messageReady) {
        if (fc->client->DoClientIn(entry) < 0)
            return -1;
        if (!entry->messageReady)
            return entry->atEOF ? -1 : 0;
    }
    char buf[MAX_PATH_LENGTH];
    int length = fc->client->ReadFromServer(fc->fd, buf, sizeof buf);
    if (length < 0)
        return -1;
    int n = length < (int)sizeof buf ? length : (int)sizeof buf;
    return parseEvent(buf, n, fe) < 0 ? -1 : 1;
}

int FcmPending(FcmConnection *fc)
{
    ServerEntry *entry = firstEntry(fc);
    if (!entry)
        return 0;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(fc->fd, &readable);
    struct timeval now = {0, 0};
    if (fc->fd < FD_SETSIZE && select(fc->fd + 1, &readable, NULL, NULL, &now) > 0)
        return 1;
    return entry->messageReady;
}

int FcmDebugLevel(FcmConnection *fc, int level)
{
    static const char letters[] = {'E', 'D', 'V'};
    if (level < 0 || level > 2)
        return -1;
    send(fc, format("%c\n", letters[level]));
    return 1;
}
