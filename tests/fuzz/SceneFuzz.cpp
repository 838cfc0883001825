#include "fuzz/Fuzzers.h"
#include "fuzz/ReadFuzzWork.h"

#include <ctype.h>
#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <Glosspin/SoSFDelayedData.h>
#include <Glosspin/ZnInit.h>
#include <Glosspin/ZnNote.h>
#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/SoOutput.h>
#include <Inventor/SoPath.h>
#include <Inventor/fields/SoField.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/errors/SoReadError.h>
#include <Inventor/misc/SoChildList.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/sensors/SoSensorManager.h>

namespace {

using GspReadFuzz::workDir;

[[noreturn]] void fail(const char *why)
{
    GspReadFuzz::fail("scene fuzz", why);
}

std::string inWork(const char *name)
{
    return workDir() + "/" + name;
}

// Files in the work directory other than the fuzzer's own (removed when
// remove is set).
int strayFiles(bool remove = false)
{
    int n = 0;
    if (DIR *d = opendir(workDir().c_str())) {
        while (struct dirent *e = readdir(d)) {
            std::string name = e->d_name;
            if (name == "." || name == ".." || name == "input.iv" || name == "ascii.iv" ||
                name == "binary.iv")
                continue;
            n++;
            if (remove)
                unlink(inWork(name.c_str()).c_str());
        }
        closedir(d);
    }
    return n;
}

// Open descriptors that are not sockets: the notes' one monitor
// connection lives as long as any note, and the toolkit keeps the nodes
// of a failed read, notes among them.
int openFiles()
{
    int n = 0;
    if (DIR *d = opendir("/proc/self/fd")) {
        while (struct dirent *e = readdir(d)) {
            char target[64] = "";
            std::string link = std::string("/proc/self/fd/") + e->d_name;
            if (e->d_name[0] != '.' && readlink(link.c_str(), target, sizeof target - 1) > 0 &&
                strncmp(target, "socket:", 7) != 0)
                n++;
        }
        closedir(d);
    }
    return n;
}

struct Counts {
    int nodes = 0;
    int fields = 0;
    bool operator!=(const Counts &o) const { return nodes != o.nodes || fields != o.fields; }
};

Counts countOf(SoNode *root)
{
    SoSearchAction search;
    search.setType(SoNode::getClassTypeId());
    search.setInterest(SoSearchAction::ALL);
    search.apply(root);
    Counts c;
    for (int i = 0; i < search.getPaths().getLength(); i++) {
        SoFieldList fields;
        c.nodes++;
        c.fields += search.getPaths()[i]->getTail()->getFields(fields);
    }
    return c;
}

SoSeparator *readFile(const std::string &path)
{
    SoInput in;
    if (!in.openFile(path.c_str(), TRUE))
        fail("cannot open a file the fuzzer wrote");
    SoSeparator *root = SoDB::readAll(&in);
    if (root)
        root->ref();
    return root;
}

void writeFile(SoNode *root, const std::string &path, bool binary)
{
    SoOutput out;
    if (!out.openFile(path.c_str()))
        fail("cannot open an output file");
    out.setBinary(binary);
    SoWriteAction(&out).apply(root);
    out.closeFile();
}

// What a user does with a scene that read: saves it both ways and opens
// each again. An unknown node the filters above let through (a binary
// class name in small letters, or a long one) is written with its name as
// it stands, which no reader takes back when it holds white space: the
// toolkit's, and left out.
void roundTrip(SoSeparator *root)
{
    SoSearchAction unknown;
    unknown.setType(SoType::fromName("UnknownNode"));
    unknown.setSearchingAll(TRUE);
    unknown.apply(root);
    if (unknown.getPath())
        return;
    Counts read = countOf(root);
    for (bool binary : {false, true}) {
        std::string path = inWork(binary ? "binary.iv" : "ascii.iv");
        writeFile(root, path, binary);
        SoSeparator *again = readFile(path);
        if (!again)
            fail("a scene that read does not read back once written");
        if (countOf(again) != read)
            fail("a scene written and read back has other node or field counts");
        again->unref();
    }
}

bool isIdentifier(const std::string &s)
{
    if (s.empty() || !isalpha((unsigned char)s[0]))
        return false;
    for (char c : s)
        if (!isalnum((unsigned char)c) && c != '_')
            return false;
    return true;
}

// A name the toolkit would make an unknown node of. Such a node keeps its
// fields' places as 32-bit offsets from itself, which the address
// sanitizer's allocator, placing sizes in regions far apart, breaks: any
// unknown node with a field crashes under it (never under the C
// library's allocator). Those inputs are left out.
// In binary any name the toolkit does not know, whatever its first
// character, may stand in a class name's place (field names begin with a
// small letter).
bool unknownNodeName(const std::string &name, const std::string &before, bool binary = false)
{
    for (const char *word : {"DEF", "USE", "NULL"})
        if (name == word || before == word)
            return false;
    unsigned char first = (unsigned char)name[0];
    return (binary ? !islower(first) : isupper(first)) && SoType::fromName(name.c_str()).isBad();
}

// Binary names may hold any character; the toolkit then writes an unknown
// node's name in ASCII as it stands, and that file does not read back.
// A string with a space is taken for a text rather than a name.
bool nameLike(const std::string &s)
{
    return !s.empty() && s.find(' ') == std::string::npos;
}

// Calls found(name, the name before it, binary, a block follows) for each
// name of the input in turn, until it returns true; whether one did. In
// binary a block may follow any name.
bool anyName(const std::string &text,
             const std::function<bool(const std::string &, const std::string &, bool, bool)> &found)
{
    std::string before;
    if (text.compare(0, 21, "#Inventor V2.1 binary") == 0) {
        // Names are a length word and the padded characters.
        for (size_t at = 24; at + 4 <= text.size(); at += 4) {
            const unsigned char *p = (const unsigned char *)text.data() + at;
            uint32_t length = (uint32_t)p[0] << 24 | p[1] << 16 | p[2] << 8 | p[3];
            if (length == 0 || at + 4 + length > text.size())
                continue;
            // The toolkit's string ends at the first zero byte.
            std::string name = text.substr(at + 4, length).c_str();
            if (nameLike(name) && found(name, before, true, true))
                return true;
            before = name;
        }
        return false;
    }
    for (size_t at = 0; at < text.size();) {
        size_t end = at;
        while (end < text.size() && (isalnum((unsigned char)text[end]) || text[end] == '_'))
            end++;
        if (end == at) {
            at++;
            continue;
        }
        std::string name = text.substr(at, end - at);
        size_t next = text.find_first_not_of(" \t\r\n", end);
        if (isIdentifier(name) && found(name, before, false, next != std::string::npos && text[next] == '{'))
            return true;
        before = name;
        at = end;
    }
    return false;
}

// A name of LONG_NAME characters or more: the toolkit's class look-up
// (SoType::fromName) overruns a buffer on it, with or without the library
// (see the README's toolkit limits).
const size_t LONG_NAME = 128;

bool namesUnknownNode(const std::string &text)
{
    return anyName(text, [](const std::string &name, const std::string &before, bool binary,
                             bool block) {
        return name.size() >= LONG_NAME ||
               (block && name.size() <= 64 && unknownNodeName(name, before, binary));
    });
}

// A path given to a word that is no field of its node: the toolkit fails
// the read and keeps the path, and with it the path's head (the scene's
// root, say) and all below, notes' data files included (see the README's
// toolkit limits). The library's path fields are the only words a path
// may follow.
bool pathAfterStrayWord(const std::string &text)
{
    return anyName(text, [](const std::string &name, const std::string &before, bool, bool block) {
        if (name != "Path" || !block)
            return false;
        for (const char *field : {"pathToObjectField", "pathToTransformField", "objectPathField"})
            if (before == field)
                return false;
        return true;
    });
}

// The word that ends just before position end, skipping blanks.
std::string wordBefore(const std::string &text, size_t end)
{
    size_t last = text.find_last_not_of(" \t\r\n", end == 0 ? 0 : end - 1);
    if (last == std::string::npos || end == 0)
        return "";
    size_t first = last;
    while (first > 0 && (isalnum((unsigned char)text[first - 1]) || text[first - 1] == '_'))
        first--;
    return text.substr(first, last + 1 - first);
}

// A field description ("fields [ SFFloat size ]") that gives a known class
// a field it lacks, or another type for one it has: the toolkit adds such
// fields to the node and keeps their places as 32-bit offsets from it,
// which breaks when the allocator puts them far apart, in that read or a
// later one (see the README's toolkit limits). ASCII inputs only.
bool declaresForeignField(const std::string &text)
{
    if (text.compare(0, 21, "#Inventor V2.1 binary") == 0)
        return false;
    for (size_t at = text.find("fields"); at != std::string::npos;
         at = text.find("fields", at + 6)) {
        size_t open = text.find_first_not_of(" \t\r\n", at + 6);
        size_t brace = text.rfind('{', at);
        size_t close = text.find(']', at);
        if (open == std::string::npos || text[open] != '[' || brace == std::string::npos ||
            close == std::string::npos)
            continue;
        SoType type = SoType::fromName(wordBefore(text, brace).c_str());
        if (type.isBad() || !type.canCreateInstance() ||
            !type.isDerivedFrom(SoFieldContainer::getClassTypeId()))
            continue;
        SoFieldContainer *node = (SoFieldContainer *)type.createInstance();
        node->ref();
        bool foreign = false;
        std::string entries = text.substr(open + 1, close - open - 1);
        for (size_t from = 0; from < entries.size() && !foreign;) {
            size_t comma = entries.find(',', from);
            std::string entry = entries.substr(from, comma == std::string::npos ? std::string::npos
                                                                                : comma - from);
            char fieldType[64] = "", fieldName[64] = "";
            if (sscanf(entry.c_str(), "%63s %63s", fieldType, fieldName) == 2) {
                SoField *f = node->getField(fieldName);
                foreign = !f || f->getTypeId() != SoType::fromName(fieldType);
            }
            from = comma == std::string::npos ? entries.size() : comma + 1;
        }
        node->unref();
        if (foreign)
            return true;
    }
    return false;
}

// The toolkit's reader crashes on a header line it half recognises (see
// the README's toolkit limits): inputs must start with a whole one.
bool wholeHeader(const std::string &text)
{
    size_t end = text.find('\n');
    if (end == std::string::npos)
        return false;
    std::string line = text.substr(0, end);
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    for (const char *h : {"#Inventor V2.1 ascii", "#Inventor V2.1 binary", "#Inventor V2.0 ascii",
                          "#Inventor V2.0 binary", "#VRML V1.0 ascii"})
        if (line == h)
            return true;
    return false;
}

// "USE" with nothing after it spoils the toolkit's next read (see the
// README's toolkit limits).
bool endsInUse(const std::string &text)
{
    size_t end = text.find_last_not_of(" \t\r\n");
    return end != std::string::npos && end >= 2 && text.compare(end - 2, 3, "USE") == 0;
}

// A node that holds itself (a USE of a name inside the node its DEF
// names) makes a cycle that every toolkit traversal follows without end,
// and that no release frees: the toolkit's, with or without the library
// (see the README's toolkit limits).
bool cyclic(SoNode *node, std::vector<SoNode *> &above)
{
    if (std::find(above.begin(), above.end(), node) != above.end())
        return true;
    SoChildList *children = node->getChildren();
    above.push_back(node);
    for (int i = 0; children && i < children->getLength(); i++)
        if (cyclic((*children)[i], above))
            return true;
    above.pop_back();
    return false;
}

void release()
{
    SoDB::getSensorManager()->processDelayQueue(FALSE);
}

}

