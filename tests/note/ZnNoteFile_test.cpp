// The file form of notes: every kind written, read and written again in
// ASCII and binary, copies through memory buffers and their pastes,
// saving over the file the data is delayed-read from, which files a note
// removes when it goes, and bad input.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <Glosspin/ZnImageNote.h>
#include <Glosspin/ZnInventorNote.h>
#include <Glosspin/ZnMovieNote.h>
#include <Glosspin/ZnSoundNote.h>
#include <Glosspin/ZnSystemNote.h>
#include <Glosspin/ZnTextNote.h>
#include <Glosspin/ZnURLNote.h>
#include <Glosspin/ZnViewNote.h>
#include <Inventor/nodes/SoCube.h>

#include "field/FieldTestUtil.h"
#include "support/Scenes.h"

using namespace FieldTest;

namespace {

bool exists(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// The note's media bytes, wherever they are.
std::string dataOf(ZnNote *note)
{
    if (note->isDataExternal())
        return TempDir::readFile(note->filename.getValue().getString());
    if (note->getTempDataFileName().getLength() == 0) {
        if (!note->checkFilename() || !note->copyDataToExternalFile(NULL))
            return "<extraction failed>";
    }
    return TempDir::readFile(note->getTempDataFileName().getString());
}

template <class T> T *nth(SoSeparator *root, int i = 0)
{
    for (int k = 0; root && k < root->getNumChildren(); k++)
        if (root->getChild(k)->isOfType(T::getClassTypeId()) && i-- == 0)
            return (T *)root->getChild(k);
    return NULL;
}

class NoteFileTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        init();
        ZnNote::tmpDirName = "";
        ZnNote::newNotesInline = 1;
        SoSFDelayedData::supportDelayedReading = 0;
        setenv("USER", "author1", 1);
    }
    void TearDown() override { SoSFDelayedData::supportDelayedReading = 0; }

    // A scene with a note of every kind: inline media from raw files,
    // one external movie, and the kinds without media data.
    SoSeparator *everyKind()
    {
        SoSeparator *root = new SoSeparator;
        root->ref();
        TempDir::writeFile(tmp.file("image.raw"), pattern(4097));
        ZnImageNote *image = new ZnImageNote;
        image->setDataFilename(tmp.file("image.raw").c_str(), 0);
        TempDir::writeFile(tmp.file("sound.raw"), pattern(10));
        ZnSoundNote *sound = new ZnSoundNote;
        sound->setDataFilename(tmp.file("sound.raw").c_str(), 0);
        TempDir::writeFile(tmp.file("user.mv"), pattern(333));
        ZnMovieNote *movie = new ZnMovieNote;
        movie->setDataExternal(1);
        movie->setDataFilename(tmp.file("user.mv").c_str(), 0);
        TempDir::writeFile(tmp.file("scene.raw"), "#Inventor V2.1 ascii\n\nCube {}\n");
        ZnInventorNote *scene = new ZnInventorNote;
        scene->setDataFilename(tmp.file("scene.raw").c_str(), 0);
        ZnTextNote *text = new ZnTextNote;
        text->setFieldFromString(std::string(2500, 'x').c_str());
        ZnURLNote *url = new ZnURLNote;
        url->url = "http://example.org/a b";
        ZnSystemNote *sys = new ZnSystemNote;
        sys->command = "echo \"hi\"";
        ZnViewNote *view = new ZnViewNote;
        view->position = SbVec3f(1, 2, 3);
        view->isPerspectiveCamera = FALSE;
        for (ZnNote *n : std::initializer_list<ZnNote *>{image, sound, movie, scene, text, url,
                                                         sys, view})
            root->addChild(n);
        return root;
    }

    TempDir tmp;
};

}

