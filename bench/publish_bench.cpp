// Publishing the sample scene as a web page (media left out, so that the
// converters' time is not counted) against writing the same scene as a
// binary scene file, alternately; and the page's size against the
// three.js files it copies and its glTF.
#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <Glosspin/ZnInit.h>
#include <Glosspin/ZnWebPublisher.h>
#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/SoOutput.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/nodes/SoSeparator.h>

#include "support/Alternation.h"

namespace {

// Bytes of the files under path, leaving out the folders named in skip.
long bytesUnder(const std::string &path, const std::string &skip = "")
{
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return 0;
    if (!S_ISDIR(st.st_mode))
        return (long)st.st_size;
    long total = 0;
    DIR *d = opendir(path.c_str());
    while (struct dirent *e = d ? readdir(d) : NULL) {
        std::string name = e->d_name;
        if (name != "." && name != ".." && (" " + skip + " ").find(" " + name + " ") == std::string::npos)
            total += bytesUnder(path + "/" + name);
    }
    if (d)
        closedir(d);
    return total;
}

// The glTF's size from its base64 text in the page's data.
long glbBytes(const std::string &sceneJs)
{
    std::string text;
    if (FILE *f = fopen(sceneJs.c_str(), "r")) {
        char buf[65536];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0)
            text.append(buf, n);
        fclose(f);
    }
    size_t at = text.find("GLOSSPIN_GLB = \"");
    if (at == std::string::npos)
        return 0;
    at += 16;
    size_t end = text.find('"', at);
    long padding = (long)(text[end - 1] == '=') + (long)(text[end - 2] == '=');
    return (long)(end - at) / 4 * 3 - padding;
}

}

int main()
{
    SoDB::init();
    ZnInit::initClasses();
    if (chdir(GLOSSPIN_SAMPLE_DIR) != 0)
        return 1;
    SoInput in;
    if (!in.openFile("annotated.iv"))
        return 1;
    SoSeparator *scene = SoDB::readAll(&in);
    if (!scene)
        return 1;
    scene->ref();
    char dir[] = "/tmp/gspbench.XXXXXX";
    if (!mkdtemp(dir))
        return 1;
    std::string page = std::string(dir) + "/page", iv = std::string(dir) + "/scene.iv";

    printf("Publishing the sample scene (media not converted) against writing it as a binary\n"
           "scene file, alternately.\n");
    auto publish = [&] {
        ZnWebPublisher publisher;
        publisher.setConvertMedia(FALSE);
        if (!publisher.publish(scene, page.c_str(), "sample"))
            abort();
    };
    auto write = [&] {
        SoOutput out;
        if (!out.openFile(iv.c_str()))
            abort();
        out.setBinary(TRUE);
        SoWriteAction(&out).apply(scene);
        out.closeFile();
    };
    GspBench::Ratio r = GspBench::alternate([&] { return GspBench::noTime(publish); },
                                            [&] { return GspBench::noTime(write); }, 15);
    GspBench::print("publish / binary write", r);

    // With its media: the page's own files against the allowance.
    ZnWebPublisher publisher;
    if (!publisher.publish(scene, page.c_str(), "sample"))
        return 1;
    long three = bytesUnder(page + "/three"), glb = glbBytes(page + "/scene.js");
    long own = bytesUnder(page, "three media scenes");
    printf("  %-40s %8ld bytes\n", "three.js files", three);
    printf("  %-40s %8ld bytes\n", "glTF", glb);
    printf("  %-40s %8ld bytes (script %ld, data %ld, icons %ld)\n", "the page's own files", own,
           bytesUnder(page + "/glosspin.js"), bytesUnder(page + "/scene.js"),
           bytesUnder(page + "/icons"));
    printf("  %-40s %8.3f  (target: at most 1 + 2 x glTF / three.js = %.3f)\n",
           "page without media / three.js", (double)(three + own) / (double)three,
           1 + 2.0 * (double)glb / (double)three);
    std::string cmd = std::string("rm -rf '") + dir + "'";
    if (system(cmd.c_str()) != 0)
        return 1;
    scene->unref();
    return 0;
}
