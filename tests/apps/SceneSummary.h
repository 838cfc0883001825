#ifndef GLOSSPIN_TESTS_SCENESUMMARY_H
#define GLOSSPIN_TESTS_SCENESUMMARY_H

#include <string>

class SoNode;

// One line a marker of the scene's sequencer, in tour order: its kind and
// label, the type of the object it points at, and each note's kind with
// its text or a hash of its media bytes. Two scenes with equal summaries
// carry the same annotations.
std::string gspSceneSummary(SoNode *root);

// Size and hash of a file's bytes, as the summary gives a note's media.
std::string gspFileHash(const std::string &path);

#endif
