#ifndef GLOSSPIN_PLATFORM_HARDWAREPROBE_H
#define GLOSSPIN_PLATFORM_HARDWAREPROBE_H

// Media hardware probes, run once while the movie and sound notes
// register; the notes publish the results in their static flags.
namespace GspHardwareProbe {

// 1 when a video capture device can be opened and reports capture
// capability, else 0.
int videoCaptureUsable();

// 1 when an audio capture device can be opened for 16-bit stereo
// input, else 0.
int audioCaptureUsable();

// The same for the default output device.
int audioPlaybackUsable();

// The rate a recording at 11025 Hz gets from the default capture device,
// or -8 when there is none. ALSA has no device-wide input rate (each
// program sets its own as it opens the device) and no digital-input
// source to choose between.
int audioInputRate();

// Whether another program holds the default capture device (it opens
// busy). ALSA has no counter of input monitoring.
int audioInputInUse();

}

#endif
