// A fake DirectDraw/Direct3D (DirectX 5 interfaces) and fake platform calls that log every call.
//
// How to use them:
//   fake::Reset();                 // forget objects, log, script; config back to defaults
//   fake::InstallPlatform();       // platform.DirectDrawCreate, LoadLibraryA, ... now reach the fakes
//   fake::NameWindow(hwnd, "wnd"); // window handles print by this name in the log
//   ... run the code under test ...
//   EXPECT_EQ(expectedLines, fake::Log());
//   EXPECT_TRUE(fake::Leaks().empty());     // every fake object back to 0 references
//   EXPECT_TRUE(fake::Problems().empty());  // no over-release, call on a freed object, bad dwSize
//   ResetPlatform();
//
// The log is one ordered list of lines "Kind::Method(args)". DD, DD2 and D3D2 (the IDirectDraw,
// IDirectDraw2 and IDirect3D2 interfaces of a DirectDraw object) have no instance name; every
// other object's first argument is its name: surfaces S1, S2, ... (a flipping chain names its
// front buffer first), palettes P1.., clippers C1.., devices Dev1.., viewports V1.., materials
// M1... Surface2/Surface3/Texture lines carry their surface's name. Numbers are hex (0x..) for
// flags and decimal for sizes and counts; null pointers print as "null". Examples:
//   DirectDrawCreate(null,null)           DD::QueryInterface(IID_IDirect3D2)
//   DD2::SetCooperativeLevel(wnd,0x13)    DD2::CreateSurface({flags=0x21,caps=0x6218,back=1})
//   Surface::GetAttachedSurface(S1,0x4)   Surface::Blt(S1,(0,0,640,480),S3,(0,0,640,480),0x1000000,null)
//   Surface::Release(S2)                  Device::SetRenderState(Dev1,7,0)
// Platform fakes log LoadLibraryA(NAME), GetProcAddress(NAME,Export), FreeLibrary(NAME),
// GetVersionExA(148), GetDeviceCaps(BITSPIXEL) and OutputDebugStringA(text) with CR LF as \r\n.
//
// Scripting failures: FailCall(pattern, occurrence, result) makes the occurrence-th call
// (1-based; 0 = every one) whose log line contains pattern return result instead of success.
// The pattern may be a bare "Kind::Method" or any part of a line, such as
// "QueryInterface(IID_IDirectDraw2)" or "CreateDevice(IID_IDirect3DHALDevice". A failed
// creation hands back no object (null). DirectDrawCreate, QueryInterface and every
// HRESULT method can fail this way; AddRef, Release and the platform calls cannot (the
// platform is scripted through config). config.refusedCreationsHandBackObjects makes the
// bring-up's creations and look-ups hand back their object even when they fail.
// InjectionPoints() lists every failable call of the log so far, in order, as a
// pattern/occurrence pair that picks out exactly that call.
//
// Everything else is scripted through fake::config: the OS version, which libraries and
// exports exist, the display depth, the screen size, the hardware description of the HAL
// and Ramp devices (dcmColorModel), the texture formats EnumTextureFormats offers, and a
// hook that runs on SetDisplayMode.
#ifndef VYK_TESTS_FAKES_FAKE_DIRECTX_H
#define VYK_TESTS_FAKES_FAKE_DIRECTX_H

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace fake {

// What every fake object shares: its name, kind and reference count.
struct ObjectInfo {
  virtual ~ObjectInfo() = default;
  std::string name;     // S1, P1, Dev1, ... or ddraw1 / ddraw1.DD2 / S1.Texture for interfaces
  std::string kind;     // the log prefix: DD, DD2, D3D2, Surface, Surface2, Surface3, Palette, ...
  LONG refs = 0;        // counted references: the caller's plus those fake objects hold on each other
  bool everAlive = false;
};

struct DirectDrawInfo : ObjectInfo {
  HWND cooperativeWindow = nullptr;  // last SetCooperativeLevel
  DWORD cooperativeFlags = 0;
  DWORD modeWidth = 0, modeHeight = 0, modeBits = 0;  // display mode after SetDisplayMode (else config's screen)
};

struct SurfaceInfo : ObjectInfo {
  DDSURFACEDESC desc{};        // as created, with width, height and pixel format filled in
  std::string palette;         // attached palette's name, "" for none
  std::string clipper;         // attached clipper's name
  std::string attached;        // back buffer of a flipping chain
  bool hasSourceKey = false;   // SetColorKey(DDCKEY_SRCBLT) was called
  DDCOLORKEY sourceKey{};
  HDC memoryDc = nullptr;      // real memory DC over a 32-bit top-down DIB, made by the first GetDC
  HBITMAP dib = nullptr;
  DWORD* pixels = nullptr;     // width*height 0x00RRGGBB values once GetDC was called
  bool dcOut = false;          // between GetDC and ReleaseDC
  std::string loadedFrom;      // source surface of the last IDirect3DTexture2::Load
};

struct PaletteInfo : ObjectInfo {
  DWORD caps = 0;
  DWORD entryCount = 0;        // 2, 4, 16 or 256 from the caps
  PALETTEENTRY entries[256]{};
};

struct ClipperInfo : ObjectInfo {
  HWND window = nullptr;       // SetHWnd
};

struct DrawRecord {
  D3DPRIMITIVETYPE primitive;
  D3DVERTEXTYPE vertexType;
  DWORD flags;
  std::vector<D3DTLVERTEX> vertices;  // copied when vertexType is D3DVT_TLVERTEX
  std::map<DWORD, DWORD> renderStates;  // the device's render states at the time of the draw
};

struct DeviceInfo : ObjectInfo {
  std::string type;                    // "HAL", "Ramp" or another device GUID's name
  std::string renderTarget;            // surface name
  std::map<DWORD, DWORD> renderStates; // SetRenderState values
  std::map<DWORD, DWORD> lightStates;
  std::vector<std::string> viewports;  // added viewports, in order
  std::string currentViewport;
  int sceneDepth = 0;                  // BeginScene minus EndScene
  int scenes = 0;                      // completed BeginScene/EndScene pairs
  std::vector<DrawRecord> draws;
};

struct ViewportInfo : ObjectInfo {
  D3DVIEWPORT2 data{};                 // last SetViewport2
  bool dataSet = false;
};

struct MaterialInfo : ObjectInfo {
  D3DMATERIAL data{};                  // last SetMaterial
  D3DMATERIALHANDLE handle = 0;        // 0x100 + number
};

// Everything the fakes answer that is not a per-call failure.
struct Config {
  BOOL versionResult = TRUE;                  // GetVersionExA's result
  OSVERSIONINFOA version{};                   // what GetVersionExA reports (default Windows NT 6.1.7601)
  std::map<std::string, std::vector<std::string>> libraries;  // loadable libraries (upper case) and their exports
  int bitsPerPixel = 32;                      // GetDeviceCaps(BITSPIXEL)
  DWORD screenWidth = 800, screenHeight = 600, screenBits = 32;  // primary surface before any SetDisplayMode
  DWORD halColorModel = D3DCOLOR_RGB;         // dcmColorModel of the HAL device's hardware description
  DWORD rampColorModel = 0;                   // ... of the Ramp device's (not hardware)
  std::vector<DDPIXELFORMAT> textureFormats;  // EnumTextureFormats, in order (default: Wine's RGB list)
  std::function<void(DWORD width, DWORD height, DWORD bits)> onSetDisplayMode;  // runs inside SetDisplayMode
  bool directDrawCreateKeepsObjectOnFailure = false;  // a failed DirectDrawCreate still hands out an object
  bool refusedCreationsHandBackObjects = false;  // so do failed CreateSurface, GetAttachedSurface, CreateClipper,
                                                 // CreatePalette, CreateDevice, CreateViewport, CreateMaterial,
                                                 // GetRenderTarget, GetDDInterface and the QueryInterface of
                                                 // IDirectDraw and of a surface
};
extern Config config;

// One failable call of the log: FailCall(pattern, occurrence, ...) picks exactly it.
struct InjectionPoint {
  std::string pattern;
  int occurrence;
};

void Reset();
void InstallPlatform();  // routes platform.* to the fakes below (ResetPlatform() undoes it)
void NameWindow(HWND window, const std::string& name);
void FailCall(const std::string& pattern, int occurrence, HRESULT result);

const std::vector<std::string>& Log();
void ClearLog();  // forgets the lines so far; objects, script counters and config stay
std::vector<InjectionPoint> InjectionPoints();
std::vector<std::string> Leaks();     // "S1 refs=1" for every object still referenced
std::vector<std::string> Problems();  // misuse seen so far
std::vector<std::string> LoadedLibraries();  // fake libraries loaded and not freed, one line per load

// Lookups; null when no such fake object exists.
ObjectInfo* Object(const std::string& name);
SurfaceInfo* Surface(const std::string& name);
SurfaceInfo* Surface(IDirectDrawSurface* surface);
PaletteInfo* Palette(const std::string& name);
ClipperInfo* Clipper(const std::string& name);
DeviceInfo* Device(const std::string& name);
DeviceInfo* Device(IDirect3DDevice2* device);
ViewportInfo* Viewport(const std::string& name);
MaterialInfo* Material(const std::string& name);
DirectDrawInfo* DirectDraw(int number = 1);  // the number-th object DirectDrawCreate made
std::string NameOf(const void* object);      // name of any fake interface pointer, "null", or "?"

// Fake platform functions, also usable directly.
HRESULT WINAPI DirectDrawCreate(GUID* driver, LPDIRECTDRAW* out, IUnknown* outer);
BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info);
HMODULE WINAPI LoadLibraryA(LPCSTR name);
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);
BOOL WINAPI FreeLibrary(HMODULE module);
int WINAPI GetDeviceCaps(HDC dc, int index);
void WINAPI OutputDebugStringA(LPCSTR text);
const std::vector<std::string>& DebugTexts();  // every OutputDebugStringA text, as given

// Texture format helpers for config.textureFormats.
DDPIXELFORMAT RgbFormat(DWORD bits, DWORD red, DWORD green, DWORD blue, DWORD alpha = 0);
DDPIXELFORMAT PalettizedFormat(DWORD bits, DWORD flags);  // flags: DDPF_PALETTEINDEXED8 or 4
void SetVersion(DWORD platformId, DWORD major, DWORD minor, DWORD build);

}  // namespace fake

#endif
