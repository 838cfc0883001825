#include "model/NodeNames.h"

#include <Inventor/SbString.h>

std::string GspNodeNames::take(const char *source, const char *fallback)
{
    std::string name = source && *source ? source : fallback;
    for (char &c : name)
        if (!SbName::isBaseNameChar(c))
            c = '_';
    if (!SbName::isBaseNameStartChar(name[0]))
        name.insert(0, "_");
    std::string unique = name;
    for (int n = 2; !used.insert(unique).second; n++)
        unique = name + "_" + std::to_string(n);
    return unique;
}
