#ifndef GLOSSPIN_FIELD_READNUMBER_H
#define GLOSSPIN_FIELD_READNUMBER_H

#include <stdint.h>

class SoInput;

// Reads an integer the way the toolkit's reader does (decimal, octal or
// hex in ASCII, a word in binary), but bounded: the toolkit copies ASCII
// digits into a fixed buffer without a limit, so numbers in nodes that
// hostile files reach are read here. Returns 0 when no number is there.
int gspReadNumber(SoInput *in, int &value);

// A 32-bit word, signed or not, as the toolkit writes short numbers
// (a negative one as its unsigned word).
int gspReadWord(SoInput *in, uint32_t &value);

// The same for a floating-point number.
int gspReadReal(SoInput *in, double &value);

#endif
