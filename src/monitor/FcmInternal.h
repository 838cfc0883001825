#ifndef GLOSSPIN_MONITOR_FCMINTERNAL_H
#define GLOSSPIN_MONITOR_FCMINTERNAL_H

#include <Glosspin/Fcm.h>

// For the tests and the fuzzer: a connection over a socket that is
// already connected, and the size of the process-wide request table.
int gspFcmAttach(FcmConnection *fc, int fd);
int gspFcmRequestCapacity();

#endif
