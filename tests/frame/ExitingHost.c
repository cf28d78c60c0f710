/*
 * A host of the module that ends its process the way real hosts do, with the
 * project database session still open: it loads the module at run time,
 * publishes one hypergraphic (which opens the session), optionally makes a
 * failing call after that, and then ends by HOW:
 *
 *   exiting_host MODULE DATABASE SHG KEY HOW [then-fail | open-fails]
 *
 *   then-fail     after the session opened, a conversion of a missing file
 *   open-fails    instead of opening the session, one conversion whose
 *                 opening fails (a missing database): no session at exit
 *
 *   return        returns from main, the module still loaded
 *   exit          calls exit() from inside a function, the module still loaded
 *   unload        unloads the module (dlclose / FreeLibrary), then returns
 *   exit-process  (Windows) calls ExitProcess, the module still loaded
 *
 * The exit status is 0 when the calls answered as expected and the process
 * ended without a fault; a fault at exit shows as a signal or as the
 * sanitizer's or valgrind's exit status.
 */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "vellumdesk.h"

#ifdef _WIN32
#include <windows.h>
typedef HMODULE module_t;
#else
#include <dlfcn.h>
typedef void* module_t;
#endif

typedef int32_t(VELLUMDESK_CALL* shg_fn)(const char*, const char*, int32_t);

static module_t load_module(const char* path) {
#ifdef _WIN32
    return LoadLibraryA(path);
#else
    return dlopen(path, RTLD_NOW | RTLD_LOCAL);
#endif
}

static shg_fn find_conversion(module_t module) {
#ifdef _WIN32
    return (shg_fn)(void (*)(void))GetProcAddress(module, "bConvertSHGToGIFMAP");
#else
    shg_fn fn;
    void* symbol = dlsym(module, "bConvertSHGToGIFMAP");
    memcpy(&fn, &symbol, sizeof fn);
    return fn;
#endif
}

static int unload_module(module_t module) {
#ifdef _WIN32
    return FreeLibrary(module) ? 0 : -1;
#else
    return dlclose(module);
#endif
}

static int fail(const char* what) {
    fprintf(stderr, "exiting_host: %s\n", what);
    return 2;
}

/* Ends the process from below main, as a host's error path or shutdown
 * routine does. */
static void end_process_here(void) {
    fflush(stdout);
    exit(0);
}

int main(int argc, char** argv) {
    const char* after = argc == 7 ? argv[6] : "";
    if (argc != 6 &&
        !(argc == 7 && (strcmp(after, "then-fail") == 0 || strcmp(after, "open-fails") == 0))) {
        return fail("usage: exiting_host MODULE DATABASE SHG KEY HOW [then-fail | open-fails]");
    }
    const char* how = argv[5];
    char missing[4096];
    module_t module = load_module(argv[1]);
    if (module == NULL) return fail("cannot load the module");
    shg_fn convert = find_conversion(module);
    if (convert == NULL) return fail("bConvertSHGToGIFMAP is not exported");

    const int32_t key = (int32_t)strtol(argv[4], NULL, 10);
    if (strcmp(after, "open-fails") == 0) {
        if (snprintf(missing, sizeof missing, "%s-missing.db", argv[2]) >= (int)sizeof missing) {
            return fail("path too long");
        }
        if (convert(missing, argv[3], key) != 0) return fail("a missing database answered 1");
        printf("the opening of the session failed\n");
    } else {
        if (convert(argv[2], argv[3], key) != 1) return fail("the conversion answered 0");
        printf("session opened by converting %s\n", argv[3]);
    }
    if (strcmp(after, "then-fail") == 0) {
        /* A file that does not exist, with a name the conversion accepts. */
        if (snprintf(missing, sizeof missing, "%s-missing.shg", argv[3]) >= (int)sizeof missing) {
            return fail("path too long");
        }
        if (convert(argv[2], missing, key) != 0) return fail("a missing file answered 1");
        printf("a failing conversion answered 0\n");
    }
    printf("ending by: %s\n", how);
    fflush(stdout);

    if (strcmp(how, "return") == 0) return 0;
    if (strcmp(how, "exit") == 0) end_process_here();
    if (strcmp(how, "unload") == 0) return unload_module(module) == 0 ? 0 : fail("unload failed");
#ifdef _WIN32
    if (strcmp(how, "exit-process") == 0) ExitProcess(0);
#endif
    return fail("unknown HOW");
}
