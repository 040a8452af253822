#include "assets/texture.h"

#include <cstdlib>

#include "platform/platform.h"

const char* const kMissingImageMessage = "Hey dodo, you can't copy files";

void uploadMipmappedImage(DecodedImage& image, int unpackAlignment, GLint wrapMode) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpackAlignment);
    gluBuild2DMipmaps(GL_TEXTURE_2D, static_cast<GLint>(image.internalFormat), image.width,
                      image.height, image.pixelFormat, GL_UNSIGNED_BYTE, image.pixels);
    std::free(image.pixels);
    image.pixels = nullptr;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapMode);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapMode);
}

bool loadBmpTexture(const char* fileName) {
    DecodedImage image;
    if (!readBmpImage(fileName, &image)) {
        platformMessageBox(kMissingImageMessage, nullptr);
        return false;
    }
    uploadMipmappedImage(image, 4, GL_CLAMP_TO_EDGE);
    return true;
}