TEST_F(NoteFileTest, EveryKindRoundTripsInAsciiAndBinary)
{
    for (bool binary : {false, true})
        for (int delayed : {0, 1}) {
            SoSFDelayedData::supportDelayedReading = delayed;
            SoSeparator *root = everyKind();
            std::string first = tmp.file(binary ? "a.bin" : "a.iv");
            std::string second = tmp.file(binary ? "b.bin" : "b.iv");
            writeScene(root, first, binary);
            root->unref();

            SoSeparator *read = readScene(first);
            ASSERT_TRUE(read) << readErrors();
            ASSERT_EQ(8, read->getNumChildren());
            EXPECT_EQ(pattern(4097), dataOf(nth<ZnImageNote>(read)));
            EXPECT_EQ(pattern(10), dataOf(nth<ZnSoundNote>(read)));
            EXPECT_TRUE(nth<ZnMovieNote>(read)->isDataExternal());
            EXPECT_EQ(pattern(333), dataOf(nth<ZnMovieNote>(read)));
            ZnTextNote *text = nth<ZnTextNote>(read);
            ASSERT_EQ(3, text->textData.getNum());
            EXPECT_EQ(454, text->textData[2].getLength());
            EXPECT_EQ(SbString("echo \"hi\""), nth<ZnSystemNote>(read)->command.getValue());
            EXPECT_EQ(SbVec3f(1, 2, 3), nth<ZnViewNote>(read)->position.getValue());
            EXPECT_STREQ("for duration of view change (2.0 sec)",
                         nth<ZnViewNote>(read)->getDurationMsg());
            EXPECT_EQ(SbString("author1"), nth<ZnURLNote>(read)->author.getValue());

            writeScene(read, second, binary);
            // Loaded text ends in a newline, which the next save keeps.
            text->loadFromField();
            EXPECT_EQ(std::string(2500, 'x') + "\n", text->getText().getString());
            read->unref();

            EXPECT_EQ(TempDir::readFile(first), TempDir::readFile(second))
                << (binary ? "binary" : "ascii") << " delayed " << delayed;
        }
    // Through a memory buffer, as copy and paste do.
    SoSeparator *root = everyKind();
    SoSeparator *pasted = readBuffer(GspTest::writeToBuffer(root));
    ASSERT_TRUE(pasted) << readErrors();
    EXPECT_EQ(pattern(4097), dataOf(nth<ZnImageNote>(pasted)));
    EXPECT_EQ(pattern(10), dataOf(nth<ZnSoundNote>(pasted)));
    EXPECT_EQ(pattern(333), dataOf(nth<ZnMovieNote>(pasted)));
    EXPECT_EQ("#Inventor V2.1 ascii\n\nCube {}\n", dataOf(nth<ZnInventorNote>(pasted)));
    EXPECT_EQ(3, nth<ZnTextNote>(pasted)->textData.getNum());
    EXPECT_EQ(SbString("http://example.org/a b"), nth<ZnURLNote>(pasted)->url.getValue());
    EXPECT_EQ(SbString("echo \"hi\""), nth<ZnSystemNote>(pasted)->command.getValue());
    EXPECT_FALSE(nth<ZnViewNote>(pasted)->isPerspectiveCamera.getValue());
    pasted->unref();
    EXPECT_EQ(pattern(4097), dataOf(nth<ZnImageNote>(root)));
    root->unref();

    // Cache files and temporary data files are gone with the notes.
    for (const std::string &e : tmp.entries())
        EXPECT_TRUE(e.find("gsp_") == std::string::npos) << e;
}

TEST_F(NoteFileTest, EmptyNoteWritesNoDataAndBinaryNotesEndInAZeroWord)
{
    SoSeparator *root = new SoSeparator;
    root->ref();
    root->addChild(new ZnImageNote);
    root->addChild(new SoCube);
    std::string text = GspTest::writeToBuffer(root);
    EXPECT_EQ(std::string::npos, text.find("mediaData")) << text;

    writeScene(root, tmp.file("two.bin"), true);
    root->unref();
    // The note's word 0 is consumed: the cube still reads as the next
    // child.
    SoSeparator *read = readScene(tmp.file("two.bin"));
    ASSERT_TRUE(read) << readErrors();
    ASSERT_EQ(2, read->getNumChildren());
    EXPECT_TRUE(read->getChild(1)->isOfType(SoCube::getClassTypeId()));
    EXPECT_TRUE(nth<ZnImageNote>(read)->mediaData.isDefault());
    read->unref();
}

