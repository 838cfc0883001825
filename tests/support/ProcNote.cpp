#include "support/ProcNote.h"

SO_NODE_SOURCE(ProcNote);

void ProcNote::command(const std::vector<std::string> &args, std::vector<std::string> &argv)
{
    argv = {"sh", GLOSSPIN_TEST_PLAYER};
    argv.insert(argv.end(), args.begin(), args.end());
}
