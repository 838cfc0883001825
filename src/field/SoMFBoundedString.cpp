#include <Glosspin/SoMFBoundedString.h>

#include <Inventor/SoInput.h>
#include <Inventor/errors/SoReadError.h>

#include <vector>

namespace {

// Takes the values read in place of the field's.
void store(SoMFString *field, const std::vector<SbString> &values)
{
    field->setNum((int)values.size());
    SbString *v = field->startEditing();
    for (size_t i = 0; i < values.size(); i++)
        v[i] = values[i];
    field->finishEditing();
}

}

SbBool SoMFBoundedString::readValue(SoInput *in)
{
    return in->isBinary() ? readBinaryList(in) : readAsciiList(in);
}

// A count, then each string as a length word and its padded characters.
SbBool SoMFBoundedString::readBinaryList(SoInput *in)
{
    int count;
    if (!in->read(count) || count < 0) {
        SoReadError::post(in, "Couldn't read number of string values");
        return FALSE;
    }
    std::vector<SbString> values;  // grows only with what was read
    SbString s;
    for (int i = 0; i < count; i++) {
        if (!in->read(s)) {
            SoReadError::post(in, "Couldn't read string value %d", i);
            return FALSE;
        }
        values.push_back(s);
    }
    store(this, values);
    return TRUE;
}

// One value, or values between brackets with commas between them (one
// after the last is allowed).
SbBool SoMFBoundedString::readAsciiList(SoInput *in)
{
    std::vector<SbString> values;
    SbString s;
    char c;
    if (!in->read(c))
        return FALSE;
    if (c != '[') {
        in->putBack(c);
        if (!in->read(s))
            return FALSE;
        values.push_back(s);
        store(this, values);
        return TRUE;
    }
    for (;;) {
        if (!in->read(c)) {
            SoReadError::post(in, "Premature end of file reading string values");
            return FALSE;
        }
        if (c == ']')
            break;
        in->putBack(c);
        if (!in->read(s)) {
            SoReadError::post(in, "Couldn't read string value %d", (int)values.size());
            return FALSE;
        }
        values.push_back(s);
        if (!in->read(c) || (c != ',' && c != ']')) {
            SoReadError::post(in, "Expected ',' or ']' after string value %d",
                              (int)values.size() - 1);
            return FALSE;
        }
        if (c == ']')
            break;
    }
    store(this, values);
    return TRUE;
}