TEST_F(NoteFileTest, CopyThroughABufferCarriesAFileAndPastesInline)
{
    SoSeparator *root = new SoSeparator;
    root->ref();
    TempDir::writeFile(tmp.file("pic.raw"), pattern(99));
    ZnImageNote *image = new ZnImageNote;
    image->setDataFilename(tmp.file("pic.raw").c_str(), 0);
    root->addChild(image);
    writeScene(root, tmp.file("s.iv"), false);
    root->unref();

    // A note read with delayed reading holds its bytes only in the scene
    // file; copying materialises them.
    SoSFDelayedData::supportDelayedReading = 1;
    SoSeparator *read = readScene(tmp.file("s.iv"));
    ASSERT_TRUE(read);
    ZnImageNote *original = nth<ZnImageNote>(read);
    std::string copy = GspTest::writeToBuffer(read);
    EXPECT_NE(std::string::npos, copy.find("preferInline\tTRUE")) << copy;
    EXPECT_NE(std::string::npos, copy.find("filename\t\"" + tmp.path() + "/gsp_note")) << copy;
    EXPECT_EQ(std::string::npos, copy.find("mediaData"));
    EXPECT_FALSE(original->isDataExternal());
    EXPECT_FALSE(original->preferInline.getValue());
    EXPECT_EQ(0, original->filename.getValue().getLength());

    SoSeparator *pasted = readBuffer(copy);
    ASSERT_TRUE(pasted) << readErrors();
    ZnImageNote *paste = nth<ZnImageNote>(pasted);
    EXPECT_FALSE(paste->isDataExternal());
    EXPECT_FALSE(paste->preferInline.getValue());
    EXPECT_NE(original->getTempDataFileName(), paste->getTempDataFileName());
    std::string pasteFile = paste->getTempDataFileName().getString();
    EXPECT_EQ(pattern(99), dataOf(paste));
    pasted->unref();
    EXPECT_FALSE(exists(pasteFile));
    EXPECT_EQ(pattern(99), dataOf(original));
    read->unref();

    // A copy that cannot make its file leaves that note out, the rest of
    // the copy intact, and the original as it was.
    SoSFDelayedData::supportDelayedReading = 1;
    read = readScene(tmp.file("s.iv"));
    ASSERT_TRUE(read);
    read->addChild(new ZnTextNote);
    read->addChild(new SoCube);
    ZnNote::tmpDirName = "/nonexistent/dir";
    for (bool binary : {false, true}) {
        testing::internal::CaptureStderr();
        pasted = readBuffer(GspTest::writeToBuffer(read, binary));
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(std::string::npos, err.find("Cannot copy the note")) << err;
        ASSERT_TRUE(pasted) << readErrors() << binary;
        EXPECT_EQ(2, pasted->getNumChildren()) << binary;
        EXPECT_TRUE(nth<ZnTextNote>(pasted)) << binary;
        EXPECT_TRUE(nth<SoCube>(pasted)) << binary;
        EXPECT_FALSE(nth<ZnImageNote>(pasted)) << binary;
        pasted->unref();
    }
    ZnNote::tmpDirName = "";
    original = nth<ZnImageNote>(read);
    EXPECT_FALSE(original->isDataExternal());
    EXPECT_FALSE(original->preferInline.getValue());
    writeScene(read, tmp.file("after.iv"), false);
    read->unref();
    SoSFDelayedData::supportDelayedReading = 0;
    read = readScene(tmp.file("after.iv"));
    ASSERT_TRUE(read);
    EXPECT_EQ(pattern(99), dataOf(nth<ZnImageNote>(read)));
    read->unref();
}

