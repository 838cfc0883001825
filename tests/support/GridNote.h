#ifndef GLOSSPIN_TESTS_GRIDNOTE_H
#define GLOSSPIN_TESTS_GRIDNOTE_H

#include "support/Test.h"

// An in-process note: a white icon of any size, or one whose pixels give
// their column and row (coded()); play and kill are counted, and the test
// ends its playback with finish().
class GridNote : public ZnNote {
    SO_NODE_HEADER(GridNote);

  public:
    static void initClass() { SO_NODE_INIT_CLASS(GridNote, ZnNote, "ZnNote"); }
    GridNote(int w = 24, int h = 24, std::vector<GridNote *> *log = NULL) : played(log)
    {
        SO_NODE_CONSTRUCTOR(GridNote);
        pixels.assign(3 * w * h, 255);
        setIconData(w, h, pixels.data());
        setActiveIconData(pixels.data());
    }
    // Each pixel's column and row times 10 in red and green, blue 200.
    GridNote *coded()
    {
        for (size_t i = 0; i < pixels.size(); i += 3) {
            int col = (int)(i / 3 % 24), row = (int)(i / 3 / 24);
            pixels[i] = (char)(col * 10);
            pixels[i + 1] = (char)(row * 10);
            pixels[i + 2] = (char)200;
        }
        return this;
    }
    int gatherPendingData(int) override { return pendingData; }
    int getUndoWeight() override { return 7; }
    void play(int autoPlay) override
    {
        ZnNote::play(autoPlay);
        playing = true;
        plays++;
        if (played)
            played->push_back(this);
    }
    int isPlaying() const override { return playing; }
    void killPlayer() override
    {
        playing = false;
        kills++;
    }
    void finish()
    {
        playing = false;
        callPlayerFinished();
    }
    const SbVec3f &getOffset() const { return offset; }

    std::vector<GridNote *> *played;
    std::vector<char> pixels;
    bool playing = false;
    int plays = 0, kills = 0, pendingData = 1;
};

#endif
