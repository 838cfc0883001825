#ifndef GLOSSPIN_PUBLISH_NOTEMEDIA_H
#define GLOSSPIN_PUBLISH_NOTEMEDIA_H

#include <string>

class ZnNote;

// A note's media turned into what browsers show: an image into PNG
// (ImageMagick), a movie into WebM (VP8 and Vorbis) and a sound into Ogg
// Vorbis (ffmpeg). The note's bytes are written beside the target first
// and removed after. FALSE with the reason in why.
bool gspConvertNoteMedia(ZnNote *note, const std::string &target, std::string &why);

// The file name suffix the converted media of note take (".png", ".webm",
// ".ogg"), empty for kinds without media of their own.
const char *gspPageMediaSuffix(const ZnNote *note);

// Runs a program found in PATH and waits for it; its error output, when
// it fails, is the reason in why.
bool gspRunAndWait(const char *const *argv, std::string &why);

#endif