TEST_F(NoteFileTest, PastedExternalNotesShareImportedFilesAndCopyOwnedOnes)
{
    char cwd[PATH_MAX];
    ASSERT_TRUE(getcwd(cwd, sizeof cwd));
    ASSERT_EQ(0, chdir(tmp.path().c_str()));
    TempDir::writeFile(tmp.file("user.mv"), pattern(50));
    SoSeparator *root = new SoSeparator;
    root->ref();
    ZnMovieNote *imported = new ZnMovieNote;
    imported->setDataExternal(1);
    imported->setDataFilename("user.mv", 0);
    root->addChild(imported);
    ZnMovieNote *owned = new ZnMovieNote;
    owned->setDataExternal(1);
    TempDir::writeFile(tmp.file("made.mv"), pattern(60));
    owned->setDataFilename("made.mv", 1);
    owned->wasImported = FALSE;
    root->addChild(owned);

    std::string copy = GspTest::writeToBuffer(root);
    EXPECT_NE(std::string::npos, copy.find(tmp.path() + "/user.mv")) << copy;
    EXPECT_EQ(SbString("user.mv"), imported->filename.getValue());  // relative again
    SoSeparator *pasted = readBuffer(copy);
    ASSERT_TRUE(pasted) << readErrors();
    EXPECT_EQ(SbString("user.mv"), nth<ZnMovieNote>(pasted, 0)->filename.getValue());
    ZnMovieNote *second = nth<ZnMovieNote>(pasted, 1);
    std::string secondFile = second->filename.getValue().getString();
    EXPECT_NE("made.mv", secondFile);
    EXPECT_EQ(pattern(60), dataOf(second));
    pasted->unref();
    EXPECT_TRUE(exists(tmp.file("user.mv")));
    EXPECT_FALSE(exists(secondFile));  // the paste's own copy, never saved
    root->unref();
    EXPECT_FALSE(exists(tmp.file("made.mv")));
    EXPECT_TRUE(exists(tmp.file("user.mv")));
    chdir(cwd);
}

// Writes root over path without truncating it first, as a save in place
// does: the old bytes stay readable until they are overwritten.
static void writeInPlace(SoNode *root, const std::string &path, bool binary)
{
    FILE *fp = fopen(path.c_str(), "r+");
    ASSERT_TRUE(fp);
    SoOutput out;
    out.setBinary(binary);
    out.setFilePointer(fp);
    SoWriteAction wa(&out);
    wa.apply(root);
    fflush(fp);
    ASSERT_EQ(0, ftruncate(fileno(fp), ftell(fp)));
    fclose(fp);
}

TEST_F(NoteFileTest, SavingOverTheDelayedReadSourceKeepsTheData)
{
    for (bool binary : {false, true}) {
        SoSeparator *root = everyKind();
        std::string path = tmp.file("same");
        writeScene(root, path, binary);
        root->unref();
        SoSFDelayedData::supportDelayedReading = 1;
        SoSeparator *read = readScene(path);
        ASSERT_TRUE(read);
        writeInPlace(read, path, binary);
        EXPECT_EQ(pattern(4097), dataOf(nth<ZnImageNote>(read)));
        read->unref();
        SoSFDelayedData::supportDelayedReading = 0;
        read = readScene(path);
        ASSERT_TRUE(read) << readErrors();
        EXPECT_EQ(pattern(4097), dataOf(nth<ZnImageNote>(read)));
        EXPECT_EQ(pattern(10), dataOf(nth<ZnSoundNote>(read)));
        read->unref();
    }

    // A writer that empties the file before the notes see it: the data is
    // gone, which is reported instead of faulting.
    SoSeparator *root = everyKind();
    writeScene(root, tmp.file("same"), false);
    root->unref();
    SoSFDelayedData::supportDelayedReading = 1;
    SoSeparator *read = readScene(tmp.file("same"));
    ASSERT_TRUE(read);
    testing::internal::CaptureStderr();
    writeScene(read, tmp.file("same"), false);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, err.find("Cannot save the note's data")) << err;
    read->unref();
}

