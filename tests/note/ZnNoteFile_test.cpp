// The file form of notes: every kind written, read and written again,
// copies through memory and their pastes, saves over the delayed-read
// source, the files a note leaves or removes, and bad input.
#include "support/Test.h"

#include "field/FieldTestUtil.h"

#include <Inventor/sensors/SoSensorManager.h>

using namespace FieldTest;

namespace {

typedef Held<SoSeparator> Scene;

class NoteFileTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        init();
        ZnNote::newNotesInline = 1;
        SoSFDelayedData::supportDelayedReading = 0;
        setenv("USER", "author1", 1);
    }
    void TearDown() override { SoSFDelayedData::supportDelayedReading = 0; }

    template <class T> T *withData(const std::string &name, const std::string &bytes)
    {
        TempDir::writeFile(tmp.file(name), bytes);
        T *note = new T;
        note->setDataFilename(tmp.file(name).c_str(), 0);
        return note;
    }
    static SoSeparator *scene(std::initializer_list<SoNode *> nodes)
    {
        SoSeparator *root = new SoSeparator;
        for (SoNode *n : nodes)
            root->addChild(n);
        return root;
    }
    // A note of every kind: inline media, one external movie, and the
    // kinds without media data.
    SoSeparator *everyKind()
    {
        ZnMovieNote *movie = new ZnMovieNote;
        movie->setDataExternal(1);
        TempDir::writeFile(tmp.file("user.mv"), pattern(333));
        movie->setDataFilename(tmp.file("user.mv").c_str(), 0);
        ZnTextNote *text = new ZnTextNote;
        text->setFieldFromString(std::string(2500, 'x').c_str());
        ZnURLNote *url = new ZnURLNote;
        url->url = "http://example.org/a b";
        ZnSystemNote *sys = new ZnSystemNote;
        sys->command = "echo \"hi\"";
        ZnViewNote *view = new ZnViewNote;
        view->position = SbVec3f(1, 2, 3);
        view->isPerspectiveCamera = FALSE;
        return scene({withData<ZnImageNote>("image.raw", pattern(4097)),
                      withData<ZnSoundNote>("sound.raw", pattern(10)), movie,
                      withData<ZnInventorNote>("scene.raw", "#Inventor V2.1 ascii\n\nCube {}\n"),
                      text, url, sys, view});
    }
    // A one-image scene saved to path, read back with delayed reading.
    SoSeparator *delayedImage(const std::string &path, size_t size, bool binary = false)
    {
        Scene root(scene({withData<ZnImageNote>("pic.raw", pattern(size))}));
        writeScene(root, path, binary);
        SoSFDelayedData::supportDelayedReading = 1;
        return readScene(path);
    }

    TempDir tmp;
};

}

