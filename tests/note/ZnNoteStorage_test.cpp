// Where a note keeps its data: defaults of a new note, file names built
// for temporary and prefixed data files, relative names, copies that
// leave no old bytes, destruction that removes only unsaved files, and
// the clean-up of cache files left by dead processes.
#include "support/Test.h"

#include <limits.h>

#include <Inventor/fields/SoFieldData.h>

namespace {

// The smallest concrete note whose media lives in mediaData.
class StoredNote : public ZnNote {
    SO_NODE_HEADER(StoredNote);

  public:
    static void initClass() { SO_NODE_INIT_CLASS(StoredNote, ZnNote, "ZnNote"); }
    StoredNote() { SO_NODE_CONSTRUCTOR(StoredNote); }
    int gatherPendingData(int) override { return 0; }
    int getUndoWeight() override { return 1; }
    const char *getFileSuffix() override { return ".dat"; }
    int usingMediaData() override { return TRUE; }
    const SoFieldData *fields() const { return getFieldData(); }
    int &fileIsTemp() { return dataFileIsTemp; }
    int &deleteOnDestroy() { return deleteDataFileOnDestroy; }

  private:
    ~StoredNote() override {}
};
SO_NODE_SOURCE(StoredNote);

class NoteStorageTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        SoDB::init();
        SoSFDelayedData::initClass();
        if (ZnNote::getClassTypeId() == SoType::badType()) {
            ZnNote::initClass();
            StoredNote::initClass();
        }
        ZnNote::tmpDirName = "";
        ZnNote::setExternalFilePrefix("");
        ZnNote::newNotesInline = 1;
        getcwd(oldCwd, sizeof oldCwd);
    }
    void TearDown() override
    {
        chdir(oldCwd);
        ZnNote::tmpDirName = "";
    }
    char oldCwd[PATH_MAX];
    TempDir tmp;
};

}

TEST_F(NoteStorageTest, UniqueNamesTempDirectoryAndPrefixes)
{
    // Taken names are passed over, a dangling symbolic link's too.
    char name[PATH_MAX];
    TempDir::writeFile(tmp.file("gsp_note0.dat"), "x");
    chdir(tmp.path().c_str());
    struct {
        const char *dir;
        std::string want;
    } names[] = {{tmp.path().c_str(), tmp.file("gsp_note1.dat")}, {"", "gsp_note1.dat"},
                 {NULL, "gsp_note2.dat"}};
    for (auto &n : names) {
        if (!n.dir)
            symlink("/nonexistent/target", "gsp_note1.dat");
        ASSERT_EQ(1, ZnNote::buildUniqueFilename(n.dir, "gsp_note", ".dat", name));
        EXPECT_EQ(n.want, name);
    }

    // TMPDIR is taken without its trailing slash, and remembered.
    setenv("TMPDIR", (tmp.path() + "//").c_str(), 1);
    EXPECT_EQ(tmp.path(), ZnNote::getTempDirName());
    setenv("TMPDIR", tmp.file("gsp_note0.dat").c_str(), 1);
    EXPECT_EQ(tmp.path(), ZnNote::getTempDirName());
    ZnNote::tmpDirName = "";
    EXPECT_STREQ("/var/tmp", ZnNote::getTempDirName());  // a plain file is no directory

    ZnNote::setExternalFilePrefix("scene");
    GspTest::Held<StoredNote> note(new StoredNote);
    note->setDataExternal(1);
    ASSERT_EQ(1, note->checkFilename());
    EXPECT_EQ(SbString("scene.0.dat"), note->filename.getValue());
    EXPECT_EQ(0, note->fileIsTemp());
    ZnNote::setExternalFilePrefix("");
}

// Fresh data files are created when they are named: two notes never get
// one name, and a planted link is never written through.
TEST_F(NoteStorageTest, FreshDataFilesAreClaimedWhenNamed)
{
    TempDir::writeFile(tmp.file("victim"), "keep");
    symlink(tmp.file("victim").c_str(), tmp.file("gsp_note0.dat").c_str());
    GspTest::Held<StoredNote> a(new StoredNote), b(new StoredNote);
    ASSERT_EQ(1, a->checkFilename());
    ASSERT_EQ(1, b->checkFilename());
    std::string na = a->getTempDataFileName().getString();
    std::string nb = b->getTempDataFileName().getString();
    EXPECT_EQ(tmp.file("gsp_note1.dat"), na);
    EXPECT_EQ(tmp.file("gsp_note2.dat"), nb);
    struct stat st;
    ASSERT_EQ(0, lstat(na.c_str(), &st));
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(0600u, st.st_mode & 0777);
    TempDir::writeFile(tmp.file("src"), "new bytes");
    ASSERT_EQ(1, a->makeCopyOfNoteDataFile(tmp.file("src").c_str(), na.c_str()));
    EXPECT_EQ("keep", TempDir::readFile(tmp.file("victim")));
    a = NULL;
    b = NULL;
    EXPECT_FALSE(TempDir::exists(na));
    EXPECT_FALSE(TempDir::exists(nb));
}