TEST_F(NoteFileTest, SavedExternalFilesOutliveTheirNotes)
{
    ZnNote::newNotesInline = 0;
    // A private temporary file moves to a prefixed name when it is saved.
    ZnImageNote *temporary = new ZnImageNote;
    temporary->ref();
    ASSERT_EQ(1, temporary->checkFilename());
    std::string tempFile = temporary->filename.getValue().getString();
    EXPECT_EQ(0u, tempFile.find(tmp.file("gsp_note")));
    TempDir::writeFile(tempFile, pattern(30));
    ZnNote::setExternalFilePrefix((tmp.path() + "/kept").c_str());
    writeScene(temporary, tmp.file("t.iv"), false);
    EXPECT_EQ(SbString(tmp.file("kept.0.rgb").c_str()), temporary->filename.getValue());
    EXPECT_NE(std::string::npos, TempDir::readFile(tmp.file("t.iv")).find("kept.0.rgb"));
    EXPECT_FALSE(exists(tempFile));
    temporary->unref();
    EXPECT_EQ(pattern(30), TempDir::readFile(tmp.file("kept.0.rgb")));

    ZnNote::setExternalFilePrefix((tmp.path() + "/scene").c_str());
    TempDir::writeFile(tmp.file("pic.raw"), pattern(20));
    SoSeparator *root = new SoSeparator;
    root->ref();
    ZnImageNote *saved = new ZnImageNote;
    ASSERT_EQ(1, saved->checkFilename());
    std::string savedFile = saved->filename.getValue().getString();
    EXPECT_EQ(tmp.file("scene.0.rgb"), savedFile);
    TempDir::writeFile(savedFile, pattern(20));
    root->addChild(saved);
    ZnImageNote *unsaved = new ZnImageNote;
    unsaved->ref();
    ASSERT_EQ(1, unsaved->checkFilename());
    std::string unsavedFile = unsaved->filename.getValue().getString();
    TempDir::writeFile(unsavedFile, pattern(20));
    writeScene(root, tmp.file("s.iv"), false);
    root->unref();
    unsaved->unref();
    EXPECT_TRUE(exists(savedFile));
    EXPECT_FALSE(exists(unsavedFile));
    ZnNote::setExternalFilePrefix("");
}

TEST_F(NoteFileTest, TextNotesCutTheirTextAndKeepExternalTextInAFile)
{
    ZnTextNote *note = new ZnTextNote;
    note->ref();
    note->setFieldFromString(std::string(1022, 'a').c_str());
    EXPECT_EQ(1, note->textData.getNum());
    note->setFieldFromString(std::string(1023, 'b').c_str());
    ASSERT_EQ(1, note->textData.getNum());
    EXPECT_EQ(1023, note->textData[0].getLength());
    note->setFieldFromString(std::string(2046, 'c').c_str());
    EXPECT_EQ(2, note->textData.getNum());

    // Moving the text out writes it to the file; the scene then holds one
    // empty string.
    note->loadFromString("line one\nline two\n");
    ASSERT_EQ(1, note->makeDataExternal(tmp.file("words.txt").c_str(), 1));
    EXPECT_EQ("line one\nline two\n", TempDir::readFile(tmp.file("words.txt")));
    SoSeparator *root = new SoSeparator;
    root->ref();
    root->addChild(note);
    std::string text = GspTest::writeToBuffer(root);
    EXPECT_NE(std::string::npos, text.find("textData\t\"\"")) << text;
    writeScene(root, tmp.file("t.iv"), false);
    root->unref();
    note->unref();
    SoSeparator *read = readScene(tmp.file("t.iv"));
    ASSERT_TRUE(read);
    ZnTextNote *back = nth<ZnTextNote>(read);
    ASSERT_EQ(1, back->updateLocalData());
    EXPECT_EQ(SbString("line one\nline two\n"), back->getText());
    read->unref();
    EXPECT_TRUE(exists(tmp.file("words.txt")));  // saved with the scene
}

