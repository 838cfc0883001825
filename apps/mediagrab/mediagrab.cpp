// mediagrab: records a movie, a sound or one still frame into a file for a
// note. A small Motif window (Record, Stop, Done and a status line) runs
// ffmpeg on the camera and the microphone; the recording is written under
// a temporary name and renamed when ffmpeg finished it, so the note's file
// never holds half a recording. Exits 0 only when the file holds media.
//
//   mediagrab [-nofork] (-video | -audio | -snapshot) [-fixedMode MODE [still]]
//             [-movieFormat F] [-movieCompression C] [-guaranteeVideo]
//             [-duration SECONDS] -fixedFile FILE
//
// MEDIAGRAB_VIDEO_INPUT and MEDIAGRAB_AUDIO_INPUT replace the ffmpeg input
// arguments of the camera ("-f v4l2 -i /dev/video0") and the microphone
// ("-f alsa -i default"), for example with ffmpeg's synthetic sources.
// Without a microphone (and no MEDIAGRAB_AUDIO_INPUT) a movie is recorded
// without sound, as the window says. Exit status: 0 when the file holds
// media, 3 when the window was closed without recording, else 1. On
// SIGTERM, SIGINT or SIGHUP a recording under way is given up: ffmpeg
// ends and its partial file goes (ffmpeg also ends if mediagrab is killed
// outright).
#include <Xm/Form.h>
#include <Xm/Label.h>
#include <Xm/PushB.h>
#include <Xm/Xm.h>

#include <Xm/Protocols.h>

#include <errno.h>
#include <signal.h>
#include <sys/prctl.h>
#include <time.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <algorithm>
#include <string>
#include <vector>

#include "platform/HardwareProbe.h"

