// The bounded string list reads what the toolkit's does, in both
// encodings, and refuses a binary count the input cannot hold.
#include "support/Test.h"

namespace {

// The strings of the bitmap text node read from text, or "fails".
std::string readStrings(const std::string &text)
{
    SoInput in;
    in.setBuffer((void *)text.data(), text.size());
    GspTest::Held<SoSeparator> root(SoDB::readAll(&in));
    SoBitmapText *node = root ? GspTest::nth<SoBitmapText>(root) : NULL;
    if (!node)
        return "fails";
    std::string out;
    for (int i = 0; i < node->string.getNum(); i++)
        out += (i ? "|" : "") + std::string(node->string[i].getString());
    return out;
}

}

TEST(BoundedString, ReadsListsAndRefusesCountsTheInputCannotHold)
{
    SoDB::init();
    SoBitmapText::initClass();
    GspTest::Held<SoBitmapText> two(new SoBitmapText);
    const char *values[] = {"a", ""};
    two->string.setValues(0, 2, values);
    std::string binary = GspTest::writeToBuffer(two, true);
    // The count word stands before the first string's length word.
    size_t count = binary.find(std::string("\0\0\0\2\0\0\0\1a", 9));
    ASSERT_NE(std::string::npos, count);
    auto withCount = [&](char last, char first = 0) {
        std::string b = binary;
        b[count] = first;
        b[count + 3] = last;
        return b;
    };
    const std::string ascii = "#Inventor V2.1 ascii\n\nSoBitmapText { string ";
    struct {
        std::string text, want;
    } cases[] = {
        {ascii + "one }", "one"},
        {ascii + "\"a b\" }", "a b"},
        {ascii + "[ ] }", ""},
        {ascii + "[ x , \"y z\", ] }", "x|y z"},
        {ascii + "[ x \"y\" ] }", "fails"},
        {ascii + "[ x, y", "fails"},
        {binary, "a|"},
        {withCount(3), "fails"},
        {withCount('\xff', '\x7f'), "fails"},
    };
    for (auto &c : cases)
        EXPECT_EQ(c.want, readStrings(c.text)) << c.text.substr(22, 40);
}
