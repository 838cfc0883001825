// The file-change monitor client against a stand-in service found
// through the real port mapper: request numbers and texts byte for byte,
// groups, the request table's growth, events of every letter, and a
// hostile service that must not make the client misbehave.
#include "support/Test.h"

#include "fuzz/Fuzzers.h"

#include <grp.h>

#include "monitor/FcmInternal.h"
#include "monitor/FcmTestService.h"

namespace {

std::string str(const char *text) { return std::string(text, strlen(text) + 1); }
std::string ids() { return std::to_string(getuid()) + " " + std::to_string(getgid()); }
// A request as the client frames it: letter and number, the ids, the rest.
std::string req(const std::string &head, const std::string &rest = "")
{
    return str((head + " " + ids() + rest + "\n").c_str());
}

class FcmTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        savedGroups.resize(getgroups(0, NULL));
        getgroups(savedGroups.size(), savedGroups.data());
        setGroups({getgid()});
        ASSERT_TRUE(service.registered())
            << "the port mapper (rpcbind) must run, and this test as root";
    }
    void TearDown() override
    {
        if (fc.client)
            FcmClose(&fc);
        setgroups(savedGroups.size(), savedGroups.data());
    }
    void setGroups(std::vector<gid_t> g) { ASSERT_EQ(0, setgroups(g.size(), g.data())); }
    void open()
    {
        ASSERT_EQ(0, FcmOpen(&fc));
        ASSERT_TRUE(service.accept());
    }
    // The next event, waiting for it to arrive.
    int next(FcmEvent &fe)
    {
        int r = 0;
        GspTest::waitUntil([&] { return (r = FcmNextEvent(&fc, &fe)) != 0; }, 1000);
        return r;
    }

    FcmTestService service;
    FcmConnection fc = {-1, NULL};
    std::vector<gid_t> savedGroups;
};

}

// First in the file: request numbers start at 1 in a fresh process.
TEST_F(FcmTest, RequestsAreNumberedFromOneAndSentByteForByte)
{
    ASSERT_EQ(0, FcmOpen2(&fc, "viewer"));
    ASSERT_TRUE(service.accept());
    EXPECT_EQ(req("N0", " viewer"), service.nextRequest());

    FcmRequest file, dir;
    ASSERT_EQ(0, FcmMonitorFile(&fc, "/tmp/a b", &file, NULL));
    EXPECT_EQ(1, file.reqnum);
    EXPECT_EQ(req("W1", " /tmp/a b"), service.nextRequest());
    ASSERT_EQ(0, FcmMonitorDirectory(&fc, "/tmp", &dir, NULL));
    EXPECT_EQ(2, dir.reqnum);
    EXPECT_EQ(req("M2", " /tmp"), service.nextRequest());

    FcmSuspendMonitor(&fc, &dir);
    FcmResumeMonitor(&fc, &dir);
    FcmCancelMonitor(&fc, &dir);
    for (const char *letter : {"S", "U", "C"})
        EXPECT_EQ(req(letter + std::string("2")), service.nextRequest());
    for (int level : {0, 1, 2, 3})
        EXPECT_EQ(level < 3 ? 1 : -1, FcmDebugLevel(&fc, level));
    for (const char *text : {"E\n", "D\n", "V\n"})
        EXPECT_EQ(str(text), service.nextRequest());

    // 1024 characters are a path; 1025 are refused, with a number spent.
    std::string longest(1024, 'p'), tooLong(1025, 'p');
    FcmRequest r;
    EXPECT_EQ(0, FcmMonitorFile(&fc, longest.c_str(), &r, NULL));
    EXPECT_EQ(3, r.reqnum);
    EXPECT_EQ(req("W3", " " + longest), service.nextRequest());
    errno = 0;
    EXPECT_EQ(-1, FcmMonitorDirectory(&fc, tooLong.c_str(), &r, NULL));
    EXPECT_EQ(ENAMETOOLONG, errno);
    EXPECT_EQ(4, r.reqnum);
    EXPECT_EQ(-1, FcmMonitorCollection(&fc, tooLong.c_str(), &r, NULL, 1, "*"));
    EXPECT_EQ("", service.nextRequest(100));

    // Renumbered requests carry their own number as user data, whatever
    // the number.
    for (int number : {77, 0, -1, -5}) {
        r.reqnum = number;
        std::string n = std::to_string(number);
        EXPECT_EQ(0, FcmMonitorFile2(&fc, "/x", &r));
        EXPECT_EQ(req("W" + n, " /x"), service.nextRequest());
        service.sendEvent("C" + n + " /x\n");
        FcmEvent fe;
        ASSERT_EQ(1, next(fe));
        EXPECT_EQ((void *)(intptr_t)number, fe.userdata) << number;
        service.sendEvent("G" + n + " \n");  // acknowledged: the slot is free again
        ASSERT_EQ(1, next(fe));
    }
}

