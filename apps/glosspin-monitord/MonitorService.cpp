#include "MonitorService.h"

#include <algorithm>

#include <arpa/inet.h>
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <grp.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <stdio.h>
#include <string.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

// What a request watches. A file is watched through its directory, so
// that a file replaced by rename or made again is still followed.
struct MonitorService::Watch {
    Client *client;
    int reqnum, wd;
    std::string path;  // as requested
    std::string name;  // a file's name in its directory; empty for a directory
    std::string mask;  // a collection's pattern; empty for all entries
    bool suspended = false;
};

struct MonitorService::Client {
    int fd;
    uid_t uid;
    gid_t gid;
    std::vector<gid_t> groups;
    std::string in, out;
    std::map<int, std::unique_ptr<Watch>> watches;  // by request number
    bool dropped = false;
};

namespace {

const unsigned WATCH_MASK = IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM | IN_MODIFY |
                            IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
int debugLevel = 0;

// The user owning the other end of a loopback TCP connection, from the
// kernel's socket table (TCP sockets carry no SO_PEERCRED credentials).
bool peerUser(int fd, uid_t &uid)
{
    struct sockaddr_in self, peer;
    socklen_t len = sizeof self;
    if (getsockname(fd, (struct sockaddr *)&self, &len) != 0)
        return false;
    len = sizeof peer;
    if (getpeername(fd, (struct sockaddr *)&peer, &len) != 0)
        return false;
    char local[32], remote[32], line[512];
    snprintf(local, sizeof local, "%08X:%04X", peer.sin_addr.s_addr, ntohs(peer.sin_port));
    snprintf(remote, sizeof remote, "%08X:%04X", self.sin_addr.s_addr, ntohs(self.sin_port));
    FILE *table = fopen("/proc/net/tcp", "re");
    if (!table)
        return false;
    bool found = false;
    while (!found && fgets(line, sizeof line, table)) {
        char l[64], r[64];
        unsigned u;
        if (sscanf(line, " %*d: %63s %63s %*x %*s %*s %*s %u", l, r, &u) == 3 &&
            !strcmp(l, local) && !strcmp(r, remote)) {
            uid = u;
            found = true;
        }
    }
    fclose(table);
    return found;
}

// The primary group and the groups of a user, from the user database.
void groupsOf(uid_t uid, gid_t &gid, std::vector<gid_t> &groups)
{
    struct passwd pw, *found = NULL;
    char buf[4096];
    gid = 65534;
    groups.clear();
    if (getpwuid_r(uid, &pw, buf, sizeof buf, &found) != 0 || !found)
        return;
    gid = pw.pw_gid;
    int n = 64;
    groups.resize(n);
    if (getgrouplist(pw.pw_name, pw.pw_gid, groups.data(), &n) < 0)
        n = 0;
    groups.resize(n);
}

std::string dirName(const std::string &path)
{
    size_t slash = path.rfind('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string word32(uint32_t n)
{
    char b[4] = {(char)(n >> 24), (char)(n >> 16), (char)(n >> 8), (char)n};
    return std::string(b, 4);
}

}

MonitorService::MonitorService(int l, const Limits &lim) : listener(l), limits(lim)
{
    inotifyFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (pipe2(wakeFds, O_NONBLOCK | O_CLOEXEC) != 0)
        wakeFds[0] = wakeFds[1] = -1;
}

MonitorService::~MonitorService()
{
    while (!clients.empty())
        dropClient(clients.begin()->first, NULL);
    close(inotifyFd);
    close(wakeFds[0]);
    close(wakeFds[1]);
}

void MonitorService::stop()
{
    if (write(wakeFds[1], "x", 1) < 0) {
        // The pipe is full: a stop is already on its way.
    }
}

bool MonitorService::run()
{
    if (inotifyFd < 0 || wakeFds[0] < 0) {
        syslog(LOG_ERR, "cannot start: %s", strerror(errno));
        return false;
    }
    for (;;) {
        std::vector<struct pollfd> fds = {{wakeFds[0], POLLIN, 0},
                                          {listener, POLLIN, 0},
                                          {inotifyFd, POLLIN, 0}};
        for (auto &c : clients)
            fds.push_back({c.first, (short)(POLLIN | (c.second->out.empty() ? 0 : POLLOUT)), 0});
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            syslog(LOG_ERR, "poll: %s", strerror(errno));
            return false;
        }
        if (fds[0].revents)
            return true;
        if (fds[1].revents & POLLIN)
            acceptClient();
        if (fds[2].revents & POLLIN)
            readInotify();
        for (size_t i = 3; i < fds.size(); i++) {
            auto it = clients.find(fds[i].fd);
            if (it == clients.end())
                continue;
            if (fds[i].revents & (POLLIN | POLLHUP | POLLERR))
                readClient(*it->second);
            if (!it->second->dropped && (fds[i].revents & POLLOUT))
                writeClient(*it->second);
        }
        for (auto it = clients.begin(); it != clients.end();) {
            int fd = it->first;
            bool dropped = it->second->dropped;
            ++it;
            if (dropped)
                dropClient(fd, NULL);
        }
    }
}

void MonitorService::acceptClient()
{
    int fd = accept4(listener, NULL, NULL, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return;
    uid_t uid;
    if ((int)clients.size() >= limits.clients || !peerUser(fd, uid)) {
        syslog(LOG_WARNING, "%s", (int)clients.size() >= limits.clients
                                      ? "too many clients; one refused"
                                      : "a client whose user is unknown refused");
        close(fd);
        return;
    }
    // The kernel keeps little for a client: what it does not read waits
    // in the service, where it is counted.
    int sendBuffer = 16384;
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    std::unique_ptr<Client> c(new Client);
    c->fd = fd;
    c->uid = uid;
    groupsOf(uid, c->gid, c->groups);
    clients[fd] = std::move(c);
}

void MonitorService::dropClient(int fd, const char *why)
{
    auto it = clients.find(fd);
    if (it == clients.end())
        return;
    if (why)
        syslog(LOG_WARNING, "client of user %d dropped: %s", (int)it->second->uid, why);
    Client &c = *it->second;
    while (!c.watches.empty())
        endWatch(c, c.watches.begin()->first, false);
    close(fd);
    clients.erase(it);
}

// Takes what the client sent and serves every whole message in it. The
// length word is checked before its message is kept.
void MonitorService::readClient(Client &c)
{
    char buf[4096];
    ssize_t n = read(c.fd, buf, sizeof buf);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n <= 0) {
        c.dropped = true;
        return;
    }
    c.in.append(buf, n);
    while (c.in.size() >= 4 && !c.dropped) {
        uint32_t len = monitorMessageLength(c.in.data());
        MonitorRequest r;
        if (len == 0 || len > MONITOR_MAX_MESSAGE) {
            syslog(LOG_WARNING, "client of user %d dropped: a message of %u bytes", (int)c.uid,
                   len);
            c.dropped = true;
        } else if (c.in.size() < 4 + (size_t)len) {
            break;
        } else if (!parseMonitorRequest(c.in.data() + 4, len, r) || !handle(c, r)) {
            syslog(LOG_WARNING, "client of user %d dropped: a malformed request", (int)c.uid);
            c.dropped = true;
        } else {
            c.in.erase(0, 4 + len);
        }
    }
}

void MonitorService::writeClient(Client &c)
{
    while (!c.out.empty()) {
        ssize_t n = write(c.fd, c.out.data(), c.out.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            return;
        if (n <= 0) {
            c.dropped = true;
            return;
        }
        c.out.erase(0, n);
    }
}

void MonitorService::send(Client &c, char letter, int reqnum, const std::string &name)
{
    if (c.dropped)
        return;
    std::string text = letter + std::to_string(reqnum) + " " + name + "\n";
    c.out += word32((uint32_t)text.size()) + text;
    if (c.out.size() > limits.pendingOutput) {
        syslog(LOG_WARNING, "client of user %d dropped: it does not read its events",
               (int)c.uid);
        c.dropped = true;
        return;
    }
    writeClient(c);
}

bool MonitorService::handle(Client &c, const MonitorRequest &r)
{
    if (debugLevel > 1)
        syslog(LOG_DEBUG, "user %d: %c%d %s", (int)c.uid, r.letter, r.reqnum, r.text.c_str());
    switch (r.letter) {
    case 'N':
        return true;
    case 'W':
    case 'M':
    case 'F':
        watch(c, r);
        return true;
    case 'S':
    case 'U': {
        auto it = c.watches.find(r.reqnum);
        if (it != c.watches.end())
            it->second->suspended = r.letter == 'S';
        return true;
    }
    case 'C':
        endWatch(c, r.reqnum, true);
        return true;
    default:  // E, D, V
        debugLevel = r.letter == 'E' ? 0 : r.letter == 'D' ? 1 : 2;
        return true;
    }
}

void MonitorService::watch(Client &c, const MonitorRequest &r)
{
    bool directory = r.letter != 'W';
    const std::string &path = r.text;
    if (path[0] != '/' || c.watches.count(r.reqnum) ||
        (int)c.watches.size() >= limits.watchesPerClient || !peerMayRead(c, path, directory)) {
        // The same answer as for a file that is not there: nothing about
        // the file is given away.
        syslog(LOG_NOTICE, "request %d of user %d for %s refused", r.reqnum, (int)c.uid,
               path.c_str());
        send(c, 'A', r.reqnum, path);
        return;
    }
    std::unique_ptr<Watch> w(new Watch);
    w->client = &c;
    w->reqnum = r.reqnum;
    w->path = path;
    w->mask = r.letter == 'F' && r.mask != "*" ? r.mask : "";
    if (!directory)
        w->name = path.substr(path.rfind('/') + 1);
    w->wd = addInotify(directory ? path : dirName(path));
    struct stat st;
    if (w->wd < 0 || (!directory && w->name.empty())) {
        send(c, 'A', r.reqnum, path);
        return;
    }
    if (!directory) {
        send(c, lstat(path.c_str(), &st) == 0 ? 'e' : 'A', r.reqnum, path);
    } else if (DIR *d = opendir(path.c_str())) {
        while (struct dirent *e = readdir(d))
            if (strcmp(e->d_name, ".") && strcmp(e->d_name, "..") &&
                (w->mask.empty() || fnmatch(w->mask.c_str(), e->d_name, 0) == 0))
                send(c, 'e', r.reqnum, e->d_name);
        closedir(d);
        send(c, 'P', r.reqnum, "");
    }
    byWd[w->wd].push_back(w.get());
    c.watches[r.reqnum] = std::move(w);
}

void MonitorService::endWatch(Client &c, int reqnum, bool acknowledge)
{
    auto it = c.watches.find(reqnum);
    if (it != c.watches.end()) {
        int wd = it->second->wd;
        std::vector<Watch *> &list = byWd[wd];
        list.erase(std::remove(list.begin(), list.end(), it->second.get()), list.end());
        if (list.empty())
            releaseInotify(wd);
        c.watches.erase(it);
    }
    if (acknowledge)
        send(c, 'G', reqnum, "");
}

int MonitorService::addInotify(const std::string &dir)
{
    int wd = inotify_add_watch(inotifyFd, dir.c_str(), WATCH_MASK);
    if (wd < 0 && errno == ENOSPC)
        syslog(LOG_WARNING, "the system's limit of inotify watches is reached");
    return wd;
}

void MonitorService::releaseInotify(int wd)
{
    byWd.erase(wd);
    inotify_rm_watch(inotifyFd, wd);
}

void MonitorService::readInotify()
{
    alignas(struct inotify_event) char buf[16384];
    for (;;) {
        ssize_t n = read(inotifyFd, buf, sizeof buf);
        if (n <= 0)
            return;
        for (char *p = buf; p < buf + n;) {
            struct inotify_event *e = (struct inotify_event *)p;
            inotifyEvent(e->wd, e->mask, e->len ? e->name : "");
            p += sizeof *e + e->len;
        }
    }
}

void MonitorService::inotifyEvent(int wd, unsigned mask, const char *name)
{
    auto found = byWd.find(wd);
    if (found == byWd.end())
        return;
    std::vector<Watch *> watches = found->second;
    bool gone = mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED);
    for (Watch *w : watches) {
        if (w->suspended && !gone)
            continue;
        char letter = mask & (IN_CREATE | IN_MOVED_TO)     ? 'e'
                      : mask & (IN_DELETE | IN_MOVED_FROM) ? 'A'
                      : mask & (IN_MODIFY | IN_ATTRIB)     ? 'C'
                                                           : 0;
        if (gone) {
            // The directory went: its watch has ended.
            if (!w->suspended)
                send(*w->client, 'A', w->reqnum, w->path);
            w->wd = -1;
        } else if (!letter || !*name) {
            continue;
        } else if (!w->name.empty()) {
            if (w->name == name)
                send(*w->client, letter, w->reqnum, w->path);
        } else if (w->mask.empty() || fnmatch(w->mask.c_str(), name, 0) == 0) {
            send(*w->client, letter, w->reqnum, name);
        }
    }
    if (gone) {
        byWd.erase(wd);
        if (!(mask & IN_IGNORED))
            inotify_rm_watch(inotifyFd, wd);
    }
}

// Whether the client's user may read path (and search a directory): the
// check runs with that user's real ids and groups, as the kernel checks
// access() for them. A file that is not there may be watched where its
// directory may be read.
bool MonitorService::peerMayRead(const Client &c, const std::string &path, bool directory) const
{
    if (c.uid == 0)
        return true;
    auto mayRead = [&] {
        return access(path.c_str(), directory ? R_OK | X_OK : R_OK) == 0 ||
               (errno == ENOENT && !directory && access(dirName(path).c_str(), R_OK | X_OK) == 0);
    };
    if (geteuid() != 0)
        return c.uid == geteuid() && mayRead();
    std::vector<gid_t> saved(getgroups(0, NULL));
    saved.resize(getgroups(saved.size(), saved.data()));
    bool ok = setgroups(c.groups.size(), c.groups.data()) == 0 &&
              setresgid(c.gid, 0, 0) == 0 && setresuid(c.uid, 0, 0) == 0 && mayRead();
    if (setresuid(0, 0, 0) != 0 || setresgid(0, 0, 0) != 0 ||
        setgroups(saved.size(), saved.data()) != 0) {
        syslog(LOG_ERR, "cannot take back the service's own ids");
        _exit(1);
    }
    return ok;
}
