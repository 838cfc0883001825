#include <Glosspin/SoMFGrowingNode.h>

#include <string.h>

// Growth within the spare room only counts the new values in; they are
// empty (the room is kept empty). Beyond it the toolkit's list makes the
// room, at least double, and empties the spare part. Shrinking is left
// to the toolkit's list, which lets the values beyond the new end go and
// gives the spare room back.
void SoMFGrowingNode::allocValues(int newNum)
{
    if (newNum <= num) {
        SoMFNode::allocValues(newNum);
        return;
    }
    if (newNum <= maxNum) {
        memset(values + num, 0, sizeof(SoNode *) * (newNum - num));
        num = newNum;
        return;
    }
    int room = newNum < 2 * num ? 2 * num : newNum;
    int had = num;
    SoMFNode::allocValues(room);
    memset(values + had, 0, sizeof(SoNode *) * (room - had));
    num = newNum;
}
