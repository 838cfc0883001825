#ifndef GLOSSPIN_MONITOR_CLIENT_H
#define GLOSSPIN_MONITOR_CLIENT_H

// One server connection of the monitor client: the socket and what has
// been read from it but not yet taken.
struct ServerEntry {
    enum { BUFFER_SIZE = 3000 };
    int fd;
    ServerEntry *next;
    int messageReady;  // a whole message is buffered
    int inputFull;     // the buffer is full; nothing more is read
    char *readPos, *endPos;
    char input[BUFFER_SIZE];
    int atEOF;         // the server closed the connection
    int broken;        // the server sent a length no message can have

    ServerEntry(int socket, ServerEntry *nextEntry);
    int buffered() const { return (int)(endPos - readPos); }
    void checkMessage();
};

// The monitor client's connections, each framed by a 4-byte big-endian
// length before every message, in both directions.
struct Client {
    ServerEntry *servers;

    Client();
    ~Client();

    // Socket connected to the program's TCP port as the port mapper at
    // address (host order) names it: -1 no port, -2 no socket, -3 no
    // connection.
    int AddServer(long address, int program, int version);
    // Takes an already connected socket.
    void addConnected(int fd);
    ServerEntry *find(int fd) const;

    // Reads what the socket has (without waiting) into the entry's buffer.
    int DoClientIn(ServerEntry *entry);
    // Copies at most max bytes of the next message into buf and consumes
    // the whole message; returns its stated length, or -1.
    int ReadFromServer(int fd, char *buf, int max);
    int WriteToServer(int fd, const char *buf, int len);
};

// The 4-byte word at p, most significant byte first, and back.
void getword(const char *p, long *v);
void putword(char *p, const long *v);

#endif
