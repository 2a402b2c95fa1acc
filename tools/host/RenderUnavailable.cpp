#include "tools/host/CommandSupport.h"
#include "tools/host/Commands.h"

// This build has no audio-file library: render is left out rather than
// replaced by file code of our own.
int runRender(const Arguments&) {
    return reportError("render is not available in this build (it needs libsndfile); use the Linux build");
}
