#include "model/KnownFaults.h"

#include <stdint.h>
#include <string.h>
#include <strings.h>

#include <algorithm>

namespace GspKnownFaults {

namespace {

uint32_t littleEndian(const char *p)
{
    const unsigned char *b = (const unsigned char *)p;
    return b[0] | (uint32_t)b[1] << 8 | (uint32_t)b[2] << 16 | (uint32_t)b[3] << 24;
}

}

bool acceptable(const char *head, size_t size, size_t fileSize, std::string &why)
{
    size = std::min(size, HEAD_BYTES);
    // A binary glTF whose first chunk claims more than the file holds has
    // the model library allocate what it claims, gigabytes for a few
    // bytes.
    if (size >= 20 && memcmp(head, "glTF", 4) == 0 &&
        (littleEndian(head + 8) > fileSize || littleEndian(head + 12) > fileSize - 20)) {
        why = "the binary glTF's lengths exceed the file";
        return false;
    }
    // A PLY header without its end keeps the PLY reader looking forever:
    // "end_header" must stand on a line of its own. The reader knows its
    // magic word in any case.
    if (size >= 3 && strncasecmp(head, "ply", 3) == 0) {
        static const char end[] = "\nend_header";
        const char *at = head, *stop = head + size;
        bool ends = false;
        while (!ends && (at = std::search(at, stop, end, end + sizeof end - 1)) != stop) {
            at += sizeof end - 1;
            ends = at == stop || *at == '\n' || *at == '\r' || *at == ' ' || *at == '\t';
        }
        if (!ends) {
            why = "the PLY header does not end (no end_header in its first " +
                  std::to_string(HEAD_BYTES / 1024) + " KiB)";
            return false;
        }
    }
    return true;
}

}
