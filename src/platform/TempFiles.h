#ifndef GLOSSPIN_PLATFORM_TEMPFILES_H
#define GLOSSPIN_PLATFORM_TEMPFILES_H

#include <string>

// Private temporary files: the system's temporary directory and
// exclusive creation that never follows a planted symbolic link.
namespace GspTempFiles {

// "TMPDIR" when it names a directory, else the system default, without
// a trailing slash.
std::string systemTempDir();

// Creates path write-only, failing when it exists or is a symbolic link.
// Returns the descriptor or -1 with errno set.
int createExclusive(const std::string &path, int mode = 0600);

// Creates a fresh file named prefix + a unique part + suffix, trying the
// next candidate while a name is taken. On success stores the name and
// returns the descriptor; returns -1 otherwise.
int createUnique(const std::string &prefix, const std::string &suffix,
                 std::string &name, int mode = 0600);

// A file without a name in the temporary directory, open for reading and
// writing, gone when its descriptor is closed; -1 with errno set.
int createAnonymous();

}

#endif
