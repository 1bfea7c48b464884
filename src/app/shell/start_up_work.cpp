#include "start_up_work.h"

#if defined(DM_HAVE_FONTCONFIG)
#include <fontconfig/fontconfig.h>
#endif

namespace shell {

void loadFontConfiguration() {
#if defined(DM_HAVE_FONTCONFIG)
    // Parsing the configuration files and mapping the font caches takes milliseconds. Qt's font
    // database uses the same process-wide configuration, so it finds the work done.
    FcInit();
#endif
}

} // namespace shell
