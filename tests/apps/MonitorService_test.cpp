// The monitor service under the library's own client, through the real
// port mapper: what happens to files and directories, in order; suspend,
// resume and cancel; and hostile clients that must not disturb a
// well-behaved one or leave descriptors and watches behind.
#include "support/Test.h"

#include <arpa/inet.h>
#include <grp.h>
#include <netinet/in.h>
#include <rpc/pmap_clnt.h>
#include <sys/socket.h>

#include <set>

#include "fuzz/Fuzzers.h"

namespace {

unsigned short registeredPort()
{
    struct sockaddr_in pm;
    memset(&pm, 0, sizeof pm);
    pm.sin_family = AF_INET;
    pm.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return pmap_getport(&pm, 391002, 1, IPPROTO_TCP);
}

pid_t startService(std::vector<std::string> args = {})
{
    args.insert(args.begin(), {GLOSSPIN_MONITORD, "--foreground"});
    // Its log, when asked for.
    return GspTest::spawn(args, getenv("GSP_MONITORD_LOG") ? NULL : "/dev/null");
}

// The inotify watches a process holds, from its descriptors' details.
int inotifyWatches(pid_t pid)
{
    std::string fdinfo = "/proc/" + std::to_string(pid) + "/fdinfo";
    int n = 0;
    if (DIR *d = opendir(fdinfo.c_str())) {
        while (struct dirent *e = readdir(d))
            if (e->d_name[0] != '.')
                n += GspTest::occurrences(TempDir::readFile(fdinfo + "/" + e->d_name),
                                          "inotify wd:");
        closedir(d);
    }
    return n;
}

// A raw connection that sends what it is given.
int rawClient(unsigned short port, const std::string &bytes)
{
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0), small = 1;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);  // fills soon
    struct sockaddr_in sin;
    memset(&sin, 0, sizeof sin);
    sin.sin_family = AF_INET;
    sin.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    sin.sin_port = htons(port);
    if (connect(fd, (struct sockaddr *)&sin, sizeof sin) != 0 ||
        write(fd, bytes.data(), bytes.size()) != (ssize_t)bytes.size()) {
        close(fd);
        return -1;
    }
    return fd;
}

std::string framed(const std::string &body)
{
    uint32_t n = htonl((uint32_t)body.size());
    return std::string((const char *)&n, 4) + body;
}

class MonitorServiceTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_EQ(0, registeredPort()) << "another monitor service is registered";
        pid = startService({"--max-pending", "4096"});
        ASSERT_TRUE(GspTest::waitUntil([] { return registeredPort() != 0; }));
        ASSERT_EQ(0, FcmOpen(&fc));
    }
    void TearDown() override
    {
        if (fc.client)
            FcmClose(&fc);
        close(fc.fd);
        kill(pid, SIGTERM);
        EXPECT_EQ(0, GspTest::exitStatus(pid));
        EXPECT_EQ(0, registeredPort());
    }
    // The next event's code and name, or -1 when none comes.
    std::pair<int, std::string> next(int ms = 2000)
    {
        FcmEvent fe;
        int r = 0;
        GspTest::waitUntil([&] { return (r = FcmNextEvent(&fc, &fe)) != 0; }, ms);
        return r == 1 ? std::make_pair(fe.code, std::string(fe.filename))
                      : std::make_pair(-1, std::string());
    }

    pid_t pid = -1;
    FcmConnection fc = {-1, NULL};
    TempDir tmp;
};

typedef std::pair<int, std::string> Event;

}

