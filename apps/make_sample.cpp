// Builds the sample annotated scene: a cube and a cone with arrow markers
// pointing at them and a bullet marker above them, carrying a note of
// every kind, inline and external media, in ASCII and binary copies. All media are made here: an
// SGI image, an AIFF-C tone, a YUV4MPEG movie, a small scene and texts.
//
//   gsp_make_sample OUTDIR
//
// OUTDIR receives annotated.iv, annotated-binary.iv and media/ with the
// external files; names in the scenes are relative to OUTDIR.
#include <Glosspin/ZnArrow.h>
#include <Glosspin/ZnArrowMarker.h>
#include <Glosspin/ZnBulletMarker.h>
#include <Glosspin/ZnMarkerSequencer.h>
#include <Glosspin/ZnImageNote.h>
#include <Glosspin/ZnInit.h>
#include <Glosspin/ZnInventorNote.h>
#include <Glosspin/ZnMovieNote.h>
#include <Glosspin/ZnNoteList.h>
#include <Glosspin/ZnSoundNote.h>
#include <Glosspin/ZnSystemNote.h>
#include <Glosspin/ZnTextNote.h>
#include <Glosspin/ZnURLNote.h>
#include <Glosspin/ZnViewNote.h>
#include <Inventor/SoDB.h>
#include <Inventor/SoOutput.h>
#include <Inventor/SoPath.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/nodes/SoCone.h>
#include <Inventor/nodes/SoCube.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoPerspectiveCamera.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTransform.h>
#include <audiofile.h>

#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

// A fixed time, so that the sample does not change from run to run.
const double SAMPLE_TIME = 1767225600.0;  // 2026-01-01 00:00 UTC

bool writeBytes(const std::string &path, const std::vector<unsigned char> &bytes)
{
    FILE *fp = fopen(path.c_str(), "wb");
    if (!fp)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), fp) == bytes.size();
    return fclose(fp) == 0 && ok;
}

void put16(std::vector<unsigned char> &b, size_t at, unsigned v)
{
    b[at] = (unsigned char)(v >> 8);
    b[at + 1] = (unsigned char)v;
}

void put32(std::vector<unsigned char> &b, size_t at, uint32_t v)
{
    put16(b, at, v >> 16);
    put16(b, at + 2, v & 0xffff);
}

// An uncompressed SGI image: a colour ramp with a diagonal stripe.
bool makeImage(const std::string &path, int w, int h)
{
    std::vector<unsigned char> b(512 + (size_t)(w * h * 3), 0);
    put16(b, 0, 474);  // magic
    b[2] = 0;          // verbatim
    b[3] = 1;          // one byte per channel
    put16(b, 4, 3);
    put16(b, 6, (unsigned)w);
    put16(b, 8, (unsigned)h);
    put16(b, 10, 3);
    put32(b, 12, 0);
    put32(b, 16, 255);
    snprintf((char *)&b[24], 80, "Glosspin sample");
    for (int c = 0; c < 3; c++)
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                int v = c == 0 ? x * 255 / (w - 1) : c == 1 ? y * 255 / (h - 1) : 128;
                if (abs(x - y) < 2)
                    v = 255;
                b[512 + (size_t)(c * w * h + y * w + x)] = (unsigned char)v;
            }
    return writeBytes(path, b);
}

// Half a second of a 440 Hz tone, 16-bit mono at 8 kHz, as AIFF-C.
bool makeTone(const std::string &path)
{
    AFfilesetup setup = afNewFileSetup();
    // Plain AIFF: the AIFF-C writer leaves its COMM chunk unpadded, which
    // sox and ffmpeg then cannot read past.
    afInitFileFormat(setup, AF_FILE_AIFF);
    afInitChannels(setup, AF_DEFAULT_TRACK, 1);
    afInitRate(setup, AF_DEFAULT_TRACK, 8000);
    afInitSampleFormat(setup, AF_DEFAULT_TRACK, AF_SAMPFMT_TWOSCOMP, 16);
    AFfilehandle file = afOpenFile(path.c_str(), "w", setup);
    afFreeFileSetup(setup);
    if (file == AF_NULL_FILEHANDLE)
        return false;
    std::vector<int16_t> samples(4000);
    for (size_t i = 0; i < samples.size(); i++)
        samples[i] = (int16_t)(8000 * sin(2 * M_PI * 440 * (double)i / 8000));
    bool ok = afWriteFrames(file, AF_DEFAULT_TRACK, samples.data(), (int)samples.size()) ==
              (int)samples.size();
    return afCloseFile(file) == 0 && ok;
}

