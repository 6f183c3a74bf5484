// Entry point of orvanta.exe. The program takes no arguments and reads no environment.
#include <windows.h>

#include "app/startup_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return orv::RunProgram();
}