TEST_F(NoteFileTest, MovesToExternalFilesCopyImportedOnesAndCrossFileSystems)
{
    TempDir::writeFile(tmp.file("user.rgb"), pattern(77));
    ZnImageNote *note = new ZnImageNote;
    note->ref();
    note->setDataExternal(1);
    note->setDataFilename(tmp.file("user.rgb").c_str(), 0);
    ASSERT_EQ(1, note->makeDataExternal(tmp.file("mine.rgb").c_str(), 1));
    EXPECT_EQ(pattern(77), TempDir::readFile(tmp.file("mine.rgb")));
    EXPECT_EQ(pattern(77), TempDir::readFile(tmp.file("user.rgb")));
    EXPECT_FALSE(note->wasImported.getValue());

    // A delayed-read note handed a file of the user's: moving it out
    // copies that file, not the bytes the scene file holds.
    SoSeparator *scene = new SoSeparator;
    scene->ref();
    TempDir::writeFile(tmp.file("first.raw"), pattern(99));
    ZnImageNote *first = new ZnImageNote;
    first->setDataFilename(tmp.file("first.raw").c_str(), 0);
    scene->addChild(first);
    writeScene(scene, tmp.file("d.iv"), true);
    scene->unref();
    SoSFDelayedData::supportDelayedReading = 1;
    SoSeparator *read = readScene(tmp.file("d.iv"));
    ASSERT_TRUE(read);
    TempDir::writeFile(tmp.file("given.rgb"), std::string(40, 'g'));
    nth<ZnImageNote>(read)->setDataFilename(tmp.file("given.rgb").c_str(), 0);
    ASSERT_EQ(1, nth<ZnImageNote>(read)->makeDataExternal(tmp.file("out.rgb").c_str(), 1));
    EXPECT_EQ(std::string(40, 'g'), TempDir::readFile(tmp.file("out.rgb")));
    read->unref();

    // The library's own file is renamed.
    ASSERT_EQ(1, note->makeDataExternal(tmp.file("moved.rgb").c_str(), 1));
    EXPECT_FALSE(exists(tmp.file("mine.rgb")));
    EXPECT_EQ(pattern(77), TempDir::readFile(tmp.file("moved.rgb")));

    // A vanished file is reported and the old name kept.
    unlink(tmp.file("moved.rgb").c_str());
    testing::internal::CaptureStderr();
    EXPECT_EQ(0, note->makeDataExternal(tmp.file("again.rgb").c_str(), 1));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, err.find("does not exist")) << err;
    EXPECT_EQ(SbString(tmp.file("moved.rgb").c_str()), note->filename.getValue());
    TempDir::writeFile(tmp.file("moved.rgb"), pattern(77));

    // Another file system, when the machine has one at hand.
    struct stat here, shm;
    if (stat("/dev/shm", &shm) != 0 || stat(tmp.path().c_str(), &here) != 0 ||
        shm.st_dev == here.st_dev || access("/dev/shm", W_OK) != 0) {
        note->unref();
        GTEST_SKIP() << "no second writable file system (/dev/shm) to rename across";
    }
    std::string far = "/dev/shm/gsp_note_test_" + std::to_string(getpid()) + ".rgb";
    ASSERT_EQ(1, note->makeDataExternal(far.c_str(), 1));
    EXPECT_EQ(pattern(77), TempDir::readFile(far));
    EXPECT_FALSE(exists(tmp.file("moved.rgb")));
    note->unref();
    EXPECT_FALSE(exists(far));
}

