#include "support/ModelFiles.h"

#include "support/Run.h"

namespace GspModels {

const unsigned char CHECKER[2 * 2 * 3] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};

std::string copy(const std::string &dir, const char *name)
{
    std::string out;
    GspTest::run("cp " GLOSSPIN_TEST_MODELS "/* '" + dir + "'", out);
    return dir + "/" + name;
}

}
