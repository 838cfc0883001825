#ifndef GLOSSPIN_TESTS_BROWSER_H
#define GLOSSPIN_TESTS_BROWSER_H

#include <string>
#include <vector>

// A published page loaded from disk in the headless browser.
namespace GspBrowser {

// The page as the browser leaves it, with "?selftest" when asked, after
// virtualMs of the page's own time.
std::string dom(const std::string &indexHtml, bool selftest, int virtualMs = 20000);

// What the page's self-test reported (the text of its report element),
// empty when it wrote none.
std::string selfTest(const std::string &indexHtml);

// What the window showed, width x height RGB, the top row first; empty
// when no picture came.
std::vector<unsigned char> screenshot(const std::string &indexHtml, int width, int height);

}

#endif
