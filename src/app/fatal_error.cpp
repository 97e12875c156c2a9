// The one user-visible error path: the data-error box, then the end of the process.
#include <cstdio>
#include <cstdlib>

#include "app/assets.h"
#include "platform/win32.h"

void fatalDataError(const char* file) {
  // The box does not say which file failed; standard error does.
  if (file) std::fprintf(stderr, "Kelvo Strand: cannot load %s\n", file);
  MessageBoxA(nullptr, "Error!!!\nData is not complite!", "ERROR!!!", MB_ICONERROR);
  // A data error is a failure: status 1 (exit handlers still run and restore the display).
  std::exit(1);
}
