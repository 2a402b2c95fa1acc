// A shared library that is not a plug-in: it exports no entry point.
#include "tests/host-tool/TestModuleExport.h"

TEST_MODULE_EXPORT int quorlHostTestNothingHere() {
    return 42;
}
