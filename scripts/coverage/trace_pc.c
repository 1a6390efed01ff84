/* The coverage tree's record of which code a run reached (scripts/sanitizer_cover.py).
 * The compiler calls __sanitizer_cov_trace_pc at the start of every basic block of the
 * program's code (-fsanitize-coverage=trace-pc); each distinct return address is kept once in
 * an open-addressed table. At exit, when ZEPHLON_COVERAGE_DIR is set, the addresses are written
 * as offsets into the executable, one hexadecimal number a line, to
 * $ZEPHLON_COVERAGE_DIR/<executable's name>.<pid>.pcs, whose first line is the executable's
 * path. Nothing here is built outside the coverage tree. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <limits.h>
#include <link.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

enum { kSlots = 1 << 21 };
static uintptr_t pcs[kSlots];
static int registered;

static void Write(void);

void __sanitizer_cov_trace_pc(void) {
  uintptr_t pc = (uintptr_t)__builtin_return_address(0);
  uintptr_t slot = (pc * 0x9E3779B97F4A7C15ull) >> 43;
  for (int probe = 0; probe < kSlots; ++probe) {
    uintptr_t held = __atomic_load_n(&pcs[slot], __ATOMIC_RELAXED);
    if (held == pc) return;
    if (held == 0) {
      uintptr_t expected = 0;
      if (__atomic_compare_exchange_n(&pcs[slot], &expected, pc, 0, __ATOMIC_RELAXED,
                                      __ATOMIC_RELAXED) || expected == pc) {
        if (!__atomic_exchange_n(&registered, 1, __ATOMIC_RELAXED)) atexit(Write);
        return;
      }
    }
    slot = (slot + 1) & (kSlots - 1);
  }
}

static uintptr_t base;
static int FirstObject(struct dl_phdr_info* info, size_t size, void* data) {
  (void)size;
  (void)data;
  base = info->dlpi_addr;
  return 1;
}

static void Write(void) {
  const char* dir = getenv("ZEPHLON_COVERAGE_DIR");
  if (dir == NULL || dir[0] == '\0') return;
  char exe[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (length <= 0) return;
  exe[length] = '\0';
  dl_iterate_phdr(FirstObject, NULL);
  const char* name = strrchr(exe, '/');
  name = name ? name + 1 : exe;
  char path[PATH_MAX];
  snprintf(path, sizeof path, "%s/%s.%d.pcs", dir, name, (int)getpid());
  FILE* out = fopen(path, "w");
  if (out == NULL) return;
  fprintf(out, "%s\n", exe);
  for (int i = 0; i < kSlots; ++i)
    if (pcs[i] != 0) fprintf(out, "%lx\n", (unsigned long)(pcs[i] - base));
  fclose(out);
}
