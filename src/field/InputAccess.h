#ifndef GLOSSPIN_FIELD_INPUTACCESS_H
#define GLOSSPIN_FIELD_INPUTACCESS_H

#include <Inventor/SoInput.h>

// The toolkit's input keeps its line counter in the current file record,
// which it does not expose. A skipped block must still advance it, so
// that read errors after the block name the right line. The member is
// reached through the explicit-instantiation rule, which permits naming
// private members in template arguments.
namespace GspInputAccess {

template <typename Tag, typename Tag::type Member>
struct Grant {
    friend typename Tag::type memberOf(Tag) { return Member; }
};

struct CurFileTag {
    typedef SoInputFile *SoInput::*type;
    friend type memberOf(CurFileTag);
};

template struct Grant<CurFileTag, &SoInput::curFile>;

inline void addLines(SoInput *in, int lines)
{
    SoInputFile *f = in->*memberOf(CurFileTag());
    if (f)
        f->lineNum += lines;
}

}

#endif
