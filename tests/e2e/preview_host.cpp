// Stands in for the desktop's Screen Saver settings page: a window of another process in
// which the saver runs its preview.
//
// Usage: e2e_preview_host HANDLE_FILE STOP_FILE
// Opens a top-level window with a 152 x 112 client area, writes its decimal handle to
// HANDLE_FILE, prints "child" once a child window is first there, and destroys the window once
// STOP_FILE exists. Just before, it prints what it finds inside: "preview
// CLASS|TITLE|WIDTHxHEIGHT|OTHER-PROCESS" for the first child window, or "preview none".
#include <windows.h>
#include <stdio.h>

namespace {

constexpr int kClientWidth = 152;
constexpr int kClientHeight = 112;
constexpr UINT_PTR kPollTimer = 1;

const char* stopFile;
bool childSeen;

void ReportChild(HWND host) {
  HWND child = GetWindow(host, GW_CHILD);
  if (!child) {
    printf("preview none\n");
    return;
  }
  char className[64] = "";
  char title[64] = "";
  GetClassNameA(child, className, sizeof(className));
  GetWindowTextA(child, title, sizeof(title));
  RECT area;
  GetClientRect(child, &area);
  DWORD owner = 0;
  GetWindowThreadProcessId(child, &owner);
  printf("preview %s|%s|%ldx%ld|%s\n", className, title, area.right - area.left, area.bottom - area.top,
         owner != GetCurrentProcessId() ? "other-process" : "same-process");
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (!childSeen && GetWindow(window, GW_CHILD)) {
        childSeen = true;
        printf("child\n");
        fflush(stdout);
      }
      if (GetFileAttributesA(stopFile) != INVALID_FILE_ATTRIBUTES) {
        KillTimer(window, kPollTimer);
        ReportChild(window);
        fflush(stdout);
        DestroyWindow(window);
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: e2e_preview_host HANDLE_FILE STOP_FILE\n");
    return 2;
  }
  stopFile = argv[2];
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = HostProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  windowClass.lpszClassName = "VykPreviewHost";
  if (!RegisterClassA(&windowClass)) return 3;
  // The window's outer size is chosen so that its client area is exactly 152 x 112.
  RECT outer = {0, 0, kClientWidth, kClientHeight};
  const DWORD style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
  AdjustWindowRect(&outer, style, FALSE);
  HWND host = CreateWindowExA(0, "VykPreviewHost", "Vyk preview host", style, 20, 20, outer.right - outer.left,
                              outer.bottom - outer.top, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (!host) return 4;
  SetTimer(host, kPollTimer, 100, nullptr);
  FILE* handleFile = fopen(argv[1], "w");
  if (!handleFile) return 5;
  fprintf(handleFile, "%lu\n", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(host)));
  fclose(handleFile);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
