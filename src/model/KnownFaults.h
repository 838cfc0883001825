#ifndef GLOSSPIN_MODEL_KNOWNFAULTS_H
#define GLOSSPIN_MODEL_KNOWNFAULTS_H

#include <stddef.h>

#include <string>

// Inputs on which the model library is known to hang or crash, refused
// before it sees them, from the first bytes of the file (at most
// HEAD_BYTES) and its size. False with the reason in why for such an
// input.
namespace GspKnownFaults {

const size_t HEAD_BYTES = 65536;

bool acceptable(const char *head, size_t size, size_t fileSize, std::string &why);

}

#endif
