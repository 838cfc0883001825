#include "platform/HardwareProbe.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <string>

#include <alsa/asoundlib.h>
#include <linux/videodev2.h>

namespace GspHardwareProbe {

namespace {

int isCaptureDevice(const std::string &path)
{
    int fd = open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return 0;
    struct v4l2_capability cap;
    memset(&cap, 0, sizeof cap);
    int usable = 0;
    if (ioctl(fd, VIDIOC_QUERYCAP, &cap) == 0) {
        unsigned caps = (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps
                                                                    : cap.capabilities;
        usable = (caps & V4L2_CAP_VIDEO_CAPTURE) != 0;
    }
    close(fd);
    return usable;
}

// ALSA reports missing cards on stderr by default; a probe stays quiet.
void silentErrorHandler(const char *, int, const char *, int, const char *, ...)
{
}

}

int videoCaptureUsable()
{
    DIR *dev = opendir("/dev");
    if (!dev)
        return 0;
    int found = 0;
    while (struct dirent *e = readdir(dev)) {
        if (strncmp(e->d_name, "video", 5) == 0 &&
            isCaptureDevice(std::string("/dev/") + e->d_name)) {
            found = 1;
            break;
        }
    }
    closedir(dev);
    return found;
}

// Opens the default device of a direction quietly and asks ask(pcm,
// params) of its hardware parameters; the error of the open when it fails.
template <class Ask>
static int askDevice(snd_pcm_stream_t stream, Ask ask, int &result)
{
    snd_lib_error_set_handler(silentErrorHandler);
    snd_pcm_t *pcm = NULL;
    int error = snd_pcm_open(&pcm, "default", stream, SND_PCM_NONBLOCK);
    if (error == 0) {
        snd_pcm_hw_params_t *params;
        snd_pcm_hw_params_alloca(&params);
        if (snd_pcm_hw_params_any(pcm, params) >= 0)
            result = ask(pcm, params);
        snd_pcm_close(pcm);
    }
    snd_lib_error_set_handler(NULL);
    return error;
}

template <class Ask> static int askCaptureDevice(Ask ask, int &result)
{
    return askDevice(SND_PCM_STREAM_CAPTURE, ask, result);
}

// 16-bit stereo, which the recorder and the players use.
static int takesStereo16(snd_pcm_t *pcm, snd_pcm_hw_params_t *params)
{
    return snd_pcm_hw_params_set_channels(pcm, params, 2) == 0 &&
           snd_pcm_hw_params_set_format(pcm, params, SND_PCM_FORMAT_S16) == 0;
}

int audioCaptureUsable()
{
    int usable = 0;
    askCaptureDevice(takesStereo16, usable);
    return usable;
}

int audioPlaybackUsable()
{
    int usable = 0;
    askDevice(SND_PCM_STREAM_PLAYBACK, takesStereo16, usable);
    return usable;
}

int audioInputRate()
{
    int rate = -8;
    askCaptureDevice(
        [](snd_pcm_t *pcm, snd_pcm_hw_params_t *params) {
            unsigned wanted = 11025;
            int dir = 0;
            return snd_pcm_hw_params_set_rate_near(pcm, params, &wanted, &dir) == 0 ? (int)wanted
                                                                                      : -8;
        },
        rate);
    return rate;
}

int audioInputInUse()
{
    int unused = 0;
    return askCaptureDevice([](snd_pcm_t *, snd_pcm_hw_params_t *) { return 0; }, unused) ==
           -EBUSY;
}

}
