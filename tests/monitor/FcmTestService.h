#ifndef GLOSSPIN_TESTS_FCMTESTSERVICE_H
#define GLOSSPIN_TESTS_FCMTESTSERVICE_H

#include <string>
#include <vector>

// A stand-in monitor service for the client's tests: listens on a free
// local TCP port registered with the port mapper as the monitor program,
// records every framed request it receives and sends scripted bytes,
// well-formed events or anything else.
class FcmTestService {
  public:
    FcmTestService();
    ~FcmTestService();
    bool registered() const { return port > 0; }

    // Takes the client's connection; false after timeoutMs.
    bool accept(int timeoutMs = 2000);
    // The next request's body (without its length word), "" after timeoutMs.
    std::string nextRequest(int timeoutMs = 2000);
    std::vector<std::string> received;  // every request body so far

    // An event text framed as the service frames it.
    void sendEvent(const std::string &text);
    void sendRaw(const std::string &bytes);
    void closeClient();
    // The client closed its end within timeoutMs (pending requests are
    // taken first).
    bool clientClosed(int timeoutMs = 2000);
    // Unregisters and stops listening, as when the service is not running.
    void stop();

  private:
    int listener = -1, client = -1;
    unsigned short port = 0;
    std::string pending;  // bytes read but not yet a whole request
};

// The 4-byte big-endian length word of n.
std::string lengthWord(unsigned int n);

#endif
