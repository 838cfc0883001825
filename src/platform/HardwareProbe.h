#ifndef GLOSSPIN_PLATFORM_HARDWAREPROBE_H
#define GLOSSPIN_PLATFORM_HARDWAREPROBE_H

// Media hardware probes, run once while the library registers its
// classes. The movie and sound notes read the published results before
// they offer recording or playback.
namespace GspHardwareProbe {

// 1 when a video capture device can be opened and reports capture
// capability, else 0.
int videoCaptureUsable();

// 1 when an audio capture device can be opened for 16-bit stereo
// input, else 0.
int audioCaptureUsable();

// Results of the last probe: 0 = absent, 1 = present.
extern int hasVideoHW;
extern int hasAudioHW;

// Runs both probes and stores their results.
void probeAll();

}

#endif