TEST_F(NoteFileTest, EveryKindRoundTripsInAsciiAndBinary)
{
    auto expectEveryKind = [](SoSeparator *s) {
        EXPECT_EQ(pattern(4097), dataOf(nth<ZnImageNote>(s)));
        EXPECT_EQ(pattern(10), dataOf(nth<ZnSoundNote>(s)));
        EXPECT_TRUE(nth<ZnMovieNote>(s)->isDataExternal());
        EXPECT_EQ(pattern(333), dataOf(nth<ZnMovieNote>(s)));
        EXPECT_EQ("#Inventor V2.1 ascii\n\nCube {}\n", dataOf(nth<ZnInventorNote>(s)));
        EXPECT_EQ(SbString("echo \"hi\""), nth<ZnSystemNote>(s)->command.getValue());
        EXPECT_EQ(SbVec3f(1, 2, 3), nth<ZnViewNote>(s)->position.getValue());
        EXPECT_FALSE(nth<ZnViewNote>(s)->isPerspectiveCamera.getValue());
        EXPECT_EQ(SbString("http://example.org/a b"), nth<ZnURLNote>(s)->url.getValue());
        EXPECT_EQ(SbString("author1"), nth<ZnURLNote>(s)->author.getValue());
    };
    for (bool binary : {false, true})
        for (int delayed : {0, 1}) {
            SCOPED_TRACE(::testing::Message() << "binary " << binary << " delayed " << delayed);
            SoSFDelayedData::supportDelayedReading = delayed;
            std::string first = tmp.file("a"), second = tmp.file("b");
            writeScene(Scene(everyKind()), first, binary);
            Scene read(readScene(first));
            ASSERT_TRUE(read) << readErrors();
            ASSERT_EQ(8, read->getNumChildren());
            expectEveryKind(read);
            ZnTextNote *text = nth<ZnTextNote>(read);
            ASSERT_EQ(3, text->textData.getNum());
            EXPECT_EQ(454, text->textData[2].getLength());

            writeScene(read, second, binary);
            // Loaded text ends in a newline, which the next save keeps.
            text->loadFromField();
            EXPECT_EQ(std::string(2500, 'x') + "\n", text->getText().getString());
            EXPECT_EQ(TempDir::readFile(first), TempDir::readFile(second));
        }
    {
        // Through a memory buffer, as copy and paste do.
        Scene root(everyKind());
        Scene pasted(readFromBuffer(GspTest::writeToBuffer(root)));
        ASSERT_TRUE(pasted) << readErrors();
        expectEveryKind(pasted);
        EXPECT_EQ(pattern(4097), dataOf(nth<ZnImageNote>(root)));
    }
    // Cache files and temporary data files are gone with the notes.
    for (const std::string &e : tmp.entries())
        EXPECT_TRUE(e.find("gsp_") == std::string::npos) << e;

    // An empty note writes no data; in binary its zero word is consumed
    // and the next child still reads.
    Scene root(scene({new ZnImageNote, new SoCube}));
    EXPECT_EQ(std::string::npos, GspTest::writeToBuffer(root).find("mediaData"));
    Scene back(readFromBuffer(GspTest::writeToBuffer(root, true)));
    ASSERT_TRUE(back) << readErrors();
    ASSERT_EQ(2, back->getNumChildren());
    EXPECT_TRUE(back->getChild(1)->isOfType(SoCube::getClassTypeId()));
}

TEST_F(NoteFileTest, CopyThroughABufferCarriesAFileAndPastesInline)
{
    // A delayed-read note holds its bytes only in the scene file; a copy
    // materialises them in a file of its own.
    Scene read(delayedImage(tmp.file("s.iv"), 99));
    ASSERT_TRUE(read);
    ZnImageNote *original = nth<ZnImageNote>(read);
    std::string copy = GspTest::writeToBuffer(read);
    EXPECT_NE(std::string::npos, copy.find("preferInline\tTRUE")) << copy;
    EXPECT_NE(std::string::npos, copy.find("filename\t\"" + tmp.path() + "/gsp_note")) << copy;
    EXPECT_EQ(std::string::npos, copy.find("mediaData"));
    EXPECT_FALSE(original->isDataExternal());
    EXPECT_EQ(0, original->filename.getValue().getLength());

    Scene pasted(readFromBuffer(copy));
    ASSERT_TRUE(pasted) << readErrors();
    ZnImageNote *paste = nth<ZnImageNote>(pasted);
    EXPECT_FALSE(paste->isDataExternal());
    std::string pasteFile = paste->getTempDataFileName().getString();
    EXPECT_NE(original->getTempDataFileName().getString(), pasteFile);
    EXPECT_EQ(pattern(99), dataOf(paste));
    pasted = NULL;
    EXPECT_FALSE(TempDir::exists(pasteFile));

    // A copy that cannot make its file leaves that note out, the rest of
    // the copy intact, and the original as it was.
    read = delayedImage(tmp.file("s.iv"), 99);
    ASSERT_TRUE(read);
    read->addChild(new ZnTextNote);
    read->addChild(new SoCube);
    ZnNote::tmpDirName = "/nonexistent/dir";
    for (bool binary : {false, true}) {
        std::string err =
            stderrOf([&] { pasted = readFromBuffer(GspTest::writeToBuffer(read, binary)); });
        EXPECT_NE(std::string::npos, err.find("Cannot copy the note")) << err;
        ASSERT_TRUE(pasted) << readErrors() << binary;
        EXPECT_EQ(2, pasted->getNumChildren()) << binary;
        EXPECT_FALSE(nth<ZnImageNote>(pasted)) << binary;
    }
    ZnNote::tmpDirName = "";
    EXPECT_FALSE(nth<ZnImageNote>(read)->preferInline.getValue());
    writeScene(read, tmp.file("after.iv"), false);
    read = NULL;
    SoSFDelayedData::supportDelayedReading = 0;
    read = readScene(tmp.file("after.iv"));
    ASSERT_TRUE(read);
    EXPECT_EQ(pattern(99), dataOf(nth<ZnImageNote>(read)));
}