int fuzzScene(const uint8_t *data, size_t size)
{
    static bool ready = (GspReadFuzz::setUp("gspscenefuzz"), true);
    (void)ready;
    if (size < 1)
        return 0;
    std::string text((const char *)data + 1, size - 1);
    if (!wholeHeader(text) || endsInUse(text) || namesUnknownNode(text) ||
        declaresForeignField(text))
        return 0;
    SoSFDelayedData::supportDelayedReading = data[0] & 1;
    ZnNote::tmpDirName = "";
    FILE *f = fopen(inWork("input.iv").c_str(), "wb");
    if (!f)
        fail("cannot write the input file");
    fwrite(data + 1, 1, size - 1, f);
    fclose(f);

    int files = openFiles(), slots = GspReadFuzz::usedSlots();
    // What the toolkit keeps of some inputs is not counted (see above).
    SoSeparator *root = readFile(inWork("input.iv"));
    bool toolkitKeeps = !root && pathAfterStrayWord(text);
    if (root) {
        std::vector<SoNode *> above;
        toolkitKeeps = cyclic(root, above);
        if (!toolkitKeeps)
            roundTrip(root);
        root->unref();
    }
    release();
    SoSFDelayedData::supportDelayedReading = 0;
    if (toolkitKeeps) {
        strayFiles(true);  // so that the next input starts clean
        return 0;
    }
    if (strayFiles() != 0)
        fail("a cache or note data file outlived its scene");
    if (GspReadFuzz::usedSlots() != slots)
        fail("a descriptor-table entry outlived its scene");
    if (openFiles() != files)
        fail("a descriptor outlived its scene");
    return 0;
}
