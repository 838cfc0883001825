// The library's number fields read what the toolkit's read, and refuse
// what does not fit, in ASCII; binary numbers are plain words.
#include "support/Test.h"

TEST(BoundedNumbers, ReadWhatFitsAndRefuseTheRest)
{
    SoDB::init();
    ZnInit::initClasses();
    struct {
        const char *node, *field, *text, *want;  // want: the value as written, or NULL
    } cases[] = {
        // Short numbers go through 32-bit words, as the toolkit writes them.
        {"ZnArrow", "parts", "0x3", "0x3"},
        {"ZnArrow", "parts", "4294967296", NULL},
        {"ZnArrow", "type", "-2", "4294967294"},
        {"ZnArrow", "type", "4294967294", "4294967294"},
        {"ZnArrow", "type", "11111111111111111111111111111111", NULL},
        {"ZnArrow", "length", "2.5e1", "25"},
        {"ZnArrow", "length", "1111111111111111111111111111111111111111111111111111111111111111111",
         NULL},
        {"ZnViewNote", "isPerspectiveCamera", "FALSE", "FALSE"},
        {"ZnViewNote", "isPerspectiveCamera", "1", "TRUE"},
        {"ZnViewNote", "isPerspectiveCamera", "2", NULL},
        {"ZnViewNote", "isPerspectiveCamera", "MAYBE", NULL},
        {"ZnViewNote", "position", "1 2 3", "1 2 3"},
        {"ZnViewNote", "position", "1 2", NULL},
        {"ZnViewNote", "orientation", "0 0 1 1.5", "0 0 1  1.5"},
    };
    for (auto &c : cases) {
        std::string text = std::string("#Inventor V2.1 ascii\n\n") + c.node + " { " + c.field +
                           " " + c.text + " }\n";
        SoInput in;
        in.setBuffer((void *)text.data(), text.size());
        SoNode *node = NULL;
        bool read = SoDB::read(&in, node) && node;
        if (node)
            node->ref();
        SbString got;
        if (read)
            node->getField(c.field)->get(got);
        EXPECT_EQ(c.want ? std::string(c.want) : std::string("refused"),
                  read ? std::string(got.getString()) : std::string("refused"))
            << c.node << "." << c.field << " " << c.text;
        if (node)
            node->unref();
    }
}
