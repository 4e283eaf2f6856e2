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
//
// By default the fakes answer as Wine does. config.windows switches on, point by point, what
// real Windows does where Wine is kinder (Wine's conformance tests record it):
//   windows.no3D                  64-bit Windows: QueryInterface(IID_IDirect3D2) gives E_NOINTERFACE
//                                 and texture surfaces are refused;
//   windows.monitors              several monitors, each with its own device GUID: a DirectDraw
//                                 object made with a monitor's GUID has that monitor's primary
//                                 surface, whose Blts must stay inside it (else DDERR_INVALIDRECT);
//                                 one made with the null GUID runs in emulation and refuses the
//                                 HAL device at the normal cooperative level;
//   windows.windowedSurfacesLost  ChangeDisplayMode (another program's mode change) loses the
//                                 surfaces of every object at the normal level, and Restore of
//                                 them answers DDERR_WRONGMODE;
//   windows.palettizedRamp        the Ramp device offers only 8-bit palettised textures, Load into
//                                 a palettised surface without a palette gives
//                                 DDERR_NOPALETTEATTACHED, and GetDC on a palettised surface draws
//                                 through the palette attached, or through a wrong colour table
//                                 when there is none;
//   windows.teardown              a device leaves the reference SetCurrentViewport took when it
//                                 goes, and the DirectDraw object, once its last interface is
//                                 released, frees its surfaces, palettes and clippers: a call on
//                                 one of them afterwards is a Problem ("... after its DirectDraw
//                                 object was freed"), and Leaks() no longer counts them.
// WindowsAsItIs() turns on every point that needs no monitor list.
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
  bool freedWithOwner = false;  // freed by its DirectDraw object's last release (windows.teardown)
};

struct DirectDrawInfo : ObjectInfo {
  HWND cooperativeWindow = nullptr;  // last SetCooperativeLevel
  DWORD cooperativeFlags = 0;
  DWORD modeWidth = 0, modeHeight = 0, modeBits = 0;  // display mode after SetDisplayMode (else config's screen)
  std::string driver = "null";  // the GUID DirectDrawCreate was given, as logged
  bool onMonitor = false;       // made with a monitor's GUID (windows.monitors): its primary surface is that monitor's
  bool emulated = false;        // made with the null GUID on several monitors (windows.monitors): no HAL at the normal level
  bool freed = false;           // every interface released (DD, DD2 and D3D2)
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
  BYTE* indices = nullptr;     // instead, width*height palette indices (8-bit DIB; windows.palettizedRamp)
  bool lost = false;           // lost by a display-mode change (windows.windowedSurfacesLost)
  bool wrongMode = false;      // ... made in the mode before it: Restore answers DDERR_WRONGMODE
  std::vector<RECT> blits;     // destination of every Blt this surface accepted, in order
  int refusedBlits = 0;        // Blts it refused: lost, or crossing its edge (windows.monitors)
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

// A monitor as real Windows reports its DirectDraw device: its own GUID and its rectangle.
struct MonitorDeviceInfo {
  GUID guid;
  RECT area;  // virtual-screen coordinates; the first is the primary, at 0,0
};

// What real Windows does where Wine is kinder; all off (Wine's answers) by default.
struct WindowsRules {
  bool no3D = false;                          // 64-bit Windows: no IDirect3D2, no texture surfaces
  std::vector<MonitorDeviceInfo> monitors;    // several monitors, each device with its own GUID
  bool windowedSurfacesLost = false;          // a mode change loses normal-level surfaces for good
  bool palettizedRamp = false;                // the Ramp device of Windows 95 to 8.1: 8-bit palettised textures only
  bool teardown = false;                      // device and DirectDraw object release as on Windows
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
  WindowsRules windows;                       // Wine's answers unless switched to Windows' (see above)
};
extern Config config;

// Switches on every point of config.windows but the monitors (they need a monitor list) and
// the 64-bit one (only the 64-bit build meets it).
void WindowsAsItIs();

// Another program changes the display mode: new DirectDraw objects see the new mode, and under
// windows.windowedSurfacesLost every surface of an object at the normal level is lost for good.
void ChangeDisplayMode(DWORD width, DWORD height, DWORD bits);

// The colour (0x00RRGGBB) of one texel as a device would sample it: through the palette attached
// to the surface now when it holds palette indices. CLR_INVALID before any GetDC or Load.
DWORD Texel(const std::string& surfaceName, int x, int y);

// The DirectDraw object behind an interface pointer of its (IDirectDraw, IDirectDraw2, IDirect3D2).
DirectDrawInfo* DirectDrawOf(const void* directDrawInterface);

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
