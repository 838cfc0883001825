// A program linked with the toolkit alone, as a user without the library
// has it: reads a scene file and writes what it read back in ASCII to
// standard output. Exits 1 when the toolkit cannot read the file.
#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/SoOutput.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/nodekits/SoNodeKit.h>
#include <Inventor/nodes/SoSeparator.h>

int main(int argc, char **argv)
{
    SoDB::init();
    SoNodeKit::init();
    SoInput in;
    if (argc != 2 || !in.openFile(argv[1]))
        return 2;
    SoSeparator *root = SoDB::readAll(&in);
    if (!root)
        return 1;
    root->ref();
    SoOutput out;
    SoWriteAction wa(&out);
    wa.apply(root);
    root->unref();
    return 0;
}
