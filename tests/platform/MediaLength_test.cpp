// Movie and sound lengths from files the tests make and from notes whose
// media sit inline in ASCII and binary scenes (measured in place), what
// bad media give, and the audio input probes.
#include "support/Test.h"

#include <audiofile.h>

#include "field/FieldTestUtil.h"
#include "fuzz/Fuzzers.h"
#include "platform/MediaLength.h"

using namespace FieldTest;

namespace {

// A YUV4MPEG movie of 16 x 16 frames.
std::string movieBytes(int frames, int rate)
{
    std::string s = "YUV4MPEG2 W16 H16 F" + std::to_string(rate) + ":1 Ip A1:1 C420jpeg\n";
    for (int i = 0; i < frames; i++)
        s += "FRAME\n" + std::string(16 * 16 * 3 / 2, (char)(i * 7));
    return s;
}

// An AIFF-C sound of 16-bit mono frames.
std::string soundBytes(const TempDir &tmp, int frames, double rate)
{
    std::string path = tmp.file("made.aifc");
    AFfilesetup setup = afNewFileSetup();
    afInitFileFormat(setup, AF_FILE_AIFFC);
    afInitChannels(setup, AF_DEFAULT_TRACK, 1);
    afInitRate(setup, AF_DEFAULT_TRACK, rate);
    afInitSampleFormat(setup, AF_DEFAULT_TRACK, AF_SAMPFMT_TWOSCOMP, 16);
    AFfilehandle f = afOpenFile(path.c_str(), "w", setup);
    std::vector<short> samples((size_t)frames, 100);
    afWriteFrames(f, AF_DEFAULT_TRACK, samples.data(), frames);
    afCloseFile(f);
    afFreeFileSetup(setup);
    return TempDir::readFile(path);
}

class MediaLengthTest : public ::testing::Test {
  protected:
    void SetUp() override { init(); }
    void TearDown() override { SoSFDelayedData::supportDelayedReading = 0; }
    TempDir tmp;
};

}

TEST_F(MediaLengthTest, FilesAndBytesInMemory)
{
    std::string movie = movieBytes(150, 15), sound = soundBytes(tmp, 22050, 11025);
    struct {
        const char *what;
        std::string bytes;
        double movie, sound;
    } cases[] = {
        {"movie", movie, 10.0, 0},
        {"sound", sound, 0, 2.0},  // a movie without video
        {"truncated movie", movie.substr(0, 30), -1, 0},
        {"text", "just some words, not media\n", 0, 0},
        {"nothing", "", 0, 0},
    };
    for (auto &c : cases) {
        std::string path = tmp.file("media.mv");
        TempDir::writeFile(path, c.bytes);
        EXPECT_NEAR(c.movie, GspMediaLength::movie(path.c_str()), 0.01) << c.what;
        EXPECT_NEAR(c.sound, GspMediaLength::sound(path.c_str()), 0.01) << c.what;
        EXPECT_NEAR(c.movie, GspMediaLength::movie(c.bytes.data(), c.bytes.size()), 0.01)
            << c.what;
        EXPECT_NEAR(c.sound, GspMediaLength::sound(c.bytes.data(), c.bytes.size()), 0.01)
            << c.what;
    }
}

// Inline in a scene read with delayed reading, a binary block is measured
// where it lies in the scene file and an ASCII one through the note's
// data file.
TEST_F(MediaLengthTest, NotesMeasureTheirMediaWhereverTheyAre)
{
    TempDir::writeFile(tmp.file("m.mv"), movieBytes(150, 15));
    TempDir::writeFile(tmp.file("s.aifc"), soundBytes(tmp, 22050, 11025));
    ZnNote::newNotesInline = 1;
    Held<SoSeparator> root(new SoSeparator);
    ZnNote *notes[2] = {new ZnMovieNote, new ZnSoundNote};
    notes[0]->setDataFilename(tmp.file("m.mv").c_str(), 0);
    notes[1]->setDataFilename(tmp.file("s.aifc").c_str(), 0);
    for (ZnNote *n : notes) {
        root->addChild(n);
        n->findMediaLength();
    }
    EXPECT_STREQ("for duration of movie (10.0 sec)", notes[0]->getDurationMsg());
    for (bool binary : {true, false}) {
        std::string path = tmp.file(binary ? "scene.bin" : "scene.iv");
        writeScene(root, path, binary);
        SoSFDelayedData::supportDelayedReading = 1;
        Held<SoSeparator> read(readScene(path));
        ASSERT_TRUE(read) << readErrors();
        double expected[] = {10.0, 2.0};
        for (int i = 0; i < 2; i++) {
            ZnNote *n = (ZnNote *)read->getChild(i);
            n->findMediaLength();
            EXPECT_NEAR(expected[i], n->mediaLength, 0.01) << binary << i;
            // Measured in place: no data file was needed.
            EXPECT_EQ(binary, n->getDataFilename() == NULL) << binary << i;
        }
    }
}

// With a capture device (ALSA's null device here) the sound note may
// record, and a recording at 11025 Hz gets that rate.
TEST_F(MediaLengthTest, TheAudioInputIsProbed)
{
    if (!getenv("ALSA_CONFIG_PATH"))
        GTEST_SKIP() << "run through ctest, which points ALSA at a null device";
    EXPECT_EQ(1, ZnSoundNote::hasAudioHW);
    EXPECT_EQ(11025, GetAudioHardwareInputRate());
    EXPECT_EQ(0, AudioInputHardwareInUse());
}

// Every input the length fuzzer kept (seeds and past findings) measures
// safely.
TEST(MediaLengthFuzzCorpus, EveryKeptInputMeasuresSafely)
{
    replayCorpus(GLOSSPIN_MEDIA_FUZZ_CORPUS, &fuzzMediaLength);
}
