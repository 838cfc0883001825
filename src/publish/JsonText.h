#ifndef GLOSSPIN_PUBLISH_JSONTEXT_H
#define GLOSSPIN_PUBLISH_JSONTEXT_H

#include <string>

// Pieces of JSON, safe inside an HTML script element as well: text
// quoted with "<", ">", "&" and the line separators escaped, and numbers
// written so that they read back exactly.
std::string gspJsonQuote(const std::string &text);
std::string gspJsonNumber(double value);

#endif
