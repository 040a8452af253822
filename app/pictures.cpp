#include "app/pictures.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "assets/png_writer.h"
#include "platform/gl_api.h"

namespace {

std::string readEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// The folder a user-dirs.dirs value names: VALUE is the text after '=', a
// double-quoted string holding "$HOME/..." or an absolute path, with \" \\ \$
// and \` standing for the character after the backslash. "" for a value of
// any other form, or one that needs HOME when it is not set.
std::string parseUserDirsValue(const std::string& value, const std::string& home) {
    if (value.empty() || value.front() != '"') {
        return "";
    }
    size_t at = 1;
    std::string folder;
    // The home prefix is the raw text's: an escaped "\$HOME" is a name, not HOME.
    if (value.compare(at, 5, "$HOME") == 0 && (value[at + 5] == '/' || value[at + 5] == '"')) {
        if (home.empty()) {
            return "";
        }
        folder = home;
        at += 5;
    }
    for (; at < value.size() && value[at] != '"'; ++at) {
        if (value[at] == '\\' && at + 1 < value.size()) {
            ++at;
        }
        folder += value[at];
    }
    bool closed = at < value.size();
    // Only a folder named in full counts: the file's own rule.
    return closed && !folder.empty() && folder.front() == '/' ? folder : "";
}

// XDG_PICTURES_DIR from $XDG_CONFIG_HOME/user-dirs.dirs (else
// ~/.config/user-dirs.dirs); the last such line wins; "" when none says.
std::string readUserDirsPictures(const std::string& home) {
    std::string config = readEnvironment("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is to be ignored, as the base directory rules say.
    if (config.empty() || config.front() != '/') {
        config = home.empty() ? "" : home + "/.config";
    }
    if (config.empty()) {
        return "";
    }
    std::ifstream dirs(config + "/user-dirs.dirs");
    std::string line;
    std::string found;
    const std::string key = "XDG_PICTURES_DIR=";
    while (std::getline(dirs, line)) {
        size_t start = line.find_first_not_of(" \t");
        if (start != std::string::npos && line.compare(start, key.size(), key) == 0) {
            found = parseUserDirsValue(line.substr(start + key.size()), home);
        }
    }
    return found;
}

// The name PATH still leads to the file that MADE describes: not removed,
// and not replaced by a link or another file.
bool stillOurFile(const std::string& path, const struct stat& made) {
    struct stat now;
    return lstat(path.c_str(), &now) == 0 && now.st_dev == made.st_dev && now.st_ino == made.st_ino;
}

// Writes the PNG through FD and closes FD. True when every byte reached the
// file; false with the system's or the encoder's reason in *WHY.
bool writeThroughDescriptor(int fd, int width, int height, const std::vector<uint8_t>& rgba, std::string* why) {
    std::FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        *why = std::strerror(errno);
        close(fd);
        return false;
    }
    bool written = writePng(file, width, height, rgba, why);
    // A file system that reports late (NFS) does so on the close.
    if (std::fclose(file) != 0 && written) {
        *why = std::strerror(errno);
        written = false;
    }
    return written;
}

// Writes the picture through FD, just made as PATH, and closes FD; MADE is
// that file's fstat. True when the picture is in the file that PATH names;
// false with the cause in *WHY, a partial file of ours removed.
bool fillNewFile(int fd, const struct stat& made, const std::string& path, int width, int height,
                 const std::vector<uint8_t>& rgba, std::string* why) {
    std::string reason;
    if (!writeThroughDescriptor(fd, width, height, rgba, &reason)) {
        // Half a picture is removed; a name that now leads elsewhere is not
        // ours to remove.
        if (stillOurFile(path, made)) {
            unlink(path.c_str());
        }
        *why = "cannot write the picture " + path + ": " + reason;
        return false;
    }
    if (!stillOurFile(path, made)) {
        *why = "cannot save the picture " + path + ": another program put a file in its place while it was written";
        return false;
    }
    return true;
}

} // namespace

std::vector<uint8_t> readShownPicture(int* width, int* height) {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    *width = viewport[2];
    *height = viewport[3];
    std::vector<uint8_t> rgba(static_cast<size_t>(*width) * static_cast<size_t>(*height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(viewport[0], viewport[1], *width, *height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    // The window shows no alpha; the frame's own is what blending left.
    for (size_t i = 3; i < rgba.size(); i += 4) {
        rgba[i] = 255;
    }
    return rgba;
}

std::string findPicturesFolder() {
    std::string home = readEnvironment("HOME");
    std::string named = readEnvironment("XDG_PICTURES_DIR");
    // A relative folder would be relative to wherever the program was started.
    if (named.empty() || named.front() != '/') {
        named = readUserDirsPictures(home);
    }
    return !named.empty() ? named : home;
}

std::string namePicture(const std::tm& when) {
    char name[64];
    std::strftime(name, sizeof name, "Marivelle %Y-%m-%d %H-%M-%S.png", &when);
    return name;
}

bool savePicture(const std::string& folder, const std::string& name, int width, int height,
                 const std::vector<uint8_t>& rgba, std::string* path, std::string* why) {
    if (folder.empty()) {
        *why = "there is no pictures folder (HOME is not set)";
        return false;
    }
    std::string stem = name.substr(0, name.size() - 4);
    for (int copy = 1; copy < 1000; ++copy) {
        std::string candidate = folder + "/" + (copy == 1 ? stem : stem + " (" + std::to_string(copy) + ")") + ".png";
        // Made here or not at all: a file that exists, even one made a moment
        // ago by another copy of the program, is never written over. Every
        // byte then goes through this descriptor, never through the name,
        // which another program could point elsewhere meanwhile.
        int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno == EEXIST) {
            continue;
        }
        struct stat made;
        if (fd >= 0 && fstat(fd, &made) != 0) {
            int error = errno;
            close(fd);
            errno = error;
            fd = -1;
        }
        if (fd < 0) {
            *why = "cannot save the picture in " + folder + ": " + std::strerror(errno);
            return false;
        }
        if (!fillNewFile(fd, made, candidate, width, height, rgba, why)) {
            return false;
        }
        *path = candidate;
        return true;
    }
    *why = "cannot save the picture in " + folder + ": every name of this second is taken";
    return false;
}
