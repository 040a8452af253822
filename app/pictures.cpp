#include "app/pictures.h"

#include <fcntl.h>
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

// A user-dirs.dirs value: quoted, with a leading $HOME for the home folder.
std::string expandHome(std::string value, const std::string& home) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    if (value.rfind("$HOME", 0) == 0) {
        value = home + value.substr(5);
    }
    return value;
}

std::string readUserDirsPictures(const std::string& home) {
    std::string config = readEnvironment("XDG_CONFIG_HOME");
    if (config.empty() && !home.empty()) {
        config = home + "/.config";
    }
    std::ifstream dirs(config + "/user-dirs.dirs");
    std::string line;
    std::string found;
    while (std::getline(dirs, line)) {
        const std::string key = "XDG_PICTURES_DIR=";
        if (line.rfind(key, 0) == 0) {
            found = expandHome(line.substr(key.size()), home);
        }
    }
    // Only a folder named in full counts: the file's own rule.
    return !found.empty() && found.front() == '/' ? found : "";
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
    if (named.empty()) {
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
        // ago by another copy of the program, is never written over.
        int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0 && errno == EEXIST) {
            continue;
        }
        if (fd < 0) {
            *why = "cannot save the picture in " + folder + ": " + std::strerror(errno);
            return false;
        }
        close(fd);
        if (!writePng(candidate, width, height, rgba)) {
            std::remove(candidate.c_str());
            *why = "cannot write the picture " + candidate;
            return false;
        }
        *path = candidate;
        return true;
    }
    *why = "cannot save the picture in " + folder + ": every name of this second is taken";
    return false;
}
