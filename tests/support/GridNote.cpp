#include "support/GridNote.h"

SO_NODE_SOURCE(GridNote);
