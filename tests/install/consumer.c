/* A host program built against an installed or unpacked library: compiles
 * a one-line category list and prints the header's version. Exit status 0
 * only when the call answers 1, a call on a missing file answers 0 and the
 * version macros agree with each other. */
#include <stdio.h>
#include <string.h>

#include <vellumdesk.h>

#define VD_STR2(x) #x
#define VD_STR(x) VD_STR2(x)

int main(int argc, char** argv) {
    char szList[4096];
    char szVersion[64];
    if (argc != 3) {
        fprintf(stderr, "usage: consumer WORK-FOLDER/ EXPECTED-VERSION\n");
        return 2;
    }
    snprintf(szVersion, sizeof szVersion, "%s.%s.%s", VD_STR(VELLUMDESK_VERSION_MAJOR),
             VD_STR(VELLUMDESK_VERSION_MINOR), VD_STR(VELLUMDESK_VERSION_PATCH));
    if (strcmp(szVersion, VELLUMDESK_VERSION_STRING) != 0 ||
        strcmp(VELLUMDESK_VERSION_STRING, argv[2]) != 0) {
        fprintf(stderr, "consumer: header version %s (%s), expected %s\n",
                VELLUMDESK_VERSION_STRING, szVersion, argv[2]);
        return 1;
    }
    snprintf(szList, sizeof szList, "%scategories.txt", argv[1]);
    FILE* pList = fopen(szList, "w");
    if (pList == NULL || fputs("name=text,1,2\n", pList) < 0 || fclose(pList) != 0) {
        perror(szList);
        return 1;
    }
    if (bCompileCategory(szList, argv[1]) != 1) {
        fprintf(stderr, "consumer: bCompileCategory answered 0\n");
        return 1;
    }
    if (bCompileContents("/nonexistent/outline.txt", argv[1]) != 0) {
        fprintf(stderr, "consumer: bCompileContents of a missing file answered 1\n");
        return 1;
    }
    printf("vellumdesk %s\n", VELLUMDESK_VERSION_STRING);
    return 0;
}
