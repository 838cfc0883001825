#ifndef GLOSSPIN_FIELD_INPUTACCESS_H
#define GLOSSPIN_FIELD_INPUTACCESS_H

#include <Inventor/SoInput.h>

#include "init/PrivateMember.h"

// The toolkit's input keeps its line counter in the current file record,
// which it does not expose. A skipped block must still advance it, so
// that read errors after the block name the right line.
struct GspInputCurFileTag {
    typedef SoInputFile *SoInput::*type;
    friend type memberOf(GspInputCurFileTag);
};
template struct GspPrivateMember<GspInputCurFileTag, &SoInput::curFile>;

namespace GspInputAccess {

inline void addLines(SoInput *in, int lines)
{
    SoInputFile *f = in->*memberOf(GspInputCurFileTag());
    if (f)
        f->lineNum += lines;
}

}

#endif
