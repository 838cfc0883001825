#include "model/KnownFaults.h"

#include <string.h>

#include <algorithm>

namespace GspKnownFaults {

bool acceptable(const char *head, size_t size, std::string &why)
{
    size = std::min(size, HEAD_BYTES);
    // A PLY header without its end keeps the PLY reader looking forever.
    if (size >= 3 && memcmp(head, "ply", 3) == 0) {
        static const char end[] = "end_header";
        if (std::search(head, head + size, end, end + sizeof end - 1) == head + size) {
            why = "the PLY header does not end (no end_header in its first " +
                  std::to_string(HEAD_BYTES / 1024) + " KiB)";
            return false;
        }
    }
    return true;
}

}