// Ten frames of a square crossing a 32 x 32 picture, at 5 frames a second.
bool makeMovie(const std::string &path)
{
    const int w = 32, h = 32;
    std::string head = "YUV4MPEG2 W32 H32 F5:1 Ip A1:1 C420jpeg\n";
    std::vector<unsigned char> b(head.begin(), head.end());
    for (int f = 0; f < 10; f++) {
        const char frame[] = "FRAME\n";
        b.insert(b.end(), frame, frame + 6);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                b.push_back(x >= f * 3 && x < f * 3 + 8 && y >= 12 && y < 20 ? 235 : 32);
        b.insert(b.end(), (size_t)(w * h / 2), 128);
    }
    return writeBytes(path, b);
}

bool makeText(const std::string &path, const std::string &text)
{
    return writeBytes(path, std::vector<unsigned char>(text.begin(), text.end()));
}

template <class T> T *stamped(T *note, const char *name)
{
    note->author = "glosspin";
    note->timestamp = SbTime(SAMPLE_TIME);
    note->setName(name);
    return note;
}

// An object of the sample: a shape in its own colour under its own
// transform, named so that a user can find it.
SoSeparator *addObject(SoSeparator *root, const char *name, SoNode *shape, const SbVec3f &at,
                       const SbColor &colour)
{
    SoSeparator *obj = new SoSeparator;
    obj->setName(name);
    SoTransform *xf = new SoTransform;
    xf->translation = at;
    obj->addChild(xf);
    SoMaterial *material = new SoMaterial;
    material->diffuseColor = colour;
    obj->addChild(material);
    obj->addChild(shape);
    root->addChild(obj);
    return obj;
}

// An arrow marker whose tip stands at tip, pointing at the shape of obj.
ZnArrowMarker *pointAt(SoSeparator *root, SoSeparator *obj, const SbVec3f &tip, const char *label)
{
    ZnArrowMarker *marker = new ZnArrowMarker;
    marker->setLabel(label);
    marker->getDraggerTransform()->translation = tip;
    SoPath *path = new SoPath(root);
    path->ref();
    path->append(obj);
    path->append(obj->getNumChildren() - 1);
    marker->setPathToObject(path);
    path->unref();
    root->addChild(marker);
    return marker;
}

ZnNoteList *notesOf(ZnMarker *marker) { return (ZnNoteList *)marker->getPart("notes", TRUE); }

bool writeScene(SoNode *root, const std::string &path, bool binary)
{
    SoOutput out;
    if (!out.openFile(path.c_str()))
        return false;
    out.setBinary(binary);
    SoWriteAction wa(&out);
    wa.apply(root);
    out.closeFile();
    return true;
}

int fail(const std::string &what)
{
    fprintf(stderr, "gsp_make_sample: %s\n", what.c_str());
    return 1;
}

}

