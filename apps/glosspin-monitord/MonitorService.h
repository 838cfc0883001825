#ifndef GLOSSPIN_MONITORD_MONITORSERVICE_H
#define GLOSSPIN_MONITORD_MONITORSERVICE_H

#include <sys/types.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "MonitorRequest.h"

// The file-change monitor service: takes the framed requests of clients
// on a loopback socket and reports what happens to the files and
// directories they name, as inotify tells it. A request is served only
// when the user at the other end of the socket may read the path.
class MonitorService {
  public:
    struct Limits {
        int clients = 256;            // connections at once
        int watchesPerClient = 1024;  // requests a client may hold
        size_t pendingOutput = 256 * 1024;  // unread event bytes before a client is dropped
    };

    MonitorService(int listener, const Limits &limits);
    ~MonitorService();

    // Serves until stop() (from a signal handler too) or a failure of
    // the service itself; false on such a failure.
    bool run();
    void stop();

  private:
    struct Watch;
    struct Client;

    void acceptClient();
    void readClient(Client &c);
    void writeClient(Client &c);
    void dropClient(int fd, const char *why);
    bool handle(Client &c, const MonitorRequest &r);
    void watch(Client &c, const MonitorRequest &r);
    void endWatch(Client &c, int reqnum, bool acknowledge);
    void readInotify();
    void inotifyEvent(int wd, unsigned mask, const char *name);
    void send(Client &c, char letter, int reqnum, const std::string &name);
    bool peerMayRead(const Client &c, const std::string &path, bool directory) const;
    int addInotify(const std::string &dir);
    void releaseInotify(int wd);

    int listener, inotifyFd, wakeFds[2];
    Limits limits;
    std::map<int, std::unique_ptr<Client>> clients;  // by socket
    std::map<int, std::vector<Watch *>> byWd;        // inotify watch to requests
};

#endif
