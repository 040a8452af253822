#include "scene/bubbles.h"

#include <cstdlib>

#include "assets/shader.h"
#include "platform/gl_api.h"
#include "scene/frame.h"
#include "scene/palette.h"
#include "scene/retained.h"
#include "scene/scene_state.h"

Bubble bubbles[kMaxBubbles];
int bubbleCount = 0;
TickGate bubbleStepGate;

namespace {

constexpr float kTopHeight = 26.0f;

// Each respawn test looks at the position as the tests before it left it.
void respawnIfOutside(Bubble& bubble) {
    float limit = scene.tankRadius - 3.0f;
    if (bubble.position.y > kTopHeight) respawnBubble(bubble);
    if (bubble.position.x > limit) respawnBubble(bubble);
    if (bubble.position.x < 3.0f - scene.tankRadius) respawnBubble(bubble);
    if (bubble.position.z > limit) respawnBubble(bubble);
    if (bubble.position.z < 3.0f - scene.tankRadius) respawnBubble(bubble);
}

// The active bubbles in one call, read where they lie in the table. The
// colour and the material each point would set are the same for all, and
// set only when there is a point, as sending them with every point did.
void drawBubblePoints() {
    if (bubbleCount == 0) {
        return;
    }
    glColor4fv(palette.paletteWhite);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, palette.paletteWhite);
    glVertexPointer(3, GL_FLOAT, sizeof(Bubble), &bubbles[0].position);
    glEnableClientState(GL_VERTEX_ARRAY);
    glDrawArrays(GL_POINTS, 0, bubbleCount);
    glDisableClientState(GL_VERTEX_ARRAY);
}

} // namespace

void respawnBubble(Bubble& bubble) {
    bubble.position = {0.0f, 0.0f, 0.0f};
    bubble.velocity.x = static_cast<float>(std::rand() % 20 - 10) * 0.01f;
    bubble.velocity.y = static_cast<float>(std::rand() % 3) * 0.1f + 0.2f;
    bubble.velocity.z = static_cast<float>(std::rand() % 20 - 10) * 0.01f;
}

void initBubbles() {
    for (Bubble& bubble : bubbles) {
        respawnBubble(bubble);
    }
}

void stepBubbles() {
    if (bubbleCount < kMaxBubbles) {
        ++bubbleCount;
    }
    for (int i = 0; i < bubbleCount; ++i) {
        Bubble& bubble = bubbles[i];
        bubble.position.x += bubble.velocity.x;
        bubble.position.y += bubble.velocity.y;
        bubble.position.z += bubble.velocity.z;
        respawnIfOutside(bubble);
    }
}

void updateAndDrawBubbles() {
    useProgram(0);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_BLEND);
    int due = repeatingMoment ? 0 : checkTickGate(bubbleStepGate);
    for (int i = 0; i < due; ++i) {
        stepBubbles();
    }
    if (due > 0) {
        restartTickGate(bubbleStepGate);
    }

    glPointSize(5.0f);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, scene.bubbleTexture);
    glEnable(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE1);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    if (retainedGeometry) {
        drawBubblePoints();
    } else {
        glBegin(GL_POINTS);
        for (int i = 0; i < bubbleCount; ++i) {
            glColor4fv(palette.paletteWhite);
            glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, palette.paletteWhite);
            glVertex3f(bubbles[i].position.x, bubbles[i].position.y, bubbles[i].position.z);
        }
        glEnd();
    }

    glEnable(GL_TEXTURE_2D);  // unit 1, still the active unit
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, scene.sandTexture);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glEnable(GL_LIGHTING);
}
