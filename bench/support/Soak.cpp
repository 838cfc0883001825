#include "support/Soak.h"
// Before the X headers: their macros break the test framework's.
#include "support/XtTestEnv.h"

#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include <Glosspin/Glosspin.h>
#include <Inventor/nodes/SoSeparator.h>

#include "support/ProcNote.h"
#include "support/Run.h"
#include "support/TempDir.h"

namespace GspSoak {

namespace {

// Processes whose parent is this one.
int children()
{
    int n = 0;
    std::string self = std::to_string((long)getpid());
    if (DIR *d = opendir("/proc")) {
        while (struct dirent *e = readdir(d)) {
            if (e->d_name[0] < '0' || e->d_name[0] > '9')
                continue;
            std::string stat = std::string("/proc/") + e->d_name + "/stat";
            char line[512] = "";
            if (FILE *f = fopen(stat.c_str(), "r")) {
                if (!fgets(line, sizeof line, f))
                    line[0] = '\0';
                fclose(f);
            }
            // pid (comm) state ppid: the name may hold spaces, not ')'.
            const char *close = strrchr(line, ')');
            char state;
            long parent;
            if (close && sscanf(close + 1, " %c %ld", &state, &parent) == 2 &&
                parent == atol(self.c_str()))
                n++;
        }
        closedir(d);
    }
    return n;
}

long residentKiB()
{
    long pages = 0, resident = 0;
    if (FILE *f = fopen("/proc/self/statm", "r")) {
        if (fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

}

Sample sample(int changes)
{
    const char *tmp = getenv("TMPDIR");
    return {changes, GspTest::openDescriptors(), children(),
            (int)TempDir::entriesOf(tmp ? tmp : "/tmp").size(), residentKiB()};
}

std::vector<Sample> run(int markers, int changes, int every)
{
    GspTest::topLevel();
    ZnCommon::editMode = 1;
    static char icon[24 * 24 * 3], active[24 * 24 * 3];
    SoSeparator *root = new SoSeparator;
    root->ref();
    ZnMarkerSequencer *sequencer = new ZnMarkerSequencer;
    for (int i = 0; i < markers; i++) {
        ZnBulletMarker *marker = new ZnBulletMarker;
        SoGroup *notes = (SoGroup *)marker->getPart("notes", TRUE);
        for (int k = 0; k < 3; k++) {
            ProcNote *note = new ProcNote;
            note->setIconData(24, 24, icon);
            note->setActiveIconData(active);
            note->playerArgs = {"exit", "0"};
            note->track() = 1;
            note->startNextNote = 1;
            notes->addChild(note);
        }
        root->addChild(marker);
        sequencer->appendMarker(marker);
    }
    root->addChild(sequencer);

    std::vector<Sample> samples{sample(0)};
    for (int done = 0; done < changes;) {
        int current = sequencer->getCurrentIndex();
        if (current < 0) {
            // Between tours nothing plays: the moment to take stock.
            if (done > 0 && done % every == 0) {
                GspTest::pumpEvents(20);
                samples.push_back(sample(done));
            }
            sequencer->playerCommand(ZnMarkerSequencer::PLAY_ALL);
            done++;
        } else if (!GspTest::pumpUntil([&] { return sequencer->getCurrentIndex() != current; },
                                       10000)) {
            break;  // the tour stalled: the caller sees too few samples
        } else {
            done += sequencer->getCurrentIndex() >= 0;
        }
    }
    GspTest::pumpUntil([&] { return sequencer->getCurrentIndex() < 0; }, 10000);
    GspTest::pumpEvents(20);
    samples.push_back(sample(changes));
    sequencer->playerCommand(ZnMarkerSequencer::STOP);
    root->unref();
    return samples;
}

void print(const std::vector<Sample> &samples)
{
    printf("%8s %12s %9s %11s %13s\n", "changes", "descriptors", "children", "temp files",
           "resident KiB");
    for (const Sample &s : samples)
        printf("%8d %12d %9d %11d %13ld\n", s.changes, s.descriptors, s.children, s.tempFiles,
               s.residentKiB);
}

}
