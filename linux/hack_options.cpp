// Command line of the native hack: XScreenSaver's standard hack options, --wayland and the saver's three settings.
#include "linux/hack.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

HackOptionsRecord HackOptions = {1, 1, 1, targetDefault, 0, 0, -1, nullptr, 0, rendererAuto};

namespace {

// The flag options: each sets one field to one value. Both one and two leading dashes
// are taken, as XScreenSaver's own hacks take them.
struct FlagOption {
  const char* name;  // without the leading dashes
  int32_t* field;    // the HackOptions field it sets; null for an option taken and without effect
  int32_t value;     // the value it sets
};

// XScreenSaver's framework gives every hack -install, -noinstall and -mono. A private
// colormap means nothing to a TrueColor OpenGL window, and the tunnel has no monochrome
// form, so they are taken and change nothing.
const FlagOption flagOptions[] = {
    {"logo", &HackOptions.logos, 1},
    {"no-logo", &HackOptions.logos, 0},
    {"linear", &HackOptions.linear, 1},
    {"no-linear", &HackOptions.linear, 0},
    {"fps", &HackOptions.showFps, 1},
    {"no-fps", &HackOptions.showFps, 0},
    {"help", &HackOptions.helpWanted, 1},
    {"install", nullptr, 0},
    {"noinstall", nullptr, 0},
    {"mono", nullptr, 0},
};

const char* OptionName(const char* argument) {
  if (argument[0] != '-') return nullptr;
  return argument[1] == '-' ? argument + 2 : argument + 1;
}

// Whole decimal number within [low, high]; returns 1 and stores it, or 0.
int ParseBoundedNumber(const char* text, long low, long high, int32_t* result) {
  if (text == nullptr || *text == '\0') return 0;
  char* end = nullptr;
  errno = 0;
  const long value = strtol(text, &end, 10);
  if (errno != 0 || *end != '\0' || value < low || value > high) return 0;
  *result = static_cast<int32_t>(value);
  return 1;
}

// A window id as XScreenSaver passes it: decimal, or hexadecimal with 0x.
int ParseWindowId(const char* text, unsigned long* result) {
  if (text == nullptr || *text == '\0' || *text == '-') return 0;
  char* end = nullptr;
  errno = 0;
  const unsigned long value = strtoul(text, &end, 0);
  if (errno != 0 || *end != '\0' || value == 0) return 0;
  *result = value;
  return 1;
}

}  // namespace

const char* HackUsage() {
  return "usage: vyk [--root | --window | --window-id ID | --wayland] [--speed 1..10] [--delay USEC] [--fps | --no-fps] "
         "[--logo | --no-logo] [--linear | --no-linear] [--renderer auto|gl|cpu] "
         "[--display NAME] [--visual NAME] [--install | --noinstall] [--mono] [--help]";
}

int WantsWayland(const char* xDisplay, const char* waylandDisplay, const char* waylandSocket) {
  if (HackOptions.target == targetWayland) return 1;
  if (HackOptions.target != targetDefault || HackOptions.displayName != nullptr) return 0;
  const bool hasX = xDisplay != nullptr && *xDisplay != '\0';
  const bool hasWayland = (waylandDisplay != nullptr && *waylandDisplay != '\0') ||
                          (waylandSocket != nullptr && *waylandSocket != '\0');
  return (hasWayland && !hasX) ? 1 : 0;
}

int IsSoftwareRenderer(const char* glRenderer) {
  if (glRenderer == nullptr) return 1;
  static const char* const softwareNames[] = {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"};
  for (const char* name : softwareNames) {
    if (strstr(glRenderer, name) != nullptr) return 1;
  }
  return 0;
}

uint64_t FramePeriodUs(int32_t redrawSpeed, int32_t delayUs) {
  if (delayUs < 0 || delayUs > longestDelayUs) return uint64_t{FramePeriodMs(redrawSpeed)} * 1000u;
  return static_cast<uint64_t>(redrawSpeed) * static_cast<uint64_t>(delayUs);
}

int ParseHackOptions(int argc, char** argv) {
  HackOptions = HackOptionsRecord{1, 1, 1, targetDefault, 0, 0, -1, nullptr, 0, rendererAuto};
  for (int i = 1; i < argc; ++i) {
    const char* name = OptionName(argv[i]);
    if (name == nullptr) return 0;
    bool known = false;
    for (const FlagOption& flag : flagOptions) {
      if (strcmp(name, flag.name) == 0) {
        if (flag.field != nullptr) *flag.field = flag.value;
        known = true;
      }
    }
    if (known) continue;
    if (strcmp(name, "root") == 0) {
      HackOptions.target = targetRoot;
    } else if (strcmp(name, "window") == 0) {
      HackOptions.target = targetOwnWindow;
    } else if (strcmp(name, "wayland") == 0) {
      HackOptions.target = targetWayland;
    } else if (strcmp(name, "window-id") == 0) {
      if (i + 1 >= argc || !ParseWindowId(argv[++i], &HackOptions.windowId)) return 0;
      HackOptions.target = targetWindowId;
    } else if (strcmp(name, "speed") == 0) {
      if (i + 1 >= argc || !ParseBoundedNumber(argv[++i], fastestSpeed, slowestSpeed, &HackOptions.redrawSpeed)) {
        return 0;
      }
    } else if (strcmp(name, "delay") == 0) {
      if (i + 1 >= argc || !ParseBoundedNumber(argv[++i], 0, longestDelayUs, &HackOptions.delayUs)) return 0;
    } else if (strcmp(name, "renderer") == 0) {
      if (i + 1 >= argc) return 0;
      const char* choice = argv[++i];
      if (strcmp(choice, "auto") == 0) {
        HackOptions.renderer = rendererAuto;
      } else if (strcmp(choice, "gl") == 0) {
        HackOptions.renderer = rendererGl;
      } else if (strcmp(choice, "cpu") == 0) {
        HackOptions.renderer = rendererCpu;
      } else {
        return 0;
      }
    } else if (strcmp(name, "display") == 0) {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') return 0;
      HackOptions.displayName = argv[++i];
    } else if (strcmp(name, "visual") == 0) {
      // The window XScreenSaver gives already has the visual it chose, and a window of our
      // own gets the default true-colour visual: any visual name is taken and falls back to it.
      if (i + 1 >= argc || argv[i + 1][0] == '\0') return 0;
      ++i;
    } else {
      return 0;
    }
  }
  return 1;
}
