#ifndef GLOSSPIN_NOTE_MAPPEDSOURCE_H
#define GLOSSPIN_NOTE_MAPPEDSOURCE_H

#include <stddef.h>
#include <sys/mman.h>
#include <sys/stat.h>

// Maps the first size bytes of fd read-only. An empty source maps
// nothing and is no failure; a file shorter than size (truncated since it
// was read) is one, so that no access past its end can fault.
inline void *gspMapSource(int fd, size_t size, int &failed)
{
    failed = 0;
    if (size == 0)
        return NULL;
    struct stat st;
    if (fstat(fd, &st) != 0 || (size_t)st.st_size < size) {
        failed = 1;
        return NULL;
    }
    void *p = mmap(NULL, size, PROT_READ, MAP_SHARED, fd, 0);
    if (p == MAP_FAILED) {
        failed = 1;
        return NULL;
    }
    return p;
}

#endif