TEST_F(MonitorServiceTest, FilesAndDirectoriesReportWhatHappensInOrder)
{
    std::string file = tmp.file("watched");
    TempDir::writeFile(file, "one");
    FcmRequest fr, dr;
    ASSERT_EQ(0, FcmMonitorFile(&fc, file.c_str(), &fr, NULL));
    EXPECT_EQ(Event(FcmExists, file), next());
    TempDir::writeFile(file + ".new", "two");
    rename((file + ".new").c_str(), file.c_str());  // replaced as editors save
    EXPECT_EQ(Event(FcmExists, file), next());
    FILE *f = fopen(file.c_str(), "a");
    fputs("three", f);
    fclose(f);
    EXPECT_EQ(Event(FcmChanged, file), next());
    chmod(file.c_str(), 0600);  // attributes count as a change
    EXPECT_EQ(Event(FcmChanged, file), next());
    unlink(file.c_str());
    EXPECT_EQ(Event(FcmDeleted, file), next());

    std::string dir = tmp.file("dir");
    mkdir(dir.c_str(), 0700);
    for (const char *name : {"a", "b", "c"})
        TempDir::writeFile(dir + "/" + name, "x");
    ASSERT_EQ(0, FcmMonitorDirectory(&fc, dir.c_str(), &dr, NULL));
    std::set<std::string> listed;
    for (int i = 0; i < 3; i++) {
        Event e = next();
        EXPECT_EQ(FcmExists, e.first);
        listed.insert(e.second);
    }
    EXPECT_EQ((std::set<std::string>{"a", "b", "c"}), listed);
    EXPECT_EQ(Event(FcmEndExist, ""), next());
    // A number already watching is refused, as a missing path is.
    FcmRequest again = dr;
    ASSERT_EQ(0, FcmMonitorDirectory2(&fc, dir.c_str(), &again));
    EXPECT_EQ(Event(FcmDeleted, dir), next());
    // A collection lists only the names its mask matches.
    FcmRequest cr;
    ASSERT_EQ(0, FcmMonitorCollection(&fc, dir.c_str(), &cr, NULL, 1, "[ab]"));
    listed.clear();
    for (Event e; (e = next()).first == FcmExists;)
        listed.insert(e.second);
    EXPECT_EQ((std::set<std::string>{"a", "b"}), listed);
    FcmCancelMonitor(&fc, &cr);
    EXPECT_EQ(Event(FcmAcknowledge, ""), next());
    TempDir::writeFile(dir + "/new", "x");
    EXPECT_EQ(Event(FcmCreated, "new"), next());
    while (next(200).first != -1) {
    }

    // Suspended, nothing comes; resumed, changes come again; cancelled,
    // the end is acknowledged.
    FcmSuspendMonitor(&fc, &dr);
    usleep(50000);
    TempDir::writeFile(dir + "/a", "y");
    EXPECT_EQ(-1, next(300).first);
    FcmResumeMonitor(&fc, &dr);
    usleep(50000);
    TempDir::writeFile(dir + "/b", "y");
    EXPECT_EQ(Event(FcmChanged, "b"), next());
    while (next(200).first == FcmChanged) {
    }
    FcmCancelMonitor(&fc, &dr);
    EXPECT_EQ(Event(FcmAcknowledge, ""), next());
    TempDir::writeFile(dir + "/c", "y");
    EXPECT_EQ(-1, next(300).first);
    // A suspended directory that goes says nothing.
    std::string gone = tmp.file("gone");
    mkdir(gone.c_str(), 0700);
    ASSERT_EQ(0, FcmMonitorDirectory(&fc, gone.c_str(), &dr, NULL));
    EXPECT_EQ(Event(FcmEndExist, ""), next());
    FcmSuspendMonitor(&fc, &dr);
    usleep(50000);
    rmdir(gone.c_str());
    EXPECT_EQ(-1, next(300).first);

    // The notes' own connection opens while the service runs.
    SoDB::init();
    ZnInit::initClasses();
    GspTest::Held<ZnTextNote> note(new ZnTextNote);
    EXPECT_GE(ZnNote::fcmConnection.fd, 0);
}