TEST_F(NoteFileTest, PastedExternalNotesShareImportedFilesAndCopyOwnedOnes)
{
    char cwd[PATH_MAX];
    ASSERT_TRUE(getcwd(cwd, sizeof cwd));
    ASSERT_EQ(0, chdir(tmp.path().c_str()));
    ZnMovieNote *imported = new ZnMovieNote, *owned = new ZnMovieNote;
    imported->setDataExternal(1);
    owned->setDataExternal(1);
    TempDir::writeFile(tmp.file("user.mv"), pattern(50));
    imported->setDataFilename("user.mv", 0);
    TempDir::writeFile(tmp.file("made.mv"), pattern(60));
    owned->setDataFilename("made.mv", 1);
    owned->wasImported = FALSE;
    Scene root(scene({imported, owned}));

    std::string copy = GspTest::writeToBuffer(root);
    EXPECT_NE(std::string::npos, copy.find(tmp.path() + "/user.mv")) << copy;
    EXPECT_EQ(SbString("user.mv"), imported->filename.getValue());  // relative again
    Scene pasted(readFromBuffer(copy));
    ASSERT_TRUE(pasted) << readErrors();
    EXPECT_EQ(SbString("user.mv"), nth<ZnMovieNote>(pasted, 0)->filename.getValue());
    std::string secondFile = nth<ZnMovieNote>(pasted, 1)->filename.getValue().getString();
    EXPECT_NE("made.mv", secondFile);
    EXPECT_EQ(pattern(60), dataOf(nth<ZnMovieNote>(pasted, 1)));
    pasted = NULL;
    EXPECT_FALSE(TempDir::exists(secondFile));  // the paste's own copy, never saved
    root = NULL;
    EXPECT_FALSE(TempDir::exists(tmp.file("made.mv")));
    EXPECT_TRUE(TempDir::exists(tmp.file("user.mv")));
    chdir(cwd);
}

TEST_F(NoteFileTest, SavingOverTheDelayedReadSourceKeepsTheData)
{
    for (bool binary : {false, true}) {
        // Written without truncating first, as a save in place does: old
        // bytes stay readable until they are overwritten.
        Scene read(delayedImage(tmp.file("same"), 4097, binary));
        ASSERT_TRUE(read);
        FILE *fp = fopen(tmp.file("same").c_str(), "r+");
        SoOutput out;
        out.setBinary(binary);
        out.setFilePointer(fp);
        SoWriteAction(&out).apply(read);
        fflush(fp);
        ASSERT_EQ(0, ftruncate(fileno(fp), ftell(fp)));
        fclose(fp);
        read = NULL;
        SoSFDelayedData::supportDelayedReading = 0;
        read = readScene(tmp.file("same"));
        ASSERT_TRUE(read) << readErrors();
        EXPECT_EQ(pattern(4097), dataOf(nth<ZnImageNote>(read)));
    }
    // A writer that empties the file before the notes see it: the loss
    // is reported instead of faulting.
    Scene read(delayedImage(tmp.file("same"), 4097));
    ASSERT_TRUE(read);
    std::string err = stderrOf([&] { writeScene(read, tmp.file("same"), false); });
    EXPECT_NE(std::string::npos, err.find("Cannot save the note's data")) << err;
}

