// saved_scene_check FILE: prints the annotations of a saved scene, read in
// a process of its own, as the scene summary gives them.
#include <libgen.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include <Glosspin/Glosspin.h>
#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/nodes/SoSeparator.h>

#include "SceneSummary.h"

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    SoDB::init();
    ZnInit::initClasses();
    // External note files are named relative to the scene's directory.
    std::string dir = argv[1];
    if (chdir(dirname(&dir[0])) != 0)
        return 1;
    SoInput in;
    if (!in.openFile(basename(argv[1])))
        return 1;
    SoSeparator *root = SoDB::readAll(&in);
    if (!root)
        return 1;
    root->ref();
    fputs(gspSceneSummary(root).c_str(), stdout);
    return 0;
}