TEST_F(FcmTest, ExtraGroupsGoInASecondString)
{
    open();
    std::string uid = std::to_string(getuid());
    setGroups({10, 20, 30});
    FcmRequest r;
    ASSERT_EQ(0, FcmMonitorFile(&fc, "/f", &r, NULL));
    EXPECT_EQ(str(("W" + std::to_string(r.reqnum) + " " + uid + " 10 /f\n").c_str()) +
                  str(" 2 20 30"),
              service.nextRequest());
    ASSERT_EQ(0, FcmMonitorCollection(&fc, "/src", &r, NULL, 3, "*.c"));
    EXPECT_EQ(str(("F" + std::to_string(r.reqnum) + " " + uid + " 10 /src\n").c_str()) +
                  str(" 2 20 30 3 *.c\n"),
              service.nextRequest());
    setGroups({10});
    ASSERT_EQ(0, FcmMonitorCollection(&fc, "/src", &r, NULL, 2, "*"));
    EXPECT_EQ(str(("F" + std::to_string(r.reqnum) + " " + uid + " 10 /src\n").c_str()) +
                  str("0 2 *\n"),
              service.nextRequest());
}

TEST_F(FcmTest, EventsOfEveryLetter)
{
    open();
    int tag = 0;
    FcmRequest dir;
    ASSERT_EQ(0, FcmMonitorDirectory(&fc, "/d", &dir, &tag));
    std::string n = std::to_string(dir.reqnum);
    FcmEvent fe;
    EXPECT_EQ(0, FcmNextEvent(&fc, &fe));  // nothing yet, and no waiting
    EXPECT_EQ(0, FcmPending(&fc));

    struct Case {
        std::string text;
        int code;
        const char *name;
    } cases[] = {
        {"e" + n + " old\n", FcmExists, "old"},
        {"F" + n + " older\n", FcmExists, "older"},
        {"D" + n + " sub\n", FcmExists, "sub"},
        {"P" + n + " \n", FcmEndExist, ""},
        {"e" + n + " new\n", FcmCreated, "new"},
        {"F" + n + " newer\n", FcmCreated, "newer"},
        {"D" + n + " sub\n", FcmChanged, "sub"},
        {"C" + n + " two words\n", FcmChanged, "two words"},
        {"c" + n + " extra name\n", FcmChanged, "name"},
        {"A" + n + " gone\n", FcmDeleted, "gone"},
        {"n" + n + " gone\n", FcmDeleted, "gone"},
        {"X" + n + " run\n", FcmStartExecuting, "run"},
        {"x" + n + " run\n", FcmStartExecuting, "run"},
        {"Q" + n + " run\n", FcmStopExecuting, "run"},
        {"q" + n + " run\n", FcmStopExecuting, "run"},
        {"Z" + n + " odd\n", -5, "odd"},  // unknown letter: code untouched
        {"C" + n + " no newline", FcmChanged, "no newlin"},  // the last character goes
        {"G" + n + " \n", FcmAcknowledge, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        service.sendEvent(c.text);
        fe.code = -5;
        ASSERT_EQ(1, next(fe));
        EXPECT_EQ(c.code, fe.code);
        EXPECT_STREQ(c.name, fe.filename);
        EXPECT_EQ(dir.reqnum, fe.fr.reqnum);
        EXPECT_EQ(&tag, fe.userdata);
    }
    // After the acknowledgement, and for numbers never made: no user data,
    // and the list of existing entries counts as not ended.
    for (std::string text : {"e" + n + " late\n", std::string("e999999 stranger\n"),
                             std::string("e-1 free slot\n")}) {
        service.sendEvent(text);
        ASSERT_EQ(1, next(fe));
        EXPECT_EQ(NULL, fe.userdata);
        EXPECT_EQ(FcmExists, fe.code);
    }

    // Two messages in one read: the second is pending without the socket.
    service.sendEvent("C" + n + " one\n");
    service.sendEvent("C" + n + " two\n");
    usleep(20000);
    EXPECT_EQ(1, FcmPending(&fc));
    ASSERT_EQ(1, next(fe));
    EXPECT_STREQ("one", fe.filename);
    EXPECT_EQ(1, FcmPending(&fc));
    ASSERT_EQ(1, next(fe));
    EXPECT_STREQ("two", fe.filename);
    EXPECT_EQ(0, FcmPending(&fc));
}

TEST_F(FcmTest, LongAndSplitMessagesAreReadWhole)
{
    open();
    FcmEvent fe;
    // Longer than the 1024 bytes read of a message: cut there (and the
    // last character dropped as ever), consumed whole.
    service.sendEvent("C1 " + std::string(2000, 'n') + "\n");
    service.sendEvent("C1 after\n");
    ASSERT_EQ(1, next(fe));
    EXPECT_EQ(std::string(1020, 'n'), fe.filename);
    ASSERT_EQ(1, next(fe));
    EXPECT_STREQ("after", fe.filename);
    service.sendEvent("C1 " + std::string(1025, 'm') + "\n");
    ASSERT_EQ(1, next(fe));
    EXPECT_EQ(1020u, strlen(fe.filename));
    // A burst larger than the client's buffer arrives whole, in order.
    std::string burst;
    for (int i = 0; i < 40; i++)
        burst += lengthWord(94) + "C1 " + std::string(90, (char)('a' + i % 26)) + "\n";
    service.sendRaw(burst);
    for (int i = 0; i < 40; i++) {
        ASSERT_EQ(1, next(fe)) << i;
        EXPECT_EQ(std::string(90, (char)('a' + i % 26)), fe.filename);
    }

    // A byte at a time: nothing until the last byte.
    std::string bytes = lengthWord(8) + "C1 slow\n";
    for (size_t i = 0; i + 1 < bytes.size(); i++) {
        service.sendRaw(bytes.substr(i, 1));
        usleep(2000);
        EXPECT_EQ(0, FcmNextEvent(&fc, &fe)) << i;
    }
    service.sendRaw(bytes.substr(bytes.size() - 1));
    ASSERT_EQ(1, next(fe));
    EXPECT_STREQ("slow", fe.filename);
}

TEST_F(FcmTest, AHostileServiceGetsMinusOneNotAHang)
{
    const std::string hostile[] = {
        lengthWord(0xffffffffu) + "C1 x\n",  // negative length
        lengthWord(5000) + "C1 x\n",         // longer than any buffer
        lengthWord(20) + "C1 ha",            // closed in mid-message
        lengthWord(0),                       // an empty message
        lengthWord(4) + "Cxyz",              // no request number
    };
    for (const std::string &bytes : hostile) {
        SCOPED_TRACE(bytes.substr(4));
        open();
        service.sendRaw(bytes);
        service.closeClient();
        FcmEvent fe;
        EXPECT_EQ(-1, next(fe));
        FcmClose(&fc);
    }
    // Just too long for the client's buffer: refused while still open.
    open();
    service.sendRaw(lengthWord(2998) + std::string(2998, 'x'));
    FcmEvent fe;
    EXPECT_EQ(-1, next(fe));
}

TEST_F(FcmTest, WithoutTheServiceOpeningFailsAndNotesCarryOn)
{
    // The first note opens the connection, the last one closes it.
    SoDB::init();
    ZnTextNote::initClass();
    GspTest::Held<ZnTextNote> a(new ZnTextNote), b(new ZnTextNote);
    ASSERT_TRUE(service.accept());
    a = NULL;
    EXPECT_FALSE(service.clientClosed(100));
    b = NULL;
    EXPECT_TRUE(service.clientClosed());
    EXPECT_TRUE(service.received.empty());  // no note asked for anything
    EXPECT_EQ(NULL, ZnNote::fcmConnection.client);

    service.stop();
    EXPECT_EQ(-1, FcmOpen(&fc));
    GspTest::Held<ZnTextNote> alone(new ZnTextNote);
    alone->setFieldFromString("still works");
    EXPECT_EQ(1, ZnNote::numNotes);
}

// Every input the event fuzzer kept (seeds and every crash it found).
TEST(FcmEventFuzzCorpus, EveryKeptInputReadsSafely)
{
    replayCorpus(GLOSSPIN_FCM_FUZZ_CORPUS, &fuzzFcmEvents);
}
