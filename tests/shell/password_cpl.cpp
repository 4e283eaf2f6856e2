// Test stand-in for the platform's PASSWORD.CPL: VerifyScreenSavePwd answers as the test scripts it.
#include <windows.h>

// The test's answer for one verification; called with the saver window.
typedef BOOL (*VerifyScript)(HWND window);

namespace {
VerifyScript script;  // set by the test; null answers 0
LONG calls;           // verifications so far
}  // namespace

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
  ++calls;
  return script ? script(window) : FALSE;
}

extern "C" __declspec(dllexport) void ScriptVerify(VerifyScript answer) {
  script = answer;
  calls = 0;
}

extern "C" __declspec(dllexport) LONG VerifyCalls() { return calls; }