TEST_F(MonitorServiceTest, HostileClientsLeaveAWellBehavedOneServed)
{
    unsigned short port = registeredPort();
    std::string dir = tmp.file("dir");
    mkdir(dir.c_str(), 0700);
    FcmRequest dr;
    ASSERT_EQ(0, FcmMonitorDirectory(&fc, dir.c_str(), &dr, NULL));
    ASSERT_EQ(FcmEndExist, next().first);
    std::string fdDir = "/proc/" + std::to_string(pid) + "/fd";
    auto descriptors = [&] { return TempDir::entriesOf(fdDir).size(); };
    size_t before = descriptors();
    int watches = inotifyWatches(pid);

    std::vector<int> hostile;
    const std::string uid = std::to_string(getuid());
    for (const std::string &bytes :
         {std::string("\xff\xff\xff\xff", 4) + "W1 0 0 /\n",  // oversized
          framed("W1 0 0 /tmp\n").substr(0, 8),               // cut off
          framed(std::string("Z1 0 0 /tmp\n", 12) + '\0'),     // unknown letter
          framed(std::string("W1 0 0 relative\n") + '\0') + framed("W2 0 0 /\n")})
        hostile.push_back(rawClient(port, bytes));
    // 200 clients at once, each announced.
    for (int i = 0; i < 200; i++)
        hostile.push_back(rawClient(port, framed(std::string("N0 0 0 crowd\n") + '\0')));
    // One that watches the directory and never reads.
    hostile.push_back(rawClient(port, framed("M7 " + uid + " 0 " + dir + "\n" + '\0')));
    // The well-behaved client, reading as it goes, hears of every file.
    int created = 0;
    for (int i = 0; i < 1000; i++) {
        TempDir::writeFile(dir + "/a-file-with-a-longer-name-" + std::to_string(i), "x");
        for (Event e; i % 20 == 19 && (e = next(20)).first != -1;)
            created += e.first == FcmCreated;
    }
    for (Event e; (e = next(500)).first != -1;)
        created += e.first == FcmCreated;
    EXPECT_EQ(1000, created);
    // The one that never read was let go: its socket ends after what the
    // service had sent.
    char buf[65536];
    ssize_t n = 1;
    while (n > 0 && GspTest::waitUntil([&] {
        n = recv(hostile.back(), buf, sizeof buf, MSG_DONTWAIT);
        return n >= 0;
    }, 1000)) {
    }
    EXPECT_EQ(0, n) << errno;
    for (int fd : hostile)
        if (fd >= 0)
            close(fd);
    // The service drops 205 clients one poll round at a time: on a loaded
    // machine that takes a while.
    GspTest::waitUntil(
        [&] { return descriptors() == before && inotifyWatches(pid) == watches; }, 15000);
    EXPECT_EQ(before, descriptors());
    EXPECT_EQ(watches, inotifyWatches(pid));
}

// A user who may not read a file hears of it only what a missing file
// would tell: that it is deleted.
TEST_F(MonitorServiceTest, AnotherUsersPrivateFileIsRefusedAsDeleted)
{
    if (getuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    std::string secret = tmp.file("secret");
    TempDir::writeFile(secret, "mine");
    chmod(secret.c_str(), 0600);
    pid_t child = fork();
    if (child == 0) {
        if (setgroups(0, NULL) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
            _exit(3);
        FcmConnection other = {-1, NULL};
        FcmRequest r;
        if (FcmOpen(&other) != 0 || FcmMonitorFile(&other, secret.c_str(), &r, NULL) != 0)
            _exit(4);
        FcmEvent fe;
        int got = 0;
        for (int i = 0; i < 400 && (got = FcmNextEvent(&other, &fe)) == 0; i++)
            usleep(5000);
        _exit(got == 1 && fe.code == FcmDeleted ? 0 : 1);
    }
    EXPECT_EQ(0, GspTest::exitStatus(child));
}

TEST_F(MonitorServiceTest, ASecondServiceRefusesToStart)
{
    EXPECT_EQ(1, GspTest::exitStatus(startService()));
    EXPECT_NE(0, registeredPort());
}

// Every input the request fuzzer kept (seeds and past findings).
TEST(MonitorRequestFuzzCorpus, EveryKeptInputReadsSafely)
{
    replayCorpus(GLOSSPIN_MONITOR_FUZZ_CORPUS, &fuzzMonitorRequests);
}
