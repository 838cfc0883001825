// The scene tool on the shipped sample: the listing, extraction, format
// conversion, moving media in and out, and failures that leave nothing
// behind.
#include "support/Test.h"

#include "support/ModelFiles.h"

namespace {

struct ToolRun {
    int status;
    std::string out;
};

// Runs the tool in dir with the sample copied there.
ToolRun tool(const TempDir &dir, const std::string &args)
{
    ToolRun r;
    r.status = GspTest::run("cd '" + dir.path() + "' && DISPLAY= '" GLOSSPIN_SCENE_TOOL "' " +
                                args + " 2>&1",
                            r.out);
    return r;
}

class SceneToolTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        std::string cmd = "cp -r '" GLOSSPIN_SAMPLE_DIR "'/. '" + dir.path() + "'";
        ASSERT_EQ(0, system(cmd.c_str()));
    }
    TempDir dir;
};

}

TEST_F(SceneToolTest, InfoListsEveryKindWithItsDataLocation)
{
    for (const char *file : {"annotated.iv", "annotated-binary.iv"}) {
        ToolRun r = tool(dir, std::string("info ") + file);
        ASSERT_EQ(0, r.status) << r.out;
        EXPECT_NE(std::string::npos, r.out.find("9 notes")) << r.out;
        for (const char *kind : {"Text note", "URL note", "View note", "Movie note", "Sound note",
                                 "Image note", "System note", "Inventor note"})
            EXPECT_NE(std::string::npos, r.out.find(kind)) << kind;
        EXPECT_NE(std::string::npos, r.out.find("Image note Picture  author glosspin  "
                                                "2026-01-01"))
            << r.out;
        EXPECT_NE(std::string::npos, r.out.find("inline  5120 bytes")) << r.out;
        EXPECT_NE(std::string::npos, r.out.find("external media/tone.aifc  8124 bytes"));
        for (const char *shown : {"Tour: 1. \"Box\", 2. \"Spire\", 3. \"Extras\"",
                                  "command echo Hello from Glosspin", "address http"})
            EXPECT_NE(std::string::npos, r.out.find(shown)) << shown;
    }
}

TEST_F(SceneToolTest, ExtractAndConvertKeepTheBytes)
{
    ASSERT_EQ(0, tool(dir, "extract annotated.iv Movie m.y4m").status);
    ASSERT_EQ(0, tool(dir, "extract annotated-binary.iv 4 m2.y4m").status);
    std::string movie = TempDir::readFile(dir.file("m.y4m"));
    EXPECT_EQ(15460u, movie.size());
    EXPECT_EQ(0u, movie.find("YUV4MPEG2 W32 H32"));
    EXPECT_EQ(movie, TempDir::readFile(dir.file("m2.y4m")));
    ASSERT_EQ(0, tool(dir, "extract annotated.iv Readme r.txt").status);
    EXPECT_EQ(TempDir::readFile(dir.file("media/readme.txt")),
              TempDir::readFile(dir.file("r.txt")));
    ASSERT_EQ(0, tool(dir, "extract annotated-binary.iv Welcome w.txt").status);
    EXPECT_EQ("Welcome to the Glosspin sample scene.\n"
              "Every kind of note hangs on one of its markers.\n",
              TempDir::readFile(dir.file("w.txt")));

    // ASCII floats carry six digits, so binary copies made from ASCII and
    // from memory may differ in the last bit; their ASCII forms agree.
    // (Markers read from a file also write their kit's caching fields, so
    // read scenes are compared with read scenes.)
    ASSERT_EQ(0, tool(dir, "convert --ascii annotated.iv a.iv").status);
    ASSERT_EQ(0, tool(dir, "convert --binary annotated.iv c.bin").status);
    ASSERT_EQ(0, tool(dir, "convert --ascii c.bin c.iv").status);
    EXPECT_EQ(TempDir::readFile(dir.file("a.iv")), TempDir::readFile(dir.file("c.iv")));
    ASSERT_EQ(0, tool(dir, "convert --ascii annotated-binary.iv b.iv").status);
    EXPECT_EQ(TempDir::readFile(dir.file("a.iv")), TempDir::readFile(dir.file("b.iv")));

    // Written through a link, the file it names keeps its mode.
    TempDir::writeFile(dir.file("kept.iv"), "earlier");
    chmod(dir.file("kept.iv").c_str(), 0640);
    symlink("kept.iv", dir.file("link.iv").c_str());
    ASSERT_EQ(0, tool(dir, "convert --ascii annotated.iv link.iv").status);
    EXPECT_EQ(TempDir::readFile(dir.file("a.iv")), TempDir::readFile(dir.file("kept.iv")));
    struct stat st;
    EXPECT_TRUE(lstat(dir.file("link.iv").c_str(), &st) == 0 && S_ISLNK(st.st_mode));
    EXPECT_TRUE(stat(dir.file("kept.iv").c_str(), &st) == 0 && (st.st_mode & 0777) == 0640);
}