int main(int argc, char **argv)
{
    if (argc != 2)
        return fail("usage: gsp_make_sample OUTDIR");
    mkdir(argv[1], 0755);
    if (chdir(argv[1]) != 0)
        return fail(std::string("cannot enter ") + argv[1]);
    mkdir("media", 0755);
    char work[] = "/tmp/gsp_sample.XXXXXX";
    if (!mkdtemp(work))
        return fail("cannot make a work directory");
    std::string tmp = work;

    SoDB::init();
    ZnInit::initClasses();

    if (!makeImage(tmp + "/picture.rgb", 48, 32) || !makeMovie(tmp + "/square.mv") ||
        !makeTone("media/tone.aifc") ||
        !makeText(tmp + "/scene.iv", "#Inventor V2.1 ascii\n\nSeparator { Cone {} }\n") ||
        !makeText("media/readme.txt",
                  "This text lives in a file of its own beside the scene.\n"
                  "Notes can keep their media inline or in external files.\n"))
        return fail("cannot make the sample media");

    SoSeparator *root = new SoSeparator;
    root->ref();
    SoPerspectiveCamera *camera = new SoPerspectiveCamera;
    camera->position = SbVec3f(0, 2, 14);
    root->addChild(camera);
    SoSeparator *cube = addObject(root, "Box", new SoCube, SbVec3f(-2.5f, 0, 0),
                                  SbColor(0.8f, 0.5f, 0.2f));
    SoSeparator *cone = addObject(root, "Spire", new SoCone, SbVec3f(2.5f, 0, 0),
                                  SbColor(0.2f, 0.5f, 0.8f));

    // The markers, after the objects they point at.
    ZnArrowMarker *onCube = pointAt(root, cube, SbVec3f(-2.5f, 1, 0), "Box");
    ZnArrowMarker *onCone = pointAt(root, cone, SbVec3f(2.5f, 1, 0), "Spire");
    onCone->setArrowType(ZnArrow::LINE_ARROW);
    ZnBulletMarker *extras = new ZnBulletMarker;
    extras->setLabel("Extras");
    extras->getDraggerTransform()->translation.setValue(0, 3.5f, 0);
    extras->getDraggerTransform()->scaleFactor.setValue(0.4f, 0.4f, 0.4f);
    root->addChild(extras);
    ZnNoteList *notes = notesOf(onCube);

    ZnTextNote *welcome = stamped(new ZnTextNote, "Welcome");
    welcome->setFieldFromString("Welcome to the Glosspin sample scene.\n"
                                "Every kind of note hangs on one of its markers.\n");
    // The texts close by themselves in the tour.
    welcome->lifetimeType = 1;
    welcome->lifetime = 5;
    notes->addChild(welcome);

    ZnTextNote *readme = stamped(new ZnTextNote, "Readme");
    readme->setDataExternal(1);
    readme->setDataFilename("media/readme.txt", 0);
    readme->lifetimeType = 1;
    readme->lifetime = 5;
    notes->addChild(readme);

    ZnURLNote *link = stamped(new ZnURLNote, "Link");
    link->url = "https://www.example.org/glosspin";
    // The link and the command play on a click only: in the tour they
    // would wait for a browser, or for the user's consent to run a command
    // that came with a file.
    link->autoPlayable = FALSE;
    notes->addChild(link);

    ZnViewNote *view = stamped(new ZnViewNote, "CloseUp");
    view->position = SbVec3f(2, 2, 4);
    view->orientation = SbRotation(SbVec3f(-1, 1, 0), 0.5f);
    view->focalDistance = 5;
    view->height = 0.785398f;
    notes->addChild(view);

    notes = notesOf(onCone);
    ZnMovieNote *movie = stamped(new ZnMovieNote, "Movie");
    movie->setDataFilename((tmp + "/square.mv").c_str(), 1);
    notes->addChild(movie);

    ZnSoundNote *sound = stamped(new ZnSoundNote, "Tone");
    sound->setDataExternal(1);
    sound->setDataFilename("media/tone.aifc", 0);
    notes->addChild(sound);

    ZnImageNote *image = stamped(new ZnImageNote, "Picture");
    image->setDataFilename((tmp + "/picture.rgb").c_str(), 1);
    notes->addChild(image);

    notes = notesOf(extras);
    ZnSystemNote *command = stamped(new ZnSystemNote, "Hello");
    command->command = "echo Hello from Glosspin";
    command->autoPlayable = FALSE;
    notes->addChild(command);

    ZnInventorNote *scene = stamped(new ZnInventorNote, "Cone");
    scene->setDataFilename((tmp + "/scene.iv").c_str(), 1);
    notes->addChild(scene);

    // The tour: the cube, the cone, then the extras.
    ZnMarkerSequencer *tour = new ZnMarkerSequencer;
    for (ZnMarker *m : {(ZnMarker *)onCube, (ZnMarker *)onCone, (ZnMarker *)extras})
        tour->appendMarker(m);
    root->addChild(tour);

    bool ok = writeScene(root, "annotated.iv", false) &&
              writeScene(root, "annotated-binary.iv", true);
    root->unref();
    rmdir(tmp.c_str());
    if (!ok)
        return fail("cannot write the sample scenes");
    printf("gsp_make_sample: wrote %s/annotated.iv and annotated-binary.iv\n", argv[1]);
    return 0;
}
