#ifndef GLOSSPIN_PLATFORM_MEDIALENGTH_H
#define GLOSSPIN_PLATFORM_MEDIALENGTH_H

#include <stddef.h>

// How long a movie or a sound lasts, from a file or from bytes in memory
// (a block of a scene file mapped in place), read with libavformat and
// libaudiofile.
namespace GspMediaLength {

// Seconds of the movie's video stream: its frame count over its frame
// rate, or its duration where the container counts no frames. -1 when
// the bytes are a movie that cannot be opened; 0 when they are no movie,
// have no video stream, or a frame rate of 0.
double movie(const char *path);
double movie(const void *data, size_t size);

// Seconds of the sound's default track: frames over the sample rate. 0
// when the bytes cannot be opened as a sound or the rate is 0.
double sound(const char *path);
double sound(const void *data, size_t size);

}

#endif