TEST_F(SceneToolTest, MediaMoveIntoTheFileAndOutToADirectory)
{
    ToolRun r = tool(dir, "inline annotated.iv all.iv");
    ASSERT_EQ(0, r.status) << r.out;
    r = tool(dir, "info all.iv");
    EXPECT_EQ(0, GspTest::occurrences(r.out, "external")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("Sound note Tone  author glosspin  2026-01-01 "
                                            "00:00:00  inline  8124 bytes"))
        << r.out;
    ASSERT_EQ(0, system(("mkdir '" + dir.file("out") + "'").c_str()));
    r = tool(dir, "external all.iv ext.iv out");
    ASSERT_EQ(0, r.status) << r.out;
    r = tool(dir, "info ext.iv");
    // Four media notes and two texts.
    EXPECT_EQ(6, GspTest::occurrences(r.out, "external out/note")) << r.out;
    ASSERT_EQ(0, tool(dir, "extract ext.iv Tone t.aifc").status);
    EXPECT_EQ(TempDir::readFile(dir.file("media/tone.aifc")),
              TempDir::readFile(dir.file("t.aifc")));
    // A binary scene stays binary both ways.
    ASSERT_EQ(0, tool(dir, "inline annotated-binary.iv b.iv").status);
    ASSERT_EQ(0, tool(dir, "external b.iv b-ext.iv out").status);
    for (const char *file : {"b.iv", "b-ext.iv"})
        EXPECT_EQ(0u, TempDir::readFile(dir.file(file)).find("#Inventor V2.1 binary")) << file;
}

// An imported model is a scene file that a program with the toolkit alone
// reads, textures and all, in either form.
TEST_F(SceneToolTest, ImportWritesASceneTheToolkitAloneReads)
{
    GspModels::copy(dir.path(), "tree.glb");
    ToolRun info = tool(dir, "info tree.glb");
    EXPECT_EQ(0, info.status);
    EXPECT_NE(std::string::npos, info.out.find("2 triangles, 1 texture")) << info.out;
    for (const char *form : {"", " --binary"}) {
        ASSERT_EQ(0, tool(dir, std::string("import tree.glb out.iv") + form).status) << form;
        std::string scene;
        ASSERT_EQ(0, GspTest::run(GLOSSPIN_PLAIN_READER " '" + dir.file("out.iv") + "'", scene));
        for (const char *part : {"DEF Parent", "DEF Quad", "Texture2", "IndexedFaceSet"})
            EXPECT_NE(std::string::npos, scene.find(part)) << form << ": " << part;
    }
}

TEST_F(SceneToolTest, FailuresExplainAndLeaveNoFiles)
{
    ASSERT_EQ(0, system(("mkdir '" + dir.file("adir") + "'").c_str()));
    TempDir::writeFile(dir.file("junk.glb"), "glTF, but not really");
    std::vector<std::string> before = dir.entries();
    struct Case {
        const char *args, *message;
    } cases[] = {
        {"convert --ascii annotated.iv adir", "cannot write adir"},
        {"convert --ascii annotated.iv nodir/x.iv", "cannot write nodir/x.iv"},
        {"convert --text annotated.iv x.iv", "usage:"},
        {"info missing.iv", "cannot read missing.iv"},
        {"extract annotated.iv Link x", "a URL note has no media data"},
        {"extract annotated.iv 99 x", "no note 99"},
        {"external annotated.iv x.iv nodir", "nodir is not a directory"},
        {"external annotated.iv x.iv annotated.iv", "annotated.iv is not a directory"},
        {"import junk.glb x.iv", "cannot import junk.glb: "},
        {"import annotated.iv x.iv", "cannot import annotated.iv: "},
    };
    for (const Case &c : cases) {
        ToolRun r = tool(dir, c.args);
        EXPECT_NE(0, r.status) << c.args;
        EXPECT_NE(std::string::npos, r.out.find(c.message)) << c.args << ": " << r.out;
    }
    TempDir::writeFile(dir.file("broken.iv"),
                       TempDir::readFile(dir.file("annotated.iv")).substr(0, 3000));
    ToolRun r = tool(dir, "convert --binary broken.iv x.bin");
    EXPECT_NE(0, r.status);
    EXPECT_NE(std::string::npos, r.out.find("cannot read broken.iv")) << r.out;
    std::vector<std::string> after = dir.entries();
    after.erase(std::remove(after.begin(), after.end(), "broken.iv"), after.end());
    EXPECT_EQ(before, after);
}

// Saving and extracting onto a failing file system: the tool says so, the
// file it would have replaced keeps its earlier bytes, and nothing new is
// left beside it.
TEST_F(SceneToolTest, AFailingFileSystemKeepsTheEarlierFile)
{
    for (int fault : {FailingDir::FULL_DISK, FailingDir::SIZE_LIMIT, FailingDir::READ_ONLY}) {
        FailingDir disk(dir.path(), (FailingDir::Fault)fault);
        if (!disk.available())
            continue;  // no small file system of its own here
        for (const char *args : {"convert --ascii annotated.iv disk/x.iv",
                                 "convert --binary annotated.iv disk/x.iv",
                                 "extract annotated.iv Movie disk/x.iv"}) {
            SCOPED_TRACE(std::string(FailingDir::names[fault]) + ": " + args);
            TempDir::writeFile(disk.file("x.iv"), "earlier");
            ASSERT_TRUE(disk.fail());
            std::vector<std::string> before = TempDir::entriesOf(disk.path());
            ToolRun r = tool(dir, args);
            EXPECT_EQ(before, TempDir::entriesOf(disk.path()));
            disk.heal();
            EXPECT_NE(0, r.status);
            EXPECT_NE(std::string::npos, r.out.find("disk/x.iv")) << r.out;
            EXPECT_EQ("earlier", TempDir::readFile(disk.file("x.iv")));
        }
    }
}
