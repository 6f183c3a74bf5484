// Entry point of orvanta.exe. The program takes no arguments and reads no environment.
#include <windows.h>

#include "app/app_state_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return orv::RunProgram();
}
