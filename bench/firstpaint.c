/* LD_PRELOAD probe for bench/run: notes when the program first pushes a
 * window-sized image to the X server (Qt's backing-store flush), i.e. the
 * first paint that reaches the screen. Nothing is added to the product.
 *
 * VELLUMO_BENCH_T0_US     wall-clock microseconds taken just before exec
 * VELLUMO_BENCH_PAINT_OUT file that receives "<milliseconds since T0>"
 *
 * Images smaller than 64x64 (cursors, icons) do not count. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/time.h>

typedef struct { unsigned int sequence; } cookie_t;
typedef uint32_t id_t32;

static int noted;

/* The xcb libraries come in with Qt's platform plugin, loaded locally, so
 * RTLD_NEXT cannot see them: ask each library by name. */
static void* real_symbol(const char* library, const char* name) {
  void* handle = dlopen(library, RTLD_LAZY);
  return handle ? dlsym(handle, name) : NULL;
}

static void note(unsigned width, unsigned height) {
  if (noted || width < 64 || height < 64) return;
  noted = 1;
  struct timeval now;
  gettimeofday(&now, NULL);
  const char* t0 = getenv("VELLUMO_BENCH_T0_US");
  const char* out = getenv("VELLUMO_BENCH_PAINT_OUT");
  if (!t0 || !out) return;
  long long elapsed = (long long)now.tv_sec * 1000000 + now.tv_usec - atoll(t0);
  FILE* file = fopen(out, "w");
  if (!file) return;
  fprintf(file, "%.1f %ux%u\n", (double)elapsed / 1000.0, width, height);
  fclose(file);
}

cookie_t xcb_shm_put_image(void* c, id_t32 drawable, id_t32 gc, uint16_t total_width,
                           uint16_t total_height, uint16_t src_x, uint16_t src_y,
                           uint16_t src_width, uint16_t src_height, int16_t dst_x,
                           int16_t dst_y, uint8_t depth, uint8_t format, uint8_t send_event,
                           id_t32 shmseg, uint32_t offset) {
  static cookie_t (*real)(void*, id_t32, id_t32, uint16_t, uint16_t, uint16_t, uint16_t,
                          uint16_t, uint16_t, int16_t, int16_t, uint8_t, uint8_t, uint8_t,
                          id_t32, uint32_t);
  if (!real) real = real_symbol("libxcb-shm.so.0", "xcb_shm_put_image");
  cookie_t result = real(c, drawable, gc, total_width, total_height, src_x, src_y, src_width,
                         src_height, dst_x, dst_y, depth, format, send_event, shmseg, offset);
  note(src_width, src_height);
  return result;
}

cookie_t xcb_copy_area(void* c, id_t32 src, id_t32 dst, id_t32 gc, int16_t src_x, int16_t src_y,
                       int16_t dst_x, int16_t dst_y, uint16_t width, uint16_t height) {
  static cookie_t (*real)(void*, id_t32, id_t32, id_t32, int16_t, int16_t, int16_t, int16_t,
                          uint16_t, uint16_t);
  if (!real) real = real_symbol("libxcb.so.1", "xcb_copy_area");
  cookie_t result = real(c, src, dst, gc, src_x, src_y, dst_x, dst_y, width, height);
  note(width, height);
  return result;
}

/* xcb-image's put: the struct starts with width and height (uint16_t). */
cookie_t xcb_image_put(void* c, id_t32 draw, id_t32 gc, const uint16_t* image, int16_t x,
                       int16_t y, uint8_t left_pad) {
  static cookie_t (*real)(void*, id_t32, id_t32, const uint16_t*, int16_t, int16_t, uint8_t);
  if (!real) real = real_symbol("libxcb-image.so.0", "xcb_image_put");
  cookie_t result = real(c, draw, gc, image, x, y, left_pad);
  note(image[0], image[1]);
  return result;
}
