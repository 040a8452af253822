#include "app/moment.h"

#include "app/clock.h"
#include "app/viewport.h"
#include "platform/platform.h"
#include "scene/frame.h"

int drawMoment(void (*finish)()) {
    int count = platformGetOutputCount();
    int drawn = 0;
    for (int i = 0; i < count; ++i) {
        if (!platformIsOutputVisible(i)) {
            continue;
        }
        // An output that is not the one the viewport was last set for gets
        // its own, whether several are shown or one is left of several.
        if (count > 1 || readViewportOutput() != i) {
            platformMakeOutputCurrent(i);
            int width = 0;
            int height = 0;
            platformGetOutputSize(i, &width, &height);
            resizeViewportFor(i, width, height);
        }
        if (drawn == 0 && !isScenePaused()) {
            renderFrame();
        } else {
            renderRepeatedFrame();
        }
        if (finish != nullptr) {
            finish();
        }
        platformPresentOutput(i);
        ++drawn;
    }
    return drawn;
}
