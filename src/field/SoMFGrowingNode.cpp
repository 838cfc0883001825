#include <Glosspin/SoMFGrowingNode.h>

#include <string.h>

// Growth within the spare room only counts the new values in; they are
// empty (the room is kept empty). Beyond it the toolkit's list makes the
// room, at least double, and empties the spare part. A list that shrinks
// to a quarter of its room or less is left to the toolkit's list, which
// lets the values beyond the new end go and gives the room back; a smaller
// shrink lets them go the same way (each set empty, without notification:
// the caller notifies once) and keeps the room.
void SoMFGrowingNode::allocValues(int newNum)
{
    if (newNum < num && newNum > maxNum / 4) {
        SbBool notify = enableNotify(FALSE);
        for (int i = newNum; i < num; i++)
            set1Value(i, NULL);
        enableNotify(notify);
        num = newNum;
        return;
    }
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
