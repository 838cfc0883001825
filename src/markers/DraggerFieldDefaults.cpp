#include "DraggerFieldDefaults.h"

#include <Inventor/fields/SoField.h>

void GspDraggerFieldDefaults::remember(std::initializer_list<SoField *> fields)
{
    if (!kept.empty())
        return;  // attached again: the fields' first state stands
    for (SoField *f : fields)
        if (f->isDefault()) {
            kept.push_back({f, SbString()});
            f->get(kept.back().value);
        }
}

void GspDraggerFieldDefaults::restore()
{
    for (Kept &k : kept) {
        SbString now;
        k.field->get(now);
        if (now == k.value)
            k.field->setDefault(TRUE);
    }
    kept.clear();
}
