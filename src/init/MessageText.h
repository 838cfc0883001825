#ifndef GLOSSPIN_INIT_MESSAGETEXT_H
#define GLOSSPIN_INIT_MESSAGETEXT_H

#include <string>

// Puts arg (empty when NULL) into the first "%s" of a message from the
// resource database. Nothing else in the text is a conversion, so no
// resource can make the library read memory it should not.
std::string gspFillMessage(const char *format, const char *arg);

#endif
