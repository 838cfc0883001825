#ifndef GLOSSPIN_TESTS_FIELDTESTUTIL_H
#define GLOSSPIN_TESTS_FIELDTESTUTIL_H

#include "support/Test.h"

#include <Inventor/errors/SoReadError.h>

// Shared set-up for the field tests: the database and the classes
// registered once, read errors collected instead of printed.
namespace FieldTest {

inline std::string &readErrors()
{
    static std::string errors;
    return errors;
}

inline void collectError(const SoError *error, void *)
{
    readErrors() += error->getDebugString().getString();
    readErrors() += "\n";
}

inline void init()
{
    static bool done = false;
    if (!done) {
        SoDB::init();
        ZnInit::initClasses();
        SoReadError::setHandlerCallback(collectError, NULL);
        done = true;
    }
    readErrors().clear();
    ZnNote::tmpDirName = "";  // the last test's directory is gone
}

// Writes root to path, ASCII or binary.
inline void writeScene(SoNode *root, const std::string &path, bool binary)
{
    SoOutput out;
    out.setBinary(binary);
    out.openFile(path.c_str());
    SoWriteAction wa(&out);
    wa.apply(root);
    out.closeFile();
}

// Reads a scene (referenced by nobody); NULL on failure.
inline SoSeparator *readScene(const std::string &path)
{
    SoInput in;
    return in.openFile(path.c_str()) ? SoDB::readAll(&in) : NULL;
}
using GspTest::Held;
using GspTest::readFromBuffer;

// An inline image note holding bytes through a raw file in dir.
inline ZnImageNote *mediaNode(const TempDir &dir, const std::string &bytes,
                              const std::string &name = "raw.bin")
{
    TempDir::writeFile(dir.file(name), bytes);
    ZnNote::newNotesInline = 1;
    ZnImageNote *n = new ZnImageNote;
    n->setDataFilename(dir.file(name).c_str(), 0);
    return n;
}

// The note's media bytes, wherever they are.
inline std::string dataOf(ZnNote *note)
{
    if (note->isDataExternal())
        return TempDir::readFile(note->filename.getValue().getString());
    if (note->getTempDataFileName().getLength() == 0 &&
        (!note->checkFilename() || !note->copyDataToExternalFile(NULL)))
        return "<extraction failed>";
    return TempDir::readFile(note->getTempDataFileName().getString());
}

inline std::string pattern(size_t n)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; i++)
        s[i] = (char)((i * 7 + 3) & 0xff);
    return s;
}

// What f prints on stderr.
inline std::string stderrOf(const std::function<void()> &f)
{
    testing::internal::CaptureStderr();
    f();
    return testing::internal::GetCapturedStderr();
}

using GspTest::nth;

}

#endif
