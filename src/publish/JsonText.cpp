#include "publish/JsonText.h"

#include <math.h>
#include <stdio.h>

std::string gspJsonQuote(const std::string &text)
{
    std::string out = "\"";
    for (size_t i = 0; i < text.size(); i++) {
        unsigned char c = (unsigned char)text[i];
        char buf[8];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += (char)c;
        } else if (c < 0x20 || c == '<' || c == '>' || c == '&') {
            snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else if (c == 0xe2 && i + 2 < text.size() && (unsigned char)text[i + 1] == 0x80 &&
                   ((unsigned char)text[i + 2] == 0xa8 || (unsigned char)text[i + 2] == 0xa9)) {
            out += (unsigned char)text[i + 2] == 0xa8 ? "\\u2028" : "\\u2029";
            i += 2;
        } else {
            out += (char)c;
        }
    }
    return out + "\"";
}

std::string gspJsonNumber(double value)
{
    if (!isfinite(value))
        return "0";
    char buf[32];
    snprintf(buf, sizeof buf, "%.9g", value);
    return buf;
}
