#ifndef GLOSSPIN_MONITOR_FCMINTERNAL_H
#define GLOSSPIN_MONITOR_FCMINTERNAL_H

#include <Glosspin/Fcm.h>

// For the tests and the fuzzer: a connection over a socket that is
// already connected.
int gspFcmAttach(FcmConnection *fc, int fd);

#endif
