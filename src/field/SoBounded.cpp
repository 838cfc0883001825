#include <Glosspin/SoBounded.h>

#include <ctype.h>
#include <string.h>

#include <Inventor/SoInput.h>
#include <Inventor/errors/SoReadError.h>

#include "field/ReadNumber.h"

namespace {

int readFloats(SoInput *in, float *v, int count)
{
    for (int i = 0; i < count; i++) {
        double d;
        if (in->isBinary() ? !in->read(v[i]) : !gspReadReal(in, d))
            return 0;
        if (!in->isBinary())
            v[i] = (float)d;
    }
    return 1;
}

// Three floats: a vector or a colour.
template <class Triple> SbBool readTriple(SoInput *in, Triple &value, const char *kind)
{
    float v[3];
    if (!readFloats(in, v, 3)) {
        SoReadError::post(in, "Couldn't read %s value", kind);
        return FALSE;
    }
    value.setValue(v);
    return TRUE;
}

// A word, cut to its low bits as the toolkit reads short numbers.
int readShortWord(SoInput *in, uint32_t &value, const char *kind)
{
    if (gspReadWord(in, value))
        return 1;
    SoReadError::post(in, "Couldn't read %s value", kind);
    return 0;
}

// A word of letters, at most a few of them: "TRUE" or "FALSE".
int readBoolWord(SoInput *in, int &value)
{
    char c, word[8];
    size_t n = 0;
    if (!in->read(c))
        return 0;
    while (isalpha((unsigned char)c) && n + 1 < sizeof word) {
        word[n++] = c;
        if (!in->get(c)) {
            c = '\0';
            break;
        }
    }
    if (c != '\0')
        in->putBack(c);
    word[n] = '\0';
    value = strcmp(word, "TRUE") == 0 ? 1 : strcmp(word, "FALSE") == 0 ? 0 : -1;
    return value >= 0;
}

}

template <> SbBool SoBounded<SoSFFloat>::readValue(SoInput *in)
{
    if (readFloats(in, &value, 1))
        return TRUE;
    SoReadError::post(in, "Couldn't read float value");
    return FALSE;
}

template <> SbBool SoBounded<SoSFVec3f>::readValue(SoInput *in)
{
    return readTriple(in, value, "vector");
}

template <> SbBool SoBounded<SoSFColor>::readValue(SoInput *in)
{
    return readTriple(in, value, "color");
}

// An axis and an angle in radians.
template <> SbBool SoBounded<SoSFRotation>::readValue(SoInput *in)
{
    float v[4];
    if (!readFloats(in, v, 4)) {
        SoReadError::post(in, "Couldn't read rotation value");
        return FALSE;
    }
    value.setValue(SbVec3f(v[0], v[1], v[2]), v[3]);
    return TRUE;
}

template <> SbBool SoBounded<SoSFPlane>::readValue(SoInput *in)
{
    float v[4];
    if (!readFloats(in, v, 4)) {
        SoReadError::post(in, "Couldn't read plane value");
        return FALSE;
    }
    value = SbPlane(SbVec3f(v[0], v[1], v[2]), v[3]);
    return TRUE;
}

template <> SbBool SoBounded<SoSFShort>::readValue(SoInput *in)
{
    uint32_t v;
    if (!readShortWord(in, v, "short"))
        return FALSE;
    value = (short)v;
    return TRUE;
}

template <> SbBool SoBounded<SoSFUShort>::readValue(SoInput *in)
{
    uint32_t v;
    if (!readShortWord(in, v, "unsigned short"))
        return FALSE;
    value = (unsigned short)v;
    return TRUE;
}

// TRUE, FALSE, 0 or 1 in ASCII; a word in binary.
template <> SbBool SoBounded<SoSFBool>::readValue(SoInput *in)
{
    int v = 0, ok;
    char c;
    if (in->isBinary())
        ok = gspReadNumber(in, v);
    else if ((ok = in->read(c))) {
        in->putBack(c);
        ok = isdigit((unsigned char)c) ? gspReadNumber(in, v) && (v == 0 || v == 1)
                                       : readBoolWord(in, v);
    }
    if (!ok) {
        SoReadError::post(in, "Couldn't read boolean value");
        return FALSE;
    }
    value = v != 0;
    return TRUE;
}
