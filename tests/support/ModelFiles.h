#ifndef GLOSSPIN_TESTS_MODELFILES_H
#define GLOSSPIN_TESTS_MODELFILES_H

#include <string>

// Small models in other formats for the importer's tests, kept in
// tests/data/models (its README says what each holds).
namespace GspModels {

// Copies the models into dir; the path of the one named name there.
std::string copy(const std::string &dir, const char *name);

// The pixels of the glTF models' texture, top row first: red, green /
// blue, white.
extern const unsigned char CHECKER[2 * 2 * 3];

}

#endif
