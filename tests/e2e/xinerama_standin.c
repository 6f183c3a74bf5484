/* A stand-in for libXinerama that reports the monitors a test asks for, so that Wine shows the
 * program several monitors side by side on one wide virtual X screen. The heads come from the
 * environment variable ORVANTA_E2E_HEADS: blank-separated WxH+X+Y in X root coordinates, the
 * first one being the primary monitor. Wine's X11 driver opens this library with dlopen and asks
 * it only for the functions below (and only when its XRandR support is switched off). */
#include <stdlib.h>
#include <string.h>

typedef struct {
  int screen_number;
  short x_org;
  short y_org;
  short width;
  short height;
} XineramaScreenInfo;

static int ParseHeads(XineramaScreenInfo* out, int capacity) {
  const char* text = getenv("ORVANTA_E2E_HEADS");
  int count = 0;
  while (text && *text && count < capacity) {
    char* end = NULL;
    const long w = strtol(text, &end, 10);
    if (*end != 'x') break;
    const long h = strtol(end + 1, &end, 10);
    if (*end != '+') break;
    const long x = strtol(end + 1, &end, 10);
    if (*end != '+') break;
    const long y = strtol(end + 1, &end, 10);
    if (out) {
      out[count].screen_number = count;
      out[count].x_org = (short)x;
      out[count].y_org = (short)y;
      out[count].width = (short)w;
      out[count].height = (short)h;
    }
    ++count;
    text = end + strspn(end, " ");
  }
  return count;
}

int XineramaQueryExtension(void* display, int* eventBase, int* errorBase) {
  (void)display;
  *eventBase = 0;
  *errorBase = 0;
  return 1;
}

int XineramaQueryVersion(void* display, int* major, int* minor) {
  (void)display;
  *major = 1;
  *minor = 1;
  return 1;
}

int XineramaIsActive(void* display) {
  (void)display;
  return ParseHeads(NULL, 64) > 0;
}

/* The caller frees the records with XFree, which is free. */
XineramaScreenInfo* XineramaQueryScreens(void* display, int* number) {
  (void)display;
  XineramaScreenInfo* heads = malloc(64 * sizeof(XineramaScreenInfo));
  *number = heads ? ParseHeads(heads, 64) : 0;
  if (*number == 0) {
    free(heads);
    return NULL;
  }
  return heads;
}
