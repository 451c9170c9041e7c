#include "desktop/FontConfiguration.h"

#include <fontconfig/fontconfig.h>

void PreloadFontConfiguration() {
    // Thread-safe; a later call, Qt's among them, returns the configuration loaded here.
    FcInit();
}
