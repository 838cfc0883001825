#include "fuzz/Fuzzers.h"

#include <math.h>
#include <stdlib.h>

#include "platform/MediaLength.h"

int fuzzMediaLength(const uint8_t *data, size_t size)
{
    double movie = GspMediaLength::movie(data, size);
    double sound = GspMediaLength::sound(data, size);
    if (!isfinite(movie) || movie < -1 || !isfinite(sound) || sound < 0)
        abort();
    return 0;
}
