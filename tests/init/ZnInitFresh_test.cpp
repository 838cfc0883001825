// Registration from a process that has registered nothing yet: the whole
// library from any chaining class, every public class constructible
// afterwards. Each case runs in a child of this still unregistered
// process.
#include "support/Test.h"

namespace {

// Every class the library registers, by file type name; the abstract
// note and the field type cannot be built on their own.
const char *const kTypes[] = {
    "ZnMarker",   "ZnNote",       "ZnArrow",        "ZnImageNote",          "ZnInventorNote",
    "ZnMovieNote", "ZnSoundNote", "ZnTextNote",     "ZnViewNote",           "ZnSystemNote",
    "ZnURLNote",  "ZnNoteList",   "MFULong",        "ZnArrowDragger",       "ScreenCompoundDragger",
    "ScreenPlaneDragger", "AntiSquish2", "LocateHighlightGroup", "BitmapText", "HideManip",
    "SoHideManipElement", "HideableTransformManip", "GestureDragger", "GraphPaper", "Shadow",
    "ShadowDragger", "RotateJackDragger", "BoxDragger", "BoxManip", "RefPlaneDragger"};

// What the child finds wrong, or "" when all is well.
std::string checkRegistration(void (*init)())
{
    SoDB::init();
    init();
    if (init == SoNewManips::init) {
        // The toolkit alone, once: the library's own types stay out.
        int types = SoType::getNumTypes();
        SoNewManips::init();
        if (SoType::getNumTypes() != types)
            return "a second SoNewManips::init() registered more";
        if (SoType::fromName("ZnMarker") != SoType::badType())
            return "SoNewManips::init() registered the notes";
        ZnInit::initClasses();
    }
    int types = SoType::getNumTypes();
    for (const char *name : kTypes) {
        SoType t = SoType::fromName(name);
        if (t == SoType::badType())
            return std::string(name) + " not registered";
        if (!t.canCreateInstance() || !t.isDerivedFrom(SoNode::getClassTypeId()))
            continue;
        SoNode *node = (SoNode *)t.createInstance();
        if (!node || node->getTypeId() != t)
            return std::string(name) + " not constructed";
        node->ref();
        node->unref();
    }
    ZnInit::initClasses();
    if (SoType::getNumTypes() != types)
        return "a later initClasses() registered more";
    return "";
}

struct Case {
    const char *name;
    void (*init)();
};

const Case kCases[] = {
    {"ZnInit::initClasses", ZnInit::initClasses},
    {"SoNewManips::init", SoNewManips::init},
    {"ZnTextNote", ZnTextNote::initClass},
    {"ZnURLNote", ZnURLNote::initClass},
    {"ZnViewNote", ZnViewNote::initClass},
    {"ZnMovieNote", ZnMovieNote::initClass},
    {"ZnSoundNote", ZnSoundNote::initClass},
    {"ZnImageNote", ZnImageNote::initClass},
    {"ZnSystemNote", ZnSystemNote::initClass},
    {"ZnInventorNote", ZnInventorNote::initClass},
    {"ZnArrow", ZnArrow::initClass},
};

}

TEST(InitFresh, AnyChainingClassRegistersTheLibraryAndEveryClassCanBeBuilt)
{
    ASSERT_FALSE(ZnInit::isInitialized()) << "this binary must register nothing itself";
    for (const Case &c : kCases) {
        int fds[2];
        ASSERT_EQ(0, pipe(fds));
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            std::string fault = checkRegistration(c.init);
            if (write(fds[1], fault.data(), fault.size()) < 0)
                _exit(2);
            _exit(0);
        }
        close(fds[1]);
        char buf[256];
        ssize_t n = read(fds[0], buf, sizeof buf);
        close(fds[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << c.name << " crashed";
        EXPECT_EQ("", std::string(buf, n > 0 ? n : 0)) << c.name;
    }
}