TEST_F(NoteFileTest, BadInputFailsTheReadOrReportsWhenTheDataIsNeeded)
{
    // A missing external file: the note reads and reports when used.
    std::string missing = std::string("#Inventor V2.1 ascii\n\nSeparator { ZnMovieNote { "
                                      "filename \"") + tmp.file("gone.mv") + "\" } }\n";
    SoSeparator *read = readBuffer(missing);
    ASSERT_TRUE(read) << readErrors();
    ZnMovieNote *movie = nth<ZnMovieNote>(read);
    ASSERT_TRUE(movie);
    testing::internal::CaptureStderr();
    EXPECT_EQ(0, movie->checkDataFile(1));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, err.find("cannot be read")) << err;
    read->unref();

    // A note cut inside its data fails the read and leaves no cache file.
    SoSeparator *root = new SoSeparator;
    root->ref();
    TempDir::writeFile(tmp.file("pic.raw"), pattern(5000));
    ZnImageNote *image = new ZnImageNote;
    image->setDataFilename(tmp.file("pic.raw").c_str(), 0);
    root->addChild(image);
    writeScene(root, tmp.file("one.iv"), false);
    writeScene(root, tmp.file("one.bin"), true);
    root->unref();
    std::vector<std::string> before = tmp.entries();
    for (const char *name : {"one.iv", "one.bin"}) {
        std::string bytes = TempDir::readFile(tmp.file(name));
        for (size_t cut : {bytes.size() / 3, bytes.size() / 2, bytes.size() * 9 / 10}) {
            TempDir::writeFile(tmp.file("cut"), bytes.substr(0, cut));
            SoSeparator *bad = readScene(tmp.file("cut"));
            EXPECT_EQ(NULL, bad) << name << " cut at " << cut;
            if (bad)
                bad->unref();
        }
        // A corrupted word in the block.
        std::string corrupt = bytes;
        size_t at = corrupt.find("0x", corrupt.find("mediaData") + 40);
        if (at != std::string::npos) {
            corrupt.replace(at, 4, "0xzz");
            TempDir::writeFile(tmp.file("cut"), corrupt);
            EXPECT_EQ(NULL, readScene(tmp.file("cut"))) << name;
        }
    }
    std::vector<std::string> after = tmp.entries();
    after.erase(std::remove(after.begin(), after.end(), "cut"), after.end());
    EXPECT_EQ(before, after);

    // Whole notes before the cut are kept by nobody once the read fails;
    // their private files go when the program ends.
    root = everyKind();
    writeScene(root, tmp.file("full.iv"), false);
    root->unref();
    std::string bytes = TempDir::readFile(tmp.file("full.iv"));
    TempDir::writeFile(tmp.file("cut"), bytes.substr(0, bytes.size() - 30));
    before = tmp.entries();
    // A note of this process, alive while the child exits: its file stays.
    TempDir::writeFile(tmp.file("mine.raw"), "x");
    ZnImageNote *mine = new ZnImageNote;
    mine->ref();
    mine->setDataFilename(tmp.file("mine.raw").c_str(), 1);
    before.push_back("mine.raw");
    std::sort(before.begin(), before.end());
    pid_t child = fork();
    if (child == 0) {
        SoSeparator *bad = readScene(tmp.file("cut"));
        exit(bad == NULL ? 0 : 1);
    }
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(before, tmp.entries());
    mine->unref();
}

// A copy that fails part-way (the file size limit here) leaves the note
// as it was, its bytes intact, and no half-written target.
TEST_F(NoteFileTest, AFailedMoveToAnExternalFileChangesNothing)
{
    TempDir::writeFile(tmp.file("user.rgb"), pattern(8000));
    ZnImageNote *user = new ZnImageNote;  // the user's file, copied
    user->setDataFilename(tmp.file("user.rgb").c_str(), 0);
    SoSeparator *scene = new SoSeparator;
    scene->ref();
    scene->addChild(user);
    writeScene(scene, tmp.file("s.iv"), false);
    SoSFDelayedData::supportDelayedReading = 1;  // the bytes stay in s.iv
    SoSeparator *read = readScene(tmp.file("s.iv"));
    ASSERT_TRUE(read);
    for (ZnNote *note : {(ZnNote *)user, (ZnNote *)nth<ZnImageNote>(read)}) {
        SbString name = note->filename.getValue();
        struct rlimit old, small;
        getrlimit(RLIMIT_FSIZE, &old);
        small = old;
        small.rlim_cur = 1000;
        signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        testing::internal::CaptureStderr();
        int moved = note->makeDataExternal(tmp.file("out.rgb").c_str(), 1);
        setrlimit(RLIMIT_FSIZE, &old);
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(0, moved);
        EXPECT_NE(std::string::npos, err.find("out.rgb cannot be written")) << err;
        EXPECT_FALSE(exists(tmp.file("out.rgb")));
        EXPECT_EQ(name, note->filename.getValue());
        EXPECT_FALSE(note->isDataExternal());
        EXPECT_EQ(pattern(8000), dataOf(note));
    }
    signal(SIGXFSZ, SIG_DFL);
    read->unref();
    scene->unref();
}
