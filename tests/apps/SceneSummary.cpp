#include "SceneSummary.h"

#include <stdio.h>
#include <unistd.h>

#include <Glosspin/Glosspin.h>
#include <Inventor/SoPath.h>
#include <Inventor/actions/SoSearchAction.h>

namespace {

}

// Size and FNV-1a hash.
std::string gspFileHash(const std::string &path)
{
    FILE *fp = fopen(path.c_str(), "rb");
    if (!fp)
        return "unreadable";
    unsigned long long h = 1469598103934665603ull, n = 0;
    for (int c; (c = getc(fp)) != EOF; n++)
        h = (h ^ (unsigned)c) * 1099511628211ull;
    fclose(fp);
    return std::to_string(n) + ":" + std::to_string(h);
}

namespace {

std::string noteLine(ZnNote *note)
{
    std::string line = note->getTypeId().getName().getString();
    if (note->isOfType(ZnTextNote::getClassTypeId())) {
        ZnTextNote *t = (ZnTextNote *)note;
        t->updateLocalData();
        return line + "=" + t->getText().getString();
    }
    if (!note->usingMediaData())
        return line;
    char name[] = "/tmp/gsp_summary.XXXXXX";
    int fd = mkstemp(name);
    if (fd < 0)
        return line + "=?";
    close(fd);
    std::string hash = note->extractDataTo(name) ? gspFileHash(name) : "none";
    unlink(name);
    return line + "=" + hash;
}

}

std::string gspSceneSummary(SoNode *root)
{
    SoSearchAction sa;
    sa.setType(ZnMarkerSequencer::getClassTypeId());
    sa.apply(root);
    if (!sa.getPath())
        return "no sequencer\n";
    ZnMarkerSequencer *seq = (ZnMarkerSequencer *)sa.getPath()->getTail();
    std::string out;
    for (int i = 0; i < seq->getNumMarkers(); i++) {
        ZnMarker *m = seq->getMarker(i);
        out += std::string(m->getTypeId().getName().getString()) + " '" +
               m->getLabel().getString() + "'";
        if (m->isOfType(ZnArrowMarker::getClassTypeId())) {
            SoPath *p = ((ZnArrowMarker *)m)->getPathToObject();
            out += std::string(" -> ") +
                   (p ? p->getTail()->getTypeId().getName().getString() : "nothing");
        }
        ZnNoteList *list = (ZnNoteList *)m->getPart("notes", TRUE);
        for (int k = 0; k < list->getNumChildren(); k++)
            if (list->getChild(k)->isOfType(ZnNote::getClassTypeId()))
                out += " | " + noteLine((ZnNote *)list->getChild(k));
        out += "\n";
    }
    return out;
}
