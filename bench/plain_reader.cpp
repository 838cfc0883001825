// Reads a scene file with the toolkit alone and prints the seconds taken.
#include <stdio.h>
#include <time.h>

#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/nodes/SoSeparator.h>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    SoDB::init();
    struct timespec a, b;
    clock_gettime(CLOCK_MONOTONIC, &a);
    SoInput in;
    if (!in.openFile(argv[1]))
        return 1;
    SoSeparator *root = SoDB::readAll(&in);
    clock_gettime(CLOCK_MONOTONIC, &b);
    if (!root)
        return 1;
    printf("%.6f\n", (double)(b.tv_sec - a.tv_sec) + (b.tv_nsec - a.tv_nsec) * 1e-9);
    return 0;
}