TEST_F(NoteFileTest, SavedExternalFilesOutliveTheirNotes)
{
    ZnNote::newNotesInline = 0;
    // A private temporary file moves to a prefixed name when it is saved.
    Held<ZnImageNote> temporary(new ZnImageNote);
    ASSERT_EQ(1, temporary->checkFilename());
    std::string tempFile = temporary->filename.getValue().getString();
    TempDir::writeFile(tempFile, pattern(30));
    ZnNote::setExternalFilePrefix((tmp.path() + "/kept").c_str());
    writeScene(temporary, tmp.file("t.iv"), false);
    EXPECT_NE(std::string::npos, TempDir::readFile(tmp.file("t.iv")).find("kept.0.rgb"));
    EXPECT_FALSE(TempDir::exists(tempFile));
    temporary = NULL;
    EXPECT_EQ(pattern(30), TempDir::readFile(tmp.file("kept.0.rgb")));

    // Of two prefixed notes, the one saved keeps its file.
    ZnNote::setExternalFilePrefix((tmp.path() + "/scene").c_str());
    ZnImageNote *saved = new ZnImageNote;
    Held<ZnImageNote> unsaved(new ZnImageNote);
    ASSERT_EQ(1, saved->checkFilename());
    ASSERT_EQ(1, unsaved->checkFilename());
    std::string savedFile = saved->filename.getValue().getString();
    std::string unsavedFile = unsaved->filename.getValue().getString();
    EXPECT_EQ(tmp.file("scene.0.rgb"), savedFile);
    TempDir::writeFile(savedFile, pattern(20));
    TempDir::writeFile(unsavedFile, pattern(20));
    writeScene(Scene(scene({saved})), tmp.file("s.iv"), false);
    unsaved = NULL;
    EXPECT_TRUE(TempDir::exists(savedFile));
    EXPECT_FALSE(TempDir::exists(unsavedFile));
    ZnNote::setExternalFilePrefix("");
}

