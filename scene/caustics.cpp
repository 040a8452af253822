#include "scene/caustics.h"

#include "scene/frame.h"

#include <cstdio>

#include "assets/image.h"
#include "assets/texture.h"
#include "platform/platform.h"

CausticSet causticSet;

const float causticPlaneS[4] = {0.35f, 0.21f, 0.0f, 0.0f};
const float causticPlaneT[4] = {0.0f, 0.21f, 0.35f, 0.0f};

void formatCausticFileName(int frame, char* name, int size) {
    std::snprintf(name, static_cast<size_t>(size), "caust%02d.tga", frame);
}

void loadCausticTextures() {
    glDeleteTextures(kCausticFrameCount, causticSet.causticTextures);
    glGenTextures(kCausticFrameCount, causticSet.causticTextures);
    for (int i = 0; i < kCausticFrameCount; ++i) {
        glBindTexture(GL_TEXTURE_2D, causticSet.causticTextures[i]);
        char name[128];
        formatCausticFileName(i, name, sizeof name);
        DecodedImage image;
        if (!readTgaImage(name, &image)) {
            platformMessageBox(kMissingImageMessage, nullptr);
            return;
        }
        uploadMipmappedImage(image, 1, GL_REPEAT);
    }
    glActiveTexture(GL_TEXTURE1);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGenfv(GL_S, GL_OBJECT_PLANE, causticPlaneS);
    glTexGenfv(GL_T, GL_OBJECT_PLANE, causticPlaneT);
    glActiveTexture(GL_TEXTURE0);
}

void advanceCausticFrame() {
    int due = repeatingMoment ? 0 : checkTickGate(causticSet.causticStepGate);
    int& frame = causticSet.causticFrame;
    for (int i = 0; i < due; ++i) {
        frame = frame >= kCausticFrameCount - 1 ? 0 : frame + 1;
    }
    if (due > 0) {
        restartTickGate(causticSet.causticStepGate);
    }
}

void bindCausticFrame() {
    glActiveTexture(GL_TEXTURE1);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, causticSet.causticTextures[causticSet.causticFrame]);
    glActiveTexture(GL_TEXTURE0);
}