TEST_F(NoteStorageTest, RelativeAndFullNames)
{
    mkdir(tmp.file("media").c_str(), 0700);
    chdir(tmp.path().c_str());
    GspTest::Held<StoredNote> note(new StoredNote);
    note->fileIsTemp() = 0;
    SbString rel;
    char canon[PATH_MAX];
    realpath("/usr/include/..", canon);
    struct {
        std::string in, out;
    } names[] = {{tmp.path() + "/media/../media/a.dat", "media/a.dat"},
                 {"media/b.dat", "media/b.dat"},
                 {"/usr/include/../c.dat", std::string(canon) + "/c.dat"},
                 {"/no/such/dir/c.dat", ""}};
    for (auto &n : names) {
        note->makeNameRelative(rel, n.in.c_str());
        EXPECT_EQ(n.out, rel.getString()) << n.in;
    }
    // A directory whose name only begins like the current one is not below it.
    mkdir(tmp.file("media2").c_str(), 0700);
    chdir(tmp.file("media").c_str());
    note->makeNameRelative(rel, "../media2/d.dat");
    realpath(tmp.path().c_str(), canon);
    EXPECT_EQ(std::string(canon) + "/media2/d.dat", rel.getString());
    chdir(tmp.path().c_str());
    note->fileIsTemp() = 1;
    rel = "unchanged";
    note->makeNameRelative(rel, "media/b.dat");
    EXPECT_EQ(SbString("unchanged"), rel);

    SbString full;
    note->setDataExternal(1);
    for (const char *f : {"media/a.dat", "/abs/a.dat"}) {
        note->filename = f;
        note->makeNameFullPath(full, "/base");
        EXPECT_EQ(std::string(f[0] == '/' ? "" : "/base/") + f, full.getString());
    }
    note->deleteOnDestroy() = 0;
}

TEST_F(NoteStorageTest, SwitchingPlacesCopiesAndDestruction)
{
    GspTest::Held<StoredNote> note(new StoredNote);
    ASSERT_EQ(1, note->checkFilename());  // a fresh temporary data file
    std::string temp = note->getTempDataFileName().getString();
    EXPECT_EQ(0u, temp.find(tmp.path() + "/gsp_note"));

    // Copies replace the destination's bytes entirely.
    TempDir::writeFile(tmp.file("src"), "short");
    TempDir::writeFile(temp, "much longer old content");
    ASSERT_EQ(1, note->makeCopyOfNoteDataFile(tmp.file("src").c_str(), temp.c_str()));
    EXPECT_EQ("short", TempDir::readFile(temp));
    EXPECT_EQ(0, note->makeCopyOfNoteDataFile(tmp.file("missing").c_str(), temp.c_str()));
    EXPECT_EQ(1, note->checkDataFile(0));

    // To external (the caller names the file) and back: the file name
    // becomes the temporary data file again.
    note->setDataExternal(1);
    EXPECT_TRUE(note->mediaData.isDefault());
    note->filename = temp.c_str();
    note->makeDataInline();
    EXPECT_EQ(SbString(temp.c_str()), note->getTempDataFileName());
    EXPECT_FALSE(note->mediaData.isDefault());
    note = NULL;
    EXPECT_FALSE(TempDir::exists(temp));

    // A file the note does not own stays.
    note = new StoredNote;
    note->setDataFilename(tmp.file("src").c_str(), 0);
    EXPECT_EQ(1, note->checkDataFile(1));
    note = NULL;
    EXPECT_TRUE(TempDir::exists(tmp.file("src")));
}

TEST_F(NoteStorageTest, CleanUpRemovesOnlyDeadProcessesRegularFiles)
{
    pid_t child = fork();
    if (child == 0)
        _exit(0);
    int status;
    waitpid(child, &status, 0);  // now a process id nobody uses
    std::string dead = tmp.file("_gsp_" + std::to_string(child) + "_0");
    std::string mine = tmp.file("_gsp_" + std::to_string(getpid()) + "_0");
    std::string link = tmp.file("_gsp_" + std::to_string(child) + "_link");
    std::string other = tmp.file("gsp_" + std::to_string(child) + "_0");
    TempDir::writeFile(dead, "a");
    TempDir::writeFile(mine, "b");
    TempDir::writeFile(other, "c");
    symlink(other.c_str(), link.c_str());
    EXPECT_TRUE(ZnNote::cleanUpWorkProc(NULL));
    EXPECT_FALSE(TempDir::exists(dead));
    EXPECT_TRUE(TempDir::exists(mine));
    EXPECT_TRUE(TempDir::exists(other));
    EXPECT_TRUE(TempDir::exists(link));
}
