#ifndef GLOSSPIN_PLATFORM_FILECOPY_H
#define GLOSSPIN_PLATFORM_FILECOPY_H

#include <stddef.h>
#include <sys/types.h>

// Copies length bytes of in, from offset, to out at out's current
// position (which moves past them), inside the kernel where it can
// (copy_file_range, then sendfile), else through one fixed buffer.
// False when fewer than length bytes could be read or written.
bool gspCopyRange(int in, off_t offset, int out, size_t length);

// A new descriptor that reads the file fd is open on, also when fd was
// opened for writing only; -1 when there is none (a pipe, a socket).
int gspOpenForReading(int fd);

// Whether the two names name one existing file (the same device and inode).
bool gspSameFile(const char *a, const char *b);

#endif
