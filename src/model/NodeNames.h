#ifndef GLOSSPIN_MODEL_NODENAMES_H
#define GLOSSPIN_MODEL_NODENAMES_H

#include <string>
#include <unordered_set>

// Names for the nodes of one imported model: the source's name made legal
// for the toolkit's DEF (other characters become '_', a leading digit or
// an empty name gets a prefix) and unique within the model ("_2", "_3"
// appended), so that paths and tools can name every part.
class GspNodeNames {
  public:
    // The name for source, or for fallback when source has none.
    std::string take(const char *source, const char *fallback);

  private:
    std::unordered_set<std::string> used;
};

#endif
