/*
 * A host linked against the module's import library, as an application
 * built with the public header is: it calls the four operations by name
 * (null arguments, each must answer 0). It must link without a warning on
 * both Windows targets and import the plain exported names.
 */
#include <stdio.h>

#include "vellumdesk.h"

int main(void) {
    const int32_t results[] = {
        bConvertSHGToGIFMAP(NULL, NULL, 1),
        bConvertBmpToGif(NULL, NULL),
        bCompileContents(NULL, NULL),
        bCompileCategory(NULL, NULL),
    };
    int failed = 0;
    for (unsigned i = 0; i < sizeof results / sizeof results[0]; ++i) {
        if (results[i] != 0) ++failed;
    }
    printf("linked host: %d of 4 operations answered 0 to null arguments\n", 4 - failed);
    return failed == 0 ? 0 : 1;
}