TEST_F(NoteFileTest, MovesToExternalFilesCopyImportedOnesAndCrossFileSystems)
{
    Held<ZnImageNote> note(new ZnImageNote);
    note->setDataExternal(1);
    TempDir::writeFile(tmp.file("user.rgb"), pattern(77));
    note->setDataFilename(tmp.file("user.rgb").c_str(), 0);
    ASSERT_EQ(1, note->makeDataExternal(tmp.file("mine.rgb").c_str(), 1));
    EXPECT_EQ(pattern(77), TempDir::readFile(tmp.file("mine.rgb")));
    EXPECT_EQ(pattern(77), TempDir::readFile(tmp.file("user.rgb")));

    // A delayed-read note handed a file of the user's: moving it out
    // copies that file, not the bytes the scene file holds.
    {
        Scene read(delayedImage(tmp.file("d.iv"), 99, true));
        ASSERT_TRUE(read);
        TempDir::writeFile(tmp.file("given.rgb"), std::string(40, 'g'));
        nth<ZnImageNote>(read)->setDataFilename(tmp.file("given.rgb").c_str(), 0);
        ASSERT_EQ(1, nth<ZnImageNote>(read)->makeDataExternal(tmp.file("out.rgb").c_str(), 1));
        EXPECT_EQ(std::string(40, 'g'), TempDir::readFile(tmp.file("out.rgb")));
    }

    // The library's own file is renamed.
    ASSERT_EQ(1, note->makeDataExternal(tmp.file("moved.rgb").c_str(), 1));
    EXPECT_FALSE(TempDir::exists(tmp.file("mine.rgb")));
    EXPECT_EQ(pattern(77), TempDir::readFile(tmp.file("moved.rgb")));

    // A vanished file is reported and the old name kept.
    unlink(tmp.file("moved.rgb").c_str());
    std::string err = stderrOf(
        [&] { EXPECT_EQ(0, note->makeDataExternal(tmp.file("again.rgb").c_str(), 1)); });
    EXPECT_NE(std::string::npos, err.find("does not exist")) << err;
    EXPECT_EQ(SbString(tmp.file("moved.rgb").c_str()), note->filename.getValue());
    TempDir::writeFile(tmp.file("moved.rgb"), pattern(77));

    // Another file system, when the machine has one at hand.
    struct stat here, shm;
    if (stat("/dev/shm", &shm) != 0 || stat(tmp.path().c_str(), &here) != 0 ||
        shm.st_dev == here.st_dev || access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no second writable file system (/dev/shm) to rename across";
    std::string far = "/dev/shm/gsp_note_test_" + std::to_string(getpid()) + ".rgb";
    ASSERT_EQ(1, note->makeDataExternal(far.c_str(), 1));
    EXPECT_EQ(pattern(77), TempDir::readFile(far));
    EXPECT_FALSE(TempDir::exists(tmp.file("moved.rgb")));
    note = NULL;
    EXPECT_FALSE(TempDir::exists(far));
}

TEST_F(NoteFileTest, BadInputFailsTheReadOrReportsWhenTheDataIsNeeded)
{
    {
        // A missing external file: the note reads and reports when used.
        Scene read(GspTest::readText("Separator { ZnMovieNote { filename \"" +
                                     tmp.file("gone.mv") + "\" } }\n"));
        ASSERT_TRUE(read) << readErrors();
        std::string err =
            stderrOf([&] { EXPECT_EQ(0, nth<ZnMovieNote>(read)->checkDataFile(1)); });
        EXPECT_NE(std::string::npos, err.find("cannot be read")) << err;
    }

    // A note cut inside its data, or with a corrupt word, fails the read
    // and leaves no cache file.
    {
        Scene root(scene({withData<ZnImageNote>("pic.raw", pattern(5000))}));
        writeScene(root, tmp.file("one.iv"), false);
        writeScene(root, tmp.file("one.bin"), true);
    }
    std::vector<std::string> before = tmp.entries();
    for (const char *name : {"one.iv", "one.bin"}) {
        std::string bytes = TempDir::readFile(tmp.file(name));
        std::vector<std::string> bad;
        for (size_t cut : {bytes.size() / 3, bytes.size() / 2, bytes.size() * 9 / 10})
            bad.push_back(bytes.substr(0, cut));
        size_t at = bytes.find("0x", bytes.find("mediaData") + 40);
        if (at != std::string::npos)
            bad.push_back(std::string(bytes).replace(at, 4, "0xzz"));
        for (const std::string &b : bad) {
            TempDir::writeFile(tmp.file("cut"), b);
            Scene r(readScene(tmp.file("cut")));
            EXPECT_EQ(NULL, (SoSeparator *)r) << name << " " << b.size();
        }
    }
    std::vector<std::string> after = tmp.entries();
    after.erase(std::remove(after.begin(), after.end(), "cut"), after.end());
    EXPECT_EQ(before, after);

}

// The toolkit keeps the nodes of a failed read: once the read has
// returned, what their blocks made (cache files, kept-open files) goes,
// even with the marker's path to its object holding the root; a scene
// someone holds keeps all of it.
TEST_F(NoteFileTest, AFailedReadLeavesNothingOfTheBlocksItRead)
{
    // Two arrow markers on the cube, the first with two image notes; a cut
    // after the third block leaves the first marker whole, its path held.
    ZnArrowMarker *markers[2] = {new ZnArrowMarker, new ZnArrowMarker};
    for (int i = 0; i < 3; i++)
        ((ZnNoteList *)markers[i / 2]->getPart("notes", TRUE))
            ->addChild(withData<ZnImageNote>("pic" + std::to_string(i), pattern(3000 + i)));
    {
        Scene root(scene({new SoCube, markers[0], markers[1], new SoCone}));
        Held<SoPath> path(new SoPath(root));
        path->append(0);
        markers[0]->setPathToObject(path);
        markers[1]->setPathToObject(path);
        writeScene(root, tmp.file("tour.iv"), false);
    }
    std::string bytes = TempDir::readFile(tmp.file("tour.iv"));
    std::vector<size_t> blockEnds;
    for (size_t at = bytes.find("mediaData\t["); at != std::string::npos;
         at = bytes.find("mediaData\t[", at + 1))
        blockEnds.push_back(bytes.find(']', at) + 1);
    ASSERT_EQ(3u, blockEnds.size());
    SoSensorManager *sensors = SoDB::getSensorManager();

    for (int delayed : {0, 1}) {
        SoSFDelayedData::supportDelayedReading = delayed;
        int fds = GspTest::openDescriptors();
        for (size_t blocks = 1; blocks <= 3; blocks++) {
            TempDir::writeFile(tmp.file("cut.iv"), bytes.substr(0, blockEnds[blocks - 1] + 1));
            std::vector<std::string> files = tmp.entries();
            EXPECT_EQ(NULL, readScene(tmp.file("cut.iv")));
            sensors->processDelayQueue(FALSE);
            EXPECT_EQ(files, tmp.entries()) << "delayed " << delayed << ", " << blocks;
            EXPECT_EQ(fds, GspTest::openDescriptors()) << "delayed " << delayed << ", " << blocks;
        }
        Scene whole(readScene(tmp.file("tour.iv")));
        ASSERT_TRUE(whole) << readErrors();
        sensors->processDelayQueue(FALSE);
        for (int i = 0; i < 3; i++) {
            SoGroup *read = (SoGroup *)nth<ZnArrowMarker>(whole, i / 2)->getPart("notes", FALSE);
            EXPECT_EQ(pattern(3000 + i), dataOf(nth<ZnImageNote>(read, i % 2))) << delayed;
        }
    }
}

// Every way a note writes a file, with the file system failing under it:
// each fails with its message, leaves the user's earlier file and the
// note as they were, and leaves nothing new in the directory.
TEST_F(NoteFileTest, FailingFileSystemsLeaveUsersFilesAndNotesAsTheyWere)
{
    const std::string bytes = pattern(20000), earlier = "earlier";
    Scene root(scene({withData<ZnImageNote>("user.rgb", bytes)}));
    writeScene(root, tmp.file("s.iv"), false);
    Scene read;
    std::string copy;
    auto readImage = [&] {
        SoSFDelayedData::supportDelayedReading = 1;  // the bytes stay in s.iv
        read = readScene(tmp.file("s.iv"));
        return nth<ZnImageNote>(read);
    };
    auto intact = [&] { return read && dataOf(nth<ZnImageNote>(read)) == bytes; };
    ZnTextNote *text = new ZnTextNote;
    Held<ZnTextNote> keep(text);
    text->setDataExternal(1);

    struct Op {
        const char *name, *file;  // file: the user's, there before
        std::function<void(const FailingDir &)> prepare;
        std::function<bool(const FailingDir &)> fails;
        std::function<bool()> intact;
        std::string message;
    } ops[] = {
        {"external", "out.rgb", [&](const FailingDir &) { readImage(); },
         [&](const FailingDir &d) {
             ZnImageNote *image = nth<ZnImageNote>(read);
             return !image->makeDataExternal(d.file("out.rgb").c_str(), 1) &&
                    !image->isDataExternal() && image->filename.getValue().getLength() == 0;
         },
         intact, "out.rgb cannot be written"},
        {"paste", NULL,
         [&](const FailingDir &) {
             readImage();
             copy = GspTest::writeToBuffer(read);
         },
         [&](const FailingDir &d) {
             ZnNote::tmpDirName = d.path().c_str();
             bool failed = !Scene(readFromBuffer(copy));
             ZnNote::tmpDirName = "";
             return failed;
         },
         intact, ZnCommon::getResource("cannotCopyNoteMsg")},
        {"cache", NULL, [&](const FailingDir &) { SoSFDelayedData::supportDelayedReading = 0; },
         [&](const FailingDir &d) {
             setenv("TMPDIR", d.path().c_str(), 1);
             bool failed = !Scene(readScene(tmp.file("s.iv")));
             setenv("TMPDIR", tmp.path().c_str(), 1);
             return failed;
         },
         [] { return true; }, "temporary"},
        {"text", "t.txt",
         [&](const FailingDir &d) {
             text->setDataFilename(d.file("t.txt").c_str(), 0);
             text->loadFromString(std::string(20000, 't').c_str());
         },
         [&](const FailingDir &) { return !text->blastDataToExternalFile(); },
         [&] { return text->updateLocalData(); }, "t.txt cannot be written"},
    };
    for (int fault : {FailingDir::FULL_DISK, FailingDir::SIZE_LIMIT, FailingDir::READ_ONLY}) {
        FailingDir dir(tmp.path(), (FailingDir::Fault)fault);
        if (!dir.available())
            continue;  // no small file system of its own here
        for (const Op &op : ops) {
            SCOPED_TRACE(std::string(FailingDir::names[fault]) + ", " + op.name);
            if (op.file)
                TempDir::writeFile(dir.file(op.file), earlier);
            op.prepare(dir);
            ASSERT_TRUE(dir.fail());
            std::vector<std::string> before = TempDir::entriesOf(dir.path());
            bool failed = false;
            std::string err = stderrOf([&] { failed = op.fails(dir); });
            EXPECT_EQ(before, TempDir::entriesOf(dir.path()));
            dir.heal();
            EXPECT_TRUE(failed) << err;
            err += readErrors();
            EXPECT_NE(std::string::npos, err.find(op.message)) << err;
            EXPECT_TRUE(op.intact());
            if (op.file) {
                EXPECT_EQ(earlier, TempDir::readFile(dir.file(op.file)));
            }
            read = NULL;
            readErrors().clear();
        }
    }
}
