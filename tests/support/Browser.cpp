#include "support/Test.h"

#include "support/Browser.h"

#include <stb/stb_image.h>

#include "support/Run.h"
#include "support/TempDir.h"

namespace {

std::string command(const TempDir &profile, const std::string &options, const std::string &url)
{
    return "chromium-headless-shell --no-sandbox --enable-unsafe-swiftshader "
           "--use-angle=swiftshader --user-data-dir='" + profile.path() + "' " + options +
           " 'file://" + url + "' 2>/dev/null";
}

std::string unescaped(std::string text)
{
    static const char *const entities[][2] = {{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""},
                                               {"&amp;", "&"}};
    for (const auto &e : entities)
        for (size_t at = 0; (at = text.find(e[0], at)) != std::string::npos; at += 1)
            text.replace(at, strlen(e[0]), e[1]);
    return text;
}

}

std::string GspBrowser::dom(const std::string &indexHtml, bool selftest, int virtualMs)
{
    TempDir profile;
    std::string out;
    GspTest::run(command(profile, "--virtual-time-budget=" + std::to_string(virtualMs) +
                                      " --window-size=800,600 --dump-dom",
                         indexHtml + (selftest ? "?selftest" : "")),
                 out);
    return out;
}

std::string GspBrowser::selfTest(const std::string &indexHtml)
{
    std::string page = dom(indexHtml, true);
    const std::string open = "<pre id=\"glosspin-selftest\">";
    size_t at = page.find(open);
    if (at == std::string::npos)
        return "";
    at += open.size();
    return unescaped(page.substr(at, page.find("</pre>", at) - at));
}

std::vector<unsigned char> GspBrowser::screenshot(const std::string &indexHtml, int width,
                                                  int height)
{
    TempDir profile;
    std::string png = profile.file("shot.png"), out;
    GspTest::run(command(profile,
                         "--virtual-time-budget=3000 --hide-scrollbars --window-size=" +
                             std::to_string(width) + "," + std::to_string(height) +
                             " --screenshot='" + png + "'",
                         indexHtml),
                 out);
    int w = 0, h = 0, n = 0;
    unsigned char *pixels = stbi_load(png.c_str(), &w, &h, &n, 3);
    std::vector<unsigned char> rgb;
    if (pixels && w == width && h == height)
        rgb.assign(pixels, pixels + (size_t)w * (size_t)h * 3);
    stbi_image_free(pixels);
    return rgb;
}
