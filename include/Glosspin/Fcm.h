#ifndef GLOSSPIN_FCM_H
#define GLOSSPIN_FCM_H

/* Client of the file-change monitor: a program asks the monitor service
 * on this machine (found through the port mapper) to watch files and
 * directories and reads back what happened to them. Plain functions,
 * callable from C. */

#ifdef __cplusplus
extern "C" {
#endif

struct Client;

/** A connection to the file-change monitor service. */
typedef struct {
    int fd;                /**< socket to the monitor service */
    struct Client *client; /**< buffers what the service sends */
} FcmConnection;

/** One watch: the number the service knows it by. */
typedef struct {
    int reqnum; /**< the request's number on its connection */
} FcmRequest;

/* Event codes. */
enum {
    FcmChanged = 1,
    FcmDeleted = 2,
    FcmStartExecuting = 3,
    FcmStopExecuting = 4,
    FcmCreated = 5,
    FcmAcknowledge = 7,
    FcmExists = 8,
    FcmEndExist = 9
};

/** What the service reports about a watched file. */
typedef struct {
    FcmConnection *fc;   /**< not set by the client */
    FcmRequest fr;       /**< the watch it is about */
    char *hostname;      /**< not set by the client */
    char filename[1024]; /**< the file, or the entry of a watched directory */
    void *userdata;      /**< as given with the watch */
    int code;            /**< one of the event codes */
} FcmEvent;

/* 0, or -1 when the service cannot be reached. appName may be NULL. */
int FcmOpen(FcmConnection *fc);
int FcmOpen2(FcmConnection *fc, const char *appName);
int FcmClose(FcmConnection *fc);

/* Each new request takes the next number into fr; -1 for a path of 1025
 * characters or more (errno ENAMETOOLONG). */
int FcmMonitorFile(FcmConnection *fc, const char *path, FcmRequest *fr, void *userData);
int FcmMonitorDirectory(FcmConnection *fc, const char *path, FcmRequest *fr, void *userData);
int FcmMonitorCollection(FcmConnection *fc, const char *path, FcmRequest *fr, void *userData,
                         int depth, const char *mask);
/* As above with fr already numbered; the number is the user data. */
int FcmMonitorFile2(FcmConnection *fc, const char *path, FcmRequest *fr);
int FcmMonitorDirectory2(FcmConnection *fc, const char *path, FcmRequest *fr);

int FcmSuspendMonitor(FcmConnection *fc, FcmRequest *fr);
int FcmResumeMonitor(FcmConnection *fc, FcmRequest *fr);
int FcmCancelMonitor(FcmConnection *fc, FcmRequest *fr);

/* 1 with an event in fe, 0 when no whole message has arrived yet, -1 on
 * an error or at the end of the connection. */
int FcmNextEvent(FcmConnection *fc, FcmEvent *fe);
/* 1 when an event can be read without waiting. */
int FcmPending(FcmConnection *fc);
/* level 0, 1 or 2: 1; any other level: -1. */
int FcmDebugLevel(FcmConnection *fc, int level);

#ifdef __cplusplus
}
#endif

#endif
