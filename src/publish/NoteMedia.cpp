#include "publish/NoteMedia.h"

#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <Glosspin/ZnImageNote.h>
#include <Glosspin/ZnMovieNote.h>
#include <Glosspin/ZnSoundNote.h>

#include "platform/TempFiles.h"

extern char **environ;

const char *gspPageMediaSuffix(const ZnNote *note)
{
    if (note->isOfType(ZnImageNote::getClassTypeId()))
        return ".png";
    if (note->isOfType(ZnMovieNote::getClassTypeId()))
        return ".webm";
    if (note->isOfType(ZnSoundNote::getClassTypeId()))
        return ".ogg";
    return "";
}

bool gspRunAndWait(const char *const *argv, std::string &why)
{
    // The program's error output goes to an unnamed file, read on failure.
    int errors = GspTempFiles::createAnonymous();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (errors >= 0)
        posix_spawn_file_actions_adddup2(&actions, errors, 2);
    pid_t pid;
    int rc = posix_spawnp(&pid, argv[0], &actions, NULL, (char *const *)argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        if (errors >= 0)
            close(errors);
        why = std::string("cannot run ") + argv[0] + ": " + strerror(rc);
        return false;
    }
    int status;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!ok) {
        std::string text;
        char buf[4096];
        ssize_t n;
        if (errors >= 0 && lseek(errors, 0, SEEK_SET) == 0)
            while ((n = read(errors, buf, sizeof buf)) > 0 && text.size() < 65536)
                text.append(buf, (size_t)n);
        while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
            text.pop_back();
        size_t last = text.rfind('\n');
        if (last != std::string::npos)
            text.erase(0, last + 1);  // the last line says why
        why = std::string(argv[0]) +
              (WIFEXITED(status) && WEXITSTATUS(status) == 127 ? " is not installed"
                                                               : " failed");
        if (!text.empty())
            why += ": " + text;
    }
    if (errors >= 0)
        close(errors);
    return ok;
}

bool gspConvertNoteMedia(ZnNote *note, const std::string &target, std::string &why)
{
    std::string source = target + ".source";
    if (!note->extractDataTo(source.c_str())) {
        unlink(source.c_str());
        why = "its media cannot be read";
        return false;
    }
    bool ok;
    if (note->isOfType(ZnImageNote::getClassTypeId())) {
        // The first frame of an image of several, flattened.
        std::string first = source + "[0]";
        const char *argv[] = {"convert", first.c_str(), "-flatten", target.c_str(), NULL};
        ok = gspRunAndWait(argv, why);
    } else if (note->isOfType(ZnMovieNote::getClassTypeId())) {
        const char *argv[] = {"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-i",
                              source.c_str(), "-c:v", "libvpx", "-b:v", "1M", "-c:a",
                              "libvorbis", target.c_str(), NULL};
        ok = gspRunAndWait(argv, why);
    } else {
        const char *argv[] = {"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-i",
                              source.c_str(), "-vn", "-c:a", "libvorbis", target.c_str(), NULL};
        ok = gspRunAndWait(argv, why);
    }
    unlink(source.c_str());
    if (!ok)
        unlink(target.c_str());
    return ok;
}