namespace {

enum Mode { VIDEO, AUDIO, SNAPSHOT };

struct Grab {
    Mode mode = VIDEO;
    std::string file, temp;
    double duration = 0;
    pid_t ffmpeg = -1;
    int control = -1;  // ffmpeg's standard input: "q" ends a recording
    bool saved = false, attempted = false;
    bool microphone = true;  // movies: record sound too
    time_t started = 0;
    XtAppContext app;
    Widget status, record, stop;
} grab;

std::vector<std::string> words(const char *env, const char *fallback)
{
    const char *text = getenv(env);
    std::istringstream in(text && *text ? text : fallback);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

void setStatus(const char *text)
{
    XmString s = XmStringCreateLocalized((char *)text);
    XtVaSetValues(grab.status, XmNlabelString, s, NULL);
    XmStringFree(s);
}

std::vector<std::string> ffmpegArgs()
{
    // Standard input stays ffmpeg's: "q" there ends a recording.
    std::vector<std::string> a = {"ffmpeg", "-y", "-v", "error"};
    auto add = [&](std::vector<std::string> more) { a.insert(a.end(), more.begin(), more.end()); };
    if (grab.mode != AUDIO)
        add(words("MEDIAGRAB_VIDEO_INPUT", "-f v4l2 -i /dev/video0"));
    if (grab.mode == AUDIO || (grab.mode == VIDEO && grab.microphone))
        add(words("MEDIAGRAB_AUDIO_INPUT", "-f alsa -i default"));
    if (grab.duration > 0 && grab.mode != SNAPSHOT)
        add({"-t", std::to_string(grab.duration)});
    if (grab.mode == VIDEO)
        add({"-c:v", "mpeg4", "-q:v", "4", "-c:a", "pcm_s16be", "-f", "mov"});
    else if (grab.mode == AUDIO)
        add({"-c:a", "pcm_s16le", "-f", "aiff"});  // AIFF-C, little-endian samples
    else
        add({"-frames:v", "1", "-c:v", "sgi", "-f", "image2"});
    a.push_back(grab.temp);
    return a;
}

void finished(int status);

void poll(XtPointer, XtIntervalId *)
{
    int status;
    if (waitpid(grab.ffmpeg, &status, WNOHANG) == grab.ffmpeg) {
        finished(status);
        return;
    }
    if (grab.mode != SNAPSHOT) {
        char text[64];
        snprintf(text, sizeof text, "Recording... %ld s", (long)(time(NULL) - grab.started));
        setStatus(text);
    }
    XtAppAddTimeOut(grab.app, 250, poll, NULL);
}

void startCB(Widget, XtPointer, XtPointer)
{
    if (grab.ffmpeg > 0)
        return;
    std::vector<std::string> args = ffmpegArgs();
    std::vector<char *> argv;
    for (auto &s : args)
        argv.push_back(&s[0]);
    argv.push_back(NULL);
    int fds[2];
    if (pipe(fds) != 0)
        return;
    grab.ffmpeg = fork();
    if (grab.ffmpeg == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() == 1)
            _exit(1);  // mediagrab went before the line above
        dup2(fds[0], 0);
        close(fds[0]);
        close(fds[1]);
        execvp("ffmpeg", argv.data());
        fprintf(stderr, "mediagrab: cannot run ffmpeg: %s\n", strerror(errno));
        _exit(127);
    }
    close(fds[0]);
    grab.control = fds[1];
    if (grab.ffmpeg < 0) {
        close(grab.control);
        grab.control = -1;
        setStatus("Cannot start ffmpeg");
        return;
    }
    grab.started = time(NULL);
    grab.attempted = true;
    setStatus(grab.mode == SNAPSHOT ? "Taking a snapshot..." : "Recording...");
    XtSetSensitive(grab.record, False);
    XtSetSensitive(grab.stop, grab.mode != SNAPSHOT);
    XtAppAddTimeOut(grab.app, 100, poll, NULL);
}

void stopCB(Widget, XtPointer, XtPointer)
{
    if (grab.control >= 0 && write(grab.control, "q", 1) != 1)
        kill(grab.ffmpeg, SIGINT);
}

void doneCB(Widget, XtPointer, XtPointer)
{
    if (grab.ffmpeg > 0) {
        stopCB(NULL, NULL, NULL);
        int status;
        waitpid(grab.ffmpeg, &status, 0);
        finished(status);
    }
    exit(grab.saved ? 0 : grab.attempted ? 1 : 3);
}

void finished(int status)
{
    grab.ffmpeg = -1;
    if (grab.control >= 0)
        close(grab.control);
    grab.control = -1;
    struct stat st;
    bool good = WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
                stat(grab.temp.c_str(), &st) == 0 && st.st_size > 0;
    if (good && rename(grab.temp.c_str(), grab.file.c_str()) == 0) {
        grab.saved = true;
        setStatus("Saved. Record again or press Done.");
    } else {
        unlink(grab.temp.c_str());
        setStatus("The recording failed (see the terminal).");
        fprintf(stderr, "mediagrab: the recording into %s failed\n", grab.file.c_str());
    }
    XtSetSensitive(grab.record, True);
    XtSetSensitive(grab.stop, False);
    if (grab.duration > 0)
        doneCB(NULL, NULL, NULL);
}

void timedStart(XtPointer, XtIntervalId *) { startCB(NULL, NULL, NULL); }

// Asked to end: a recording under way is given up, nothing of it stays.
XtSignalId endSignal;
void endHandler(int) { XtNoticeSignal(endSignal); }
void endCB(XtPointer, XtSignalId *)
{
    if (grab.ffmpeg > 0) {
        kill(grab.ffmpeg, SIGTERM);
        waitpid(grab.ffmpeg, NULL, 0);
    }
    unlink(grab.temp.c_str());
    exit(1);
}

Widget button(Widget form, const char *name, XtCallbackProc cb, int left)
{
    Widget b = XtVaCreateManagedWidget(name, xmPushButtonWidgetClass, form, XmNtopAttachment,
                                       XmATTACH_WIDGET, XmNtopWidget, grab.status,
                                       XmNleftAttachment, XmATTACH_POSITION, XmNleftPosition,
                                       left, XmNrightAttachment, XmATTACH_POSITION,
                                       XmNrightPosition, left + 33, XmNbottomAttachment,
                                       XmATTACH_FORM, NULL);
    XtAddCallback(b, XmNactivateCallback, cb, NULL);
    return b;
}

// To standard output and status 0 when asked for, else a mistake.
int usage(bool asked = false)
{
    fprintf(asked ? stdout : stderr, "usage: mediagrab [-nofork] (-video | -audio | -snapshot) "
                                     "[-duration SECONDS] -fixedFile FILE\n");
    return asked ? 0 : 2;
}

// Reads the options into grab; false at one it does not know. The
// toolkit's own options, which Xt reads later, are passed over.
bool parse(int argc, char **argv)
{
    static const char *const xtValued[] = {"-display", "-geometry", "-xrm", "-name", "-title"};
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        bool more = i + 1 < argc;
        if (a == "-iconic" || a == "-synchronous")
            continue;
        if (more && std::count(std::begin(xtValued), std::end(xtValued), a)) {
            ++i;
            continue;
        }
        if (a == "-video")
            grab.mode = VIDEO;
        else if (a == "-audio")
            grab.mode = AUDIO;
        else if (a == "-snapshot")
            grab.mode = SNAPSHOT;
        else if (a == "-fixedFile" && more)
            grab.file = argv[++i];
        else if (a == "-duration" && more)
            grab.duration = atof(argv[++i]);
        else if ((a == "-movieFormat" || a == "-movieCompression") && more)
            ++i;  // the container and codec are ffmpeg's choice here
        else if (a == "-fixedMode" && more) {
            if (++i + 1 < argc && !strcmp(argv[i + 1], "still"))
                ++i;
        } else if (a != "-nofork" && a != "-guaranteeVideo")
            return false;
    }
    return !grab.file.empty();
}

}

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; i++)
        if (!strcmp(argv[i], "--help"))
            return usage(true);
    // A mistake is told before any display is needed.
    if (!parse(argc, argv))
        return usage();
    Widget top = XtVaAppInitialize(&grab.app, "Mediagrab", NULL, 0, &argc, argv, NULL, XmNtitle,
                                   "mediagrab", NULL);
    grab.temp = grab.file + ".recording." + std::to_string(getpid());

    Widget form = XtVaCreateManagedWidget("form", xmFormWidgetClass, top, XmNfractionBase, 99,
                                          XmNwidth, 320, NULL);
    const char *input = getenv("MEDIAGRAB_AUDIO_INPUT");
    grab.microphone = (input && *input) || GspHardwareProbe::audioCaptureUsable();
    static const char *ready[] = {"Press Record to record a movie.",
                                  "Press Record to record sound.",
                                  "Press Record to take a snapshot."};
    const char *text = ready[grab.mode];
    if (grab.mode == VIDEO && !grab.microphone)
        text = "No microphone: the movie will have no sound.\nPress Record to record it.";
    XmString s = XmStringCreateLtoR((char *)text, (char *)XmFONTLIST_DEFAULT_TAG);
    grab.status = XtVaCreateManagedWidget("status", xmLabelWidgetClass, form, XmNlabelString, s,
                                          XmNtopAttachment, XmATTACH_FORM, XmNleftAttachment,
                                          XmATTACH_FORM, XmNrightAttachment, XmATTACH_FORM,
                                          XmNmarginHeight, 12, NULL);
    XmStringFree(s);
    grab.record = button(form, "Record", startCB, 0);
    grab.stop = button(form, "Stop", stopCB, 33);
    button(form, "Done", doneCB, 66);
    XtSetSensitive(grab.stop, False);
    // Closing the window is Done.
    XtVaSetValues(top, XmNdeleteResponse, XmDO_NOTHING, NULL);
    XmAddWMProtocolCallback(top, XmInternAtom(XtDisplay(top), (char *)"WM_DELETE_WINDOW", False),
                            doneCB, NULL);
    endSignal = XtAppAddSignal(grab.app, endCB, NULL);
    struct sigaction sa = {};
    sa.sa_handler = endHandler;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &sa, NULL);
    XtRealizeWidget(top);
    if (grab.duration > 0)
        XtAppAddTimeOut(grab.app, 0, timedStart, NULL);
    XtAppMainLoop(grab.app);
}
