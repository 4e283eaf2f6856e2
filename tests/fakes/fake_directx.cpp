// The fake DirectX objects and platform calls: logging, scripted results, reference counts.
#include "fakes/fake_directx.h"

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <memory>

#include "platform/platform.h"
#include "platform/system_version.h"

// COM interfaces have no virtual destructor by design; the fakes are deleted through their
// ObjectInfo base, whose destructor is virtual.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

namespace fake {

Config config;
class FakeBase;

namespace {

struct ScriptEntry {
  std::string pattern;
  int occurrence;
  HRESULT result;
  int seen;
};

struct LogRecord {
  std::string line;
  bool failable;
};

struct Library {
  std::string name;
  int loads;
};

std::vector<std::string> lines;
std::vector<LogRecord> records;
std::vector<ScriptEntry> script;
std::vector<std::string> problems;
std::vector<std::string> debugTexts;
std::vector<std::unique_ptr<ObjectInfo>> objects;  // owned here until Reset, so stale pointers stay valid
std::map<const void*, FakeBase*> byInterface;  // every interface pointer handed out, to its object
std::map<HWND, std::string> windowNames;
std::vector<Library> libraries;  // index + 1 is the fake module handle's value
std::map<std::string, int> counters;
std::vector<DirectDrawInfo*> directDraws;

std::string Hex(DWORD value) {
  char text[16];
  snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(value));
  return text;
}

std::string Dec(long long value) { return std::to_string(value); }

std::string Float(double value) {
  char text[32];
  snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string Window(HWND window) {
  if (!window) return "null";
  auto found = windowNames.find(window);
  if (found != windowNames.end()) return found->second;
  return "hwnd";
}

std::string Rect(const RECT* rect) {
  if (!rect) return "null";
  return "(" + Dec(rect->left) + "," + Dec(rect->top) + "," + Dec(rect->right) + "," + Dec(rect->bottom) + ")";
}

std::string Guid(const GUID* guid) {
  if (!guid) return "null";
  static const struct {
    const GUID* id;
    const char* name;
  } known[] = {
      {&IID_IUnknown, "IID_IUnknown"},
      {&IID_IDirectDraw, "IID_IDirectDraw"},
      {&IID_IDirectDraw2, "IID_IDirectDraw2"},
      {&IID_IDirect3D2, "IID_IDirect3D2"},
      {&IID_IDirectDrawSurface, "IID_IDirectDrawSurface"},
      {&IID_IDirectDrawSurface2, "IID_IDirectDrawSurface2"},
      {&IID_IDirectDrawSurface3, "IID_IDirectDrawSurface3"},
      {&IID_IDirect3DTexture2, "IID_IDirect3DTexture2"},
      {&IID_IDirect3DHALDevice, "IID_IDirect3DHALDevice"},
      {&IID_IDirect3DRampDevice, "IID_IDirect3DRampDevice"},
      {&IID_IDirect3DRGBDevice, "IID_IDirect3DRGBDevice"},
      {&IID_IDirect3DMMXDevice, "IID_IDirect3DMMXDevice"},
      {&IID_IDirectDrawPalette, "IID_IDirectDrawPalette"},
      {&IID_IDirectDrawClipper, "IID_IDirectDrawClipper"},
      {&IID_IDirect3DDevice2, "IID_IDirect3DDevice2"},
      {&IID_IDirect3DViewport2, "IID_IDirect3DViewport2"},
      {&IID_IDirect3DMaterial2, "IID_IDirect3DMaterial2"},
  };
  for (const auto& entry : known)
    if (IsEqualGUID(*entry.id, *guid)) return entry.name;
  char text[48];
  snprintf(text, sizeof text, "{%08lx-%04x-%04x}", static_cast<unsigned long>(guid->Data1), guid->Data2, guid->Data3);
  return text;
}

std::string PixelFormat(const DDPIXELFORMAT& format) {
  return "{" + Dec(format.dwSize) + "," + Hex(format.dwFlags) + "," + Dec(format.dwRGBBitCount) + "}";
}

std::string SurfaceDesc(const DDSURFACEDESC* desc) {
  if (!desc) return "null";
  std::string text = "{flags=" + Hex(desc->dwFlags);
  if (desc->dwFlags & DDSD_CAPS) text += ",caps=" + Hex(desc->ddsCaps.dwCaps);
  if (desc->dwFlags & DDSD_WIDTH) text += ",w=" + Dec(desc->dwWidth);
  if (desc->dwFlags & DDSD_HEIGHT) text += ",h=" + Dec(desc->dwHeight);
  if (desc->dwFlags & DDSD_BACKBUFFERCOUNT) text += ",back=" + Dec(desc->dwBackBufferCount);
  if (desc->dwFlags & DDSD_PIXELFORMAT) text += ",pf=" + PixelFormat(desc->ddpfPixelFormat);
  if (desc->dwSize != sizeof(DDSURFACEDESC)) text += ",size=" + Dec(desc->dwSize);
  return text + "}";
}

// Logs one call and answers it: the scripted result if a script entry picks it, else S_OK.
HRESULT Record(const std::string& line, bool failable) {
  lines.push_back(line);
  records.push_back({line, failable});
  if (!failable) return S_OK;
  HRESULT result = S_OK;
  bool chosen = false;
  for (auto& entry : script) {
    if (line.find(entry.pattern) == std::string::npos) continue;
    ++entry.seen;
    if (!chosen && (entry.occurrence == 0 || entry.seen == entry.occurrence)) {
      result = entry.result;
      chosen = true;
    }
  }
  return result;
}

void Problem(const std::string& text) { problems.push_back(text); }

// Whether a creation scripted to fail hands back nothing (the usual case) or, when the
// config asks for it, its object all the same.
bool Refused(HRESULT result) { return result != S_OK && !config.refusedCreationsHandBackObjects; }

std::string NextName(const std::string& prefix) { return prefix + Dec(++counters[prefix]); }

}  // namespace

// Reference counting and call logging shared by every fake COM object.
class FakeBase {
 public:
  FakeBase(ObjectInfo& info, bool namedInLog) : info_(info), namedInLog_(namedInLog) {}
  virtual ~FakeBase() = default;

  // Called when the last reference goes: drop the references this object holds on others.
  virtual void OnFinalRelease() {}

  HRESULT Enter(const char* method, const std::string& args, bool failable = true) {
    bool isRelease = strcmp(method, "Release") == 0;
    if (info_.freedWithOwner)
      Problem("call on " + info_.name + " after its DirectDraw object was freed: " + method);
    else if (info_.refs <= 0 && info_.everAlive && !isRelease)
      Problem(std::string("call on released ") + info_.name + ": " + method);
    std::string line = info_.kind + "::" + method + "(";
    if (namedInLog_) line += args.empty() ? info_.name : info_.name + "," + args;
    else line += args;
    return Record(line + ")", failable);
  }

  ULONG LoggedAddRef() {
    Enter("AddRef", "", false);
    return static_cast<ULONG>(Hold());
  }

  ULONG LoggedRelease() {
    Enter("Release", "", false);
    if (info_.freedWithOwner) return 0;
    if (info_.refs <= 0) {
      Problem("over-release of " + info_.name);
      return 0;
    }
    return static_cast<ULONG>(Drop());
  }

  LONG Hold() {
    info_.everAlive = true;
    return ++info_.refs;
  }

  LONG Drop() {
    if (info_.refs <= 0) {
      Problem("internal over-release of " + info_.name);
      return 0;
    }
    LONG left = --info_.refs;
    if (left == 0) OnFinalRelease();
    return left;
  }

  ObjectInfo& info_;
  bool namedInLog_;
};

namespace {

void Register(FakeBase* object, const void* interfacePointer) { byInterface[interfacePointer] = object; }

template <class T>
T* Adopt(T* object) {
  objects.emplace_back(static_cast<ObjectInfo*>(object));
  return object;
}

FakeBase* BaseOf(const void* pointer) {
  auto found = byInterface.find(pointer);
  return found == byInterface.end() ? nullptr : found->second;
}

ObjectInfo* InfoOf(const void* pointer) {
  FakeBase* object = BaseOf(pointer);
  return object ? &object->info_ : nullptr;
}

std::string NameOfPointer(const void* pointer) {
  if (!pointer) return "null";
  ObjectInfo* info = InfoOf(pointer);
  return info ? info->name : "?";
}

}  // namespace

#define FAKE_REFCOUNT                                                      \
  ULONG STDMETHODCALLTYPE AddRef() override { return LoggedAddRef(); }     \
  ULONG STDMETHODCALLTYPE Release() override { return LoggedRelease(); }

// QueryInterface, AddRef and Release of an object that gives out one interface besides IUnknown.
#define FAKE_ONE_INTERFACE(Interface)                                                 \
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {         \
    HRESULT result = Enter("QueryInterface", Guid(&iid));                             \
    if (out) *out = nullptr;                                                          \
    if (result != S_OK) return result;                                                \
    if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_##Interface)) {        \
      HandOut(this, static_cast<Interface*>(this), out);                              \
      return S_OK;                                                                    \
    }                                                                                 \
    return E_NOINTERFACE;                                                             \
  }                                                                                   \
  FAKE_REFCOUNT

// Methods nothing here needs: logged, never failable, answered with DDERR_UNSUPPORTED.
#define FAKE_UNUSED(Method, Params)                  \
  HRESULT STDMETHODCALLTYPE Method Params override { \
    Enter(#Method, "", false);                       \
    return DDERR_UNSUPPORTED;                        \
  }

class FakeDirectDraw;
class FakeSurface;
class FakeDevice;

template <class Interface>
void HandOut(FakeBase* object, Interface* pointer, void** out) {
  object->Hold();
  *out = pointer;
}

class FakePalette final : public IDirectDrawPalette, public PaletteInfo, public FakeBase {
 public:
  FakePalette() : FakeBase(*this, true) {
    name = NextName("P");
    kind = "Palette";
  }
  FAKE_ONE_INTERFACE(IDirectDrawPalette)
  HRESULT STDMETHODCALLTYPE GetCaps(LPDWORD out) override {
    HRESULT result = Enter("GetCaps", "");
    if (result == S_OK && out) *out = caps;
    return result;
  }
  HRESULT STDMETHODCALLTYPE GetEntries(DWORD flags, DWORD base, DWORD count, LPPALETTEENTRY out) override {
    HRESULT result = Enter("GetEntries", Hex(flags) + "," + Dec(base) + "," + Dec(count));
    if (result == S_OK && out)
      for (DWORD i = 0; i < count && base + i < entryCount; ++i) out[i] = entries[base + i];
    return result;
  }
  FAKE_UNUSED(Initialize, (LPDIRECTDRAW, DWORD, LPPALETTEENTRY))
  HRESULT STDMETHODCALLTYPE SetEntries(DWORD flags, DWORD start, DWORD count, LPPALETTEENTRY in) override {
    HRESULT result = Enter("SetEntries", Hex(flags) + "," + Dec(start) + "," + Dec(count));
    if (result == S_OK && in)
      for (DWORD i = 0; i < count && start + i < entryCount; ++i) entries[start + i] = in[i];
    return result;
  }
};

class FakeClipper final : public IDirectDrawClipper, public ClipperInfo, public FakeBase {
 public:
  FakeClipper() : FakeBase(*this, true) {
    name = NextName("C");
    kind = "Clipper";
  }
  FAKE_ONE_INTERFACE(IDirectDrawClipper)
  FAKE_UNUSED(GetClipList, (LPRECT, LPRGNDATA, LPDWORD))
  HRESULT STDMETHODCALLTYPE GetHWnd(HWND* out) override {
    HRESULT result = Enter("GetHWnd", "");
    if (result == S_OK && out) *out = window;
    return result;
  }
  FAKE_UNUSED(Initialize, (LPDIRECTDRAW, DWORD))
  FAKE_UNUSED(IsClipListChanged, (WINBOOL*))
  FAKE_UNUSED(SetClipList, (LPRGNDATA, DWORD))
  HRESULT STDMETHODCALLTYPE SetHWnd(DWORD flags, HWND hwnd) override {
    HRESULT result = Enter("SetHWnd", Hex(flags) + "," + Window(hwnd));
    if (result == S_OK) window = hwnd;
    return result;
  }
};

class FakeSurface2;
class FakeSurface3;
class FakeTexture;

class FakeSurface final : public IDirectDrawSurface, public SurfaceInfo, public FakeBase {
 public:
  FakeSurface(FakeDirectDraw* owner, const DDSURFACEDESC& description);
  ~FakeSurface() override {
    if (memoryDc) DeleteDC(memoryDc);
    if (dib) DeleteObject(dib);
  }
  void OnFinalRelease() override;
  void EnsureDib();
  bool Palettized() const { return (desc.ddpfPixelFormat.dwFlags & (DDPF_PALETTEINDEXED8 | DDPF_PALETTEINDEXED4)) != 0; }
  // The colour table GetDC draws through: the attached palette's, or, without one, a wrong one.
  void ColourTable(RGBQUAD* table) const;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  FAKE_REFCOUNT
  FAKE_UNUSED(AddAttachedSurface, (LPDIRECTDRAWSURFACE))
  FAKE_UNUSED(AddOverlayDirtyRect, (LPRECT))
  HRESULT STDMETHODCALLTYPE Blt(LPRECT dest, LPDIRECTDRAWSURFACE source, LPRECT sourceRect, DWORD flags,
                                LPDDBLTFX effects) override;
  FAKE_UNUSED(BltBatch, (LPDDBLTBATCH, DWORD, DWORD))
  FAKE_UNUSED(BltFast, (DWORD, DWORD, LPDIRECTDRAWSURFACE, LPRECT, DWORD))
  FAKE_UNUSED(DeleteAttachedSurface, (DWORD, LPDIRECTDRAWSURFACE))
  FAKE_UNUSED(EnumAttachedSurfaces, (LPVOID, LPDDENUMSURFACESCALLBACK))
  FAKE_UNUSED(EnumOverlayZOrders, (DWORD, LPVOID, LPDDENUMSURFACESCALLBACK))
  HRESULT STDMETHODCALLTYPE Flip(LPDIRECTDRAWSURFACE target, DWORD flags) override {
    HRESULT result = Enter("Flip", NameOfPointer(target) + "," + Hex(flags));
    return result == S_OK && lost ? DDERR_SURFACELOST : result;
  }
  HRESULT STDMETHODCALLTYPE GetAttachedSurface(LPDDSCAPS caps, LPDIRECTDRAWSURFACE* out) override;
  FAKE_UNUSED(GetBltStatus, (DWORD))
  HRESULT STDMETHODCALLTYPE GetCaps(LPDDSCAPS out) override {
    HRESULT result = Enter("GetCaps", "");
    if (result == S_OK && out) *out = desc.ddsCaps;
    return result;
  }
  FAKE_UNUSED(GetClipper, (LPDIRECTDRAWCLIPPER*))
  FAKE_UNUSED(GetColorKey, (DWORD, LPDDCOLORKEY))
  HRESULT STDMETHODCALLTYPE GetDC(HDC* out) override;
  FAKE_UNUSED(GetFlipStatus, (DWORD))
  FAKE_UNUSED(GetOverlayPosition, (LPLONG, LPLONG))
  FAKE_UNUSED(GetPalette, (LPDIRECTDRAWPALETTE*))
  HRESULT STDMETHODCALLTYPE GetPixelFormat(LPDDPIXELFORMAT out) override {
    HRESULT result = Enter("GetPixelFormat", "");
    if (result == S_OK && out) *out = desc.ddpfPixelFormat;
    return result;
  }
  HRESULT STDMETHODCALLTYPE GetSurfaceDesc(LPDDSURFACEDESC out) override {
    HRESULT result = Enter("GetSurfaceDesc", "");
    if (result == S_OK && out) {
      DWORD size = out->dwSize;
      if (size != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
      *out = desc;
    }
    return result;
  }
  FAKE_UNUSED(Initialize, (LPDIRECTDRAW, LPDDSURFACEDESC))
  HRESULT STDMETHODCALLTYPE IsLost() override {
    HRESULT result = Enter("IsLost", "");
    return result == S_OK && lost ? DDERR_SURFACELOST : result;
  }
  FAKE_UNUSED(Lock, (LPRECT, LPDDSURFACEDESC, DWORD, HANDLE))
  HRESULT STDMETHODCALLTYPE ReleaseDC(HDC dc) override {
    HRESULT result = Enter("ReleaseDC", dc == memoryDc && dc ? "dc" : "?");
    if (!dcOut || dc != memoryDc) Problem("ReleaseDC without GetDC on " + name);
    dcOut = false;
    return result;
  }
  // A surface made in the display mode before a change cannot come back (windows.windowedSurfacesLost).
  HRESULT STDMETHODCALLTYPE Restore() override {
    HRESULT result = Enter("Restore", "");
    if (result != S_OK) return result;
    if (wrongMode) return DDERR_WRONGMODE;
    lost = false;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetClipper(LPDIRECTDRAWCLIPPER newClipper) override;
  HRESULT STDMETHODCALLTYPE SetColorKey(DWORD flags, LPDDCOLORKEY key) override {
    HRESULT result = Enter("SetColorKey", Hex(flags) + "," +
                                              (key ? "{" + Hex(key->dwColorSpaceLowValue) + "," +
                                                         Hex(key->dwColorSpaceHighValue) + "}"
                                                   : std::string("null")));
    if (result == S_OK && key && (flags & DDCKEY_SRCBLT)) {
      hasSourceKey = true;
      sourceKey = *key;
    }
    return result;
  }
  FAKE_UNUSED(SetOverlayPosition, (LONG, LONG))
  HRESULT STDMETHODCALLTYPE SetPalette(LPDIRECTDRAWPALETTE newPalette) override;
  FAKE_UNUSED(Unlock, (LPVOID))
  FAKE_UNUSED(UpdateOverlay, (LPRECT, LPDIRECTDRAWSURFACE, LPRECT, DWORD, LPDDOVERLAYFX))
  FAKE_UNUSED(UpdateOverlayDisplay, (DWORD))
  FAKE_UNUSED(UpdateOverlayZOrder, (DWORD, LPDIRECTDRAWSURFACE))

  FakeDirectDraw* owner_;
  FakeSurface* back_ = nullptr;            // attached back buffer, held by this front buffer
  FakeBase* clipperObject_ = nullptr;      // held
  FakeBase* paletteObject_ = nullptr;      // held
  FakeSurface2* surface2_ = nullptr;
  FakeSurface3* surface3_ = nullptr;
  FakeTexture* texture_ = nullptr;
  int number_ = 0;
};

// Methods shared by the IDirectDrawSurface2 and IDirectDrawSurface3 views of a surface.
#define FAKE_SURFACE_VIEW_COMMON(SurfaceType)                                                  \
  FAKE_REFCOUNT                                                                                \
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {                  \
    return surface_->QueryInterface(iid, out);                                                 \
  }                                                                                            \
  FAKE_UNUSED(AddAttachedSurface, (SurfaceType))                                               \
  FAKE_UNUSED(AddOverlayDirtyRect, (LPRECT))                                                   \
  FAKE_UNUSED(Blt, (LPRECT, SurfaceType, LPRECT, DWORD, LPDDBLTFX))                            \
  FAKE_UNUSED(BltBatch, (LPDDBLTBATCH, DWORD, DWORD))                                          \
  FAKE_UNUSED(BltFast, (DWORD, DWORD, SurfaceType, LPRECT, DWORD))                             \
  FAKE_UNUSED(DeleteAttachedSurface, (DWORD, SurfaceType))                                     \
  FAKE_UNUSED(EnumAttachedSurfaces, (LPVOID, LPDDENUMSURFACESCALLBACK))                        \
  FAKE_UNUSED(EnumOverlayZOrders, (DWORD, LPVOID, LPDDENUMSURFACESCALLBACK))                   \
  FAKE_UNUSED(Flip, (SurfaceType, DWORD))                                                      \
  FAKE_UNUSED(GetAttachedSurface, (LPDDSCAPS, SurfaceType*))                                   \
  FAKE_UNUSED(GetBltStatus, (DWORD))                                                           \
  FAKE_UNUSED(GetCaps, (LPDDSCAPS))                                                            \
  FAKE_UNUSED(GetClipper, (LPDIRECTDRAWCLIPPER*))                                              \
  FAKE_UNUSED(GetColorKey, (DWORD, LPDDCOLORKEY))                                              \
  FAKE_UNUSED(GetDC, (HDC*))                                                                   \
  FAKE_UNUSED(GetFlipStatus, (DWORD))                                                          \
  FAKE_UNUSED(GetOverlayPosition, (LPLONG, LPLONG))                                            \
  FAKE_UNUSED(GetPalette, (LPDIRECTDRAWPALETTE*))                                              \
  FAKE_UNUSED(GetPixelFormat, (LPDDPIXELFORMAT))                                               \
  FAKE_UNUSED(GetSurfaceDesc, (LPDDSURFACEDESC))                                               \
  FAKE_UNUSED(Initialize, (LPDIRECTDRAW, LPDDSURFACEDESC))                                     \
  FAKE_UNUSED(IsLost, ())                                                                      \
  FAKE_UNUSED(Lock, (LPRECT, LPDDSURFACEDESC, DWORD, HANDLE))                                  \
  FAKE_UNUSED(ReleaseDC, (HDC))                                                                \
  FAKE_UNUSED(Restore, ())                                                                     \
  FAKE_UNUSED(SetClipper, (LPDIRECTDRAWCLIPPER))                                               \
  FAKE_UNUSED(SetColorKey, (DWORD, LPDDCOLORKEY))                                              \
  FAKE_UNUSED(SetOverlayPosition, (LONG, LONG))                                                \
  FAKE_UNUSED(SetPalette, (LPDIRECTDRAWPALETTE))                                               \
  FAKE_UNUSED(Unlock, (LPVOID))                                                                \
  FAKE_UNUSED(UpdateOverlay, (LPRECT, SurfaceType, LPRECT, DWORD, LPDDOVERLAYFX))              \
  FAKE_UNUSED(UpdateOverlayDisplay, (DWORD))                                                   \
  FAKE_UNUSED(UpdateOverlayZOrder, (DWORD, SurfaceType))                                       \
  HRESULT STDMETHODCALLTYPE GetDDInterface(LPVOID* out) override;                              \
  FAKE_UNUSED(PageLock, (DWORD))                                                               \
  FAKE_UNUSED(PageUnlock, (DWORD))                                                             \
  FakeSurface* surface_;

class FakeSurface2 final : public IDirectDrawSurface2, public ObjectInfo, public FakeBase {
 public:
  explicit FakeSurface2(FakeSurface* surface) : FakeBase(*this, true), surface_(surface) {
    name = surface->name;
    kind = "Surface2";
  }
  FAKE_SURFACE_VIEW_COMMON(LPDIRECTDRAWSURFACE2)
};

class FakeSurface3 final : public IDirectDrawSurface3, public ObjectInfo, public FakeBase {
 public:
  explicit FakeSurface3(FakeSurface* surface) : FakeBase(*this, true), surface_(surface) {
    name = surface->name;
    kind = "Surface3";
  }
  FAKE_SURFACE_VIEW_COMMON(LPDIRECTDRAWSURFACE3)
  FAKE_UNUSED(SetSurfaceDesc, (LPDDSURFACEDESC, DWORD))
};

class FakeTexture final : public IDirect3DTexture2, public ObjectInfo, public FakeBase {
 public:
  explicit FakeTexture(FakeSurface* surface) : FakeBase(*this, true), surface_(surface) {
    name = surface->name;
    kind = "Texture";
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override { return surface_->QueryInterface(iid, out); }
  FAKE_REFCOUNT
  HRESULT STDMETHODCALLTYPE GetHandle(IDirect3DDevice2* device, D3DTEXTUREHANDLE* out) override {
    HRESULT result = Enter("GetHandle", NameOfPointer(device));
    if (out) *out = result == S_OK ? static_cast<D3DTEXTUREHANDLE>(surface_->number_) : 0;
    return result;
  }
  FAKE_UNUSED(PaletteChanged, (DWORD, DWORD))
  HRESULT STDMETHODCALLTYPE Load(IDirect3DTexture2* source) override {
    HRESULT result = Enter("Load", NameOfPointer(source));
    if (result == S_OK) {
      if (byInterface.count(static_cast<const void*>(source)) == 0) return DDERR_INVALIDPARAMS;
      FakeTexture* from = static_cast<FakeTexture*>(source);
      if (config.windows.palettizedRamp && surface_->Palettized() && surface_->palette.empty())
        return DDERR_NOPALETTEATTACHED;
      surface_->loadedFrom = from->surface_->name;
      const DWORD texels = surface_->desc.dwWidth * surface_->desc.dwHeight;
      if (from->surface_->indices && surface_->Palettized() && surface_->desc.dwWidth == from->surface_->desc.dwWidth &&
          surface_->desc.dwHeight == from->surface_->desc.dwHeight) {
        surface_->EnsureDib();
        if (surface_->indices) memcpy(surface_->indices, from->surface_->indices, texels);
      } else if (from->surface_->pixels && surface_->desc.dwWidth == from->surface_->desc.dwWidth &&
          surface_->desc.dwHeight == from->surface_->desc.dwHeight) {
        surface_->EnsureDib();
        if (surface_->pixels)
          memcpy(surface_->pixels, from->surface_->pixels,
                 sizeof(DWORD) * surface_->desc.dwWidth * surface_->desc.dwHeight);
      }
    }
    return result;
  }
  FakeSurface* surface_;
};

class FakeDirectDraw2;
class FakeDirect3D2;

class FakeDirectDraw final : public IDirectDraw, public DirectDrawInfo, public FakeBase {
 public:
  FakeDirectDraw();
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override { return QueryAs("DD", iid, out); }
  FAKE_REFCOUNT
  FAKE_UNUSED(Compact, ())
  HRESULT STDMETHODCALLTYPE CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* out, IUnknown* outer) override {
    return DoCreateClipper(*this, flags, out, outer);
  }
  HRESULT STDMETHODCALLTYPE CreatePalette(DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* out,
                                          IUnknown* outer) override {
    return DoCreatePalette(*this, flags, entries, out, outer);
  }
  HRESULT STDMETHODCALLTYPE CreateSurface(LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE* out, IUnknown* outer) override {
    return DoCreateSurface(*this, desc, out, outer);
  }
  FAKE_UNUSED(DuplicateSurface, (LPDIRECTDRAWSURFACE, LPDIRECTDRAWSURFACE*))
  FAKE_UNUSED(EnumDisplayModes, (DWORD, LPDDSURFACEDESC, LPVOID, LPDDENUMMODESCALLBACK))
  FAKE_UNUSED(EnumSurfaces, (DWORD, LPDDSURFACEDESC, LPVOID, LPDDENUMSURFACESCALLBACK))
  FAKE_UNUSED(FlipToGDISurface, ())
  FAKE_UNUSED(GetCaps, (LPDDCAPS, LPDDCAPS))
  FAKE_UNUSED(GetDisplayMode, (LPDDSURFACEDESC))
  FAKE_UNUSED(GetFourCCCodes, (LPDWORD, LPDWORD))
  FAKE_UNUSED(GetGDISurface, (LPDIRECTDRAWSURFACE*))
  FAKE_UNUSED(GetMonitorFrequency, (LPDWORD))
  FAKE_UNUSED(GetScanLine, (LPDWORD))
  FAKE_UNUSED(GetVerticalBlankStatus, (WINBOOL*))
  FAKE_UNUSED(Initialize, (GUID*))
  HRESULT STDMETHODCALLTYPE RestoreDisplayMode() override { return Enter("RestoreDisplayMode", ""); }
  HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override {
    return DoSetCooperativeLevel(*this, window, flags);
  }
  HRESULT STDMETHODCALLTYPE SetDisplayMode(DWORD width, DWORD height, DWORD bits) override {
    return DoSetDisplayMode(*this, width, height, bits, Dec(width) + "," + Dec(height) + "," + Dec(bits));
  }
  FAKE_UNUSED(WaitForVerticalBlank, (DWORD, HANDLE))

  // The work behind the methods IDirectDraw and IDirectDraw2 share; caller is the interface used.
  HRESULT QueryAs(const char* kindName, REFIID iid, void** out);
  HRESULT DoCreateClipper(FakeBase& caller, DWORD flags, LPDIRECTDRAWCLIPPER* out, IUnknown* outer);
  HRESULT DoCreatePalette(FakeBase& caller, DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* out,
                          IUnknown* outer);
  HRESULT DoCreateSurface(FakeBase& caller, LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE* out, IUnknown* outer);
  HRESULT DoSetCooperativeLevel(FakeBase& caller, HWND window, DWORD flags);
  HRESULT DoSetDisplayMode(FakeBase& caller, DWORD width, DWORD height, DWORD bits, const std::string& args);

  // Frees the surfaces, palettes and clippers still alive once every interface is released,
  // as Windows does (windows.teardown).
  void FreeIfUnreferenced();
  void OnFinalRelease() override { FreeIfUnreferenced(); }

  FakeDirectDraw2* dd2_;
  FakeDirect3D2* d3d2_;
  std::vector<FakeBase*> children_;  // every surface, palette and clipper it made; not held
};

class FakeDirectDraw2 final : public IDirectDraw2, public ObjectInfo, public FakeBase {
 public:
  explicit FakeDirectDraw2(FakeDirectDraw* owner) : FakeBase(*this, false), owner_(owner) {
    name = owner->name + ".DD2";
    kind = "DD2";
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override { return owner_->QueryAs("DD2", iid, out); }
  FAKE_REFCOUNT
  FAKE_UNUSED(Compact, ())
  HRESULT STDMETHODCALLTYPE CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* out, IUnknown* outer) override {
    return owner_->DoCreateClipper(*this, flags, out, outer);
  }
  HRESULT STDMETHODCALLTYPE CreatePalette(DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* out,
                                          IUnknown* outer) override {
    return owner_->DoCreatePalette(*this, flags, entries, out, outer);
  }
  HRESULT STDMETHODCALLTYPE CreateSurface(LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE* out, IUnknown* outer) override {
    return owner_->DoCreateSurface(*this, desc, out, outer);
  }
  FAKE_UNUSED(DuplicateSurface, (LPDIRECTDRAWSURFACE, LPDIRECTDRAWSURFACE*))
  FAKE_UNUSED(EnumDisplayModes, (DWORD, LPDDSURFACEDESC, LPVOID, LPDDENUMMODESCALLBACK))
  FAKE_UNUSED(EnumSurfaces, (DWORD, LPDDSURFACEDESC, LPVOID, LPDDENUMSURFACESCALLBACK))
  FAKE_UNUSED(FlipToGDISurface, ())
  FAKE_UNUSED(GetCaps, (LPDDCAPS, LPDDCAPS))
  FAKE_UNUSED(GetDisplayMode, (LPDDSURFACEDESC))
  FAKE_UNUSED(GetFourCCCodes, (LPDWORD, LPDWORD))
  FAKE_UNUSED(GetGDISurface, (LPDIRECTDRAWSURFACE*))
  FAKE_UNUSED(GetMonitorFrequency, (LPDWORD))
  FAKE_UNUSED(GetScanLine, (LPDWORD))
  FAKE_UNUSED(GetVerticalBlankStatus, (WINBOOL*))
  FAKE_UNUSED(Initialize, (GUID*))
  HRESULT STDMETHODCALLTYPE RestoreDisplayMode() override { return Enter("RestoreDisplayMode", ""); }
  HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override {
    return owner_->DoSetCooperativeLevel(*this, window, flags);
  }
  HRESULT STDMETHODCALLTYPE SetDisplayMode(DWORD width, DWORD height, DWORD bits, DWORD refresh, DWORD flags) override {
    return owner_->DoSetDisplayMode(*this, width, height, bits,
                                    Dec(width) + "," + Dec(height) + "," + Dec(bits) + "," + Dec(refresh) + "," + Hex(flags));
  }
  FAKE_UNUSED(WaitForVerticalBlank, (DWORD, HANDLE))
  FAKE_UNUSED(GetAvailableVidMem, (LPDDSCAPS, LPDWORD, LPDWORD))
  void OnFinalRelease() override { owner_->FreeIfUnreferenced(); }

  FakeDirectDraw* owner_;
};

class FakeViewport final : public IDirect3DViewport2, public ViewportInfo, public FakeBase {
 public:
  FakeViewport() : FakeBase(*this, true) {
    name = NextName("V");
    kind = "Viewport";
  }
  FAKE_ONE_INTERFACE(IDirect3DViewport2)
  FAKE_UNUSED(Initialize, (IDirect3D*))
  FAKE_UNUSED(GetViewport, (D3DVIEWPORT*))
  FAKE_UNUSED(SetViewport, (D3DVIEWPORT*))
  FAKE_UNUSED(TransformVertices, (DWORD, D3DTRANSFORMDATA*, DWORD, DWORD*))
  FAKE_UNUSED(LightElements, (DWORD, D3DLIGHTDATA*))
  FAKE_UNUSED(SetBackground, (D3DMATERIALHANDLE))
  FAKE_UNUSED(GetBackground, (D3DMATERIALHANDLE*, WINBOOL*))
  FAKE_UNUSED(SetBackgroundDepth, (IDirectDrawSurface*))
  FAKE_UNUSED(GetBackgroundDepth, (IDirectDrawSurface**, WINBOOL*))
  HRESULT STDMETHODCALLTYPE Clear(DWORD count, D3DRECT* rects, DWORD flags) override {
    std::string list;
    for (DWORD i = 0; rects && i < count; ++i)
      list += "(" + Dec(rects[i].x1) + "," + Dec(rects[i].y1) + "," + Dec(rects[i].x2) + "," + Dec(rects[i].y2) + ")";
    return Enter("Clear", Dec(count) + "," + (rects ? list : std::string("null")) + "," + Hex(flags));
  }
  FAKE_UNUSED(AddLight, (IDirect3DLight*))
  FAKE_UNUSED(DeleteLight, (IDirect3DLight*))
  FAKE_UNUSED(NextLight, (IDirect3DLight*, IDirect3DLight**, DWORD))
  HRESULT STDMETHODCALLTYPE GetViewport2(D3DVIEWPORT2* out) override {
    HRESULT result = Enter("GetViewport2", "");
    if (result == S_OK && out) *out = data;
    return result;
  }
  HRESULT STDMETHODCALLTYPE SetViewport2(D3DVIEWPORT2* in) override {
    std::string args = "null";
    if (in)
      args = "{" + Dec(in->dwSize) + "," + Dec(in->dwX) + "," + Dec(in->dwY) + "," + Dec(in->dwWidth) + "," +
             Dec(in->dwHeight) + "," + Float(in->dvClipX) + "," + Float(in->dvClipY) + "," +
             Float(in->dvClipWidth) + "," + Float(in->dvClipHeight) + "," + Float(in->dvMinZ) + "," +
             Float(in->dvMaxZ) + "}";
    HRESULT result = Enter("SetViewport2", args);
    if (result == S_OK && in) {
      data = *in;
      dataSet = true;
    }
    return result;
  }
};

class FakeMaterial final : public IDirect3DMaterial2, public MaterialInfo, public FakeBase {
 public:
  FakeMaterial() : FakeBase(*this, true) {
    name = NextName("M");
    kind = "Material";
  }
  FAKE_ONE_INTERFACE(IDirect3DMaterial2)
  HRESULT STDMETHODCALLTYPE SetMaterial(D3DMATERIAL* in) override {
    HRESULT result = Enter("SetMaterial", in ? "{size=" + Dec(in->dwSize) + ",tex=" + Dec(in->hTexture) + "}" : "null");
    if (result == S_OK && in) data = *in;
    return result;
  }
  HRESULT STDMETHODCALLTYPE GetMaterial(D3DMATERIAL* out) override {
    HRESULT result = Enter("GetMaterial", "");
    if (result == S_OK && out) *out = data;
    return result;
  }
  HRESULT STDMETHODCALLTYPE GetHandle(IDirect3DDevice2* device, D3DMATERIALHANDLE* out) override {
    HRESULT result = Enter("GetHandle", NameOfPointer(device));
    handle = static_cast<D3DMATERIALHANDLE>(0x100 + atoi(name.c_str() + 1));
    if (out) *out = result == S_OK ? handle : 0;
    return result;
  }
};

class FakeDevice final : public IDirect3DDevice2, public DeviceInfo, public FakeBase {
 public:
  FakeDevice(FakeDirect3D2* direct3D, FakeSurface* target, const std::string& deviceType);
  void OnFinalRelease() override;
  FAKE_ONE_INTERFACE(IDirect3DDevice2)
  HRESULT STDMETHODCALLTYPE GetCaps(D3DDEVICEDESC* hal, D3DDEVICEDESC* hel) override {
    HRESULT result =
        Enter("GetCaps", (hal ? Dec(hal->dwSize) : std::string("null")) + "," + (hel ? Dec(hel->dwSize) : std::string("null")));
    if (result != S_OK) return result;
    DWORD hardwareModel = type == "HAL" ? config.halColorModel : type == "Ramp" ? config.rampColorModel : 0;
    DWORD emulationModel = type == "Ramp" ? static_cast<DWORD>(D3DCOLOR_MONO) : 0;
    FillCaps(hal, hardwareModel);
    FillCaps(hel, emulationModel);
    return result;
  }
  FAKE_UNUSED(SwapTextureHandles, (IDirect3DTexture2*, IDirect3DTexture2*))
  FAKE_UNUSED(GetStats, (D3DSTATS*))
  HRESULT STDMETHODCALLTYPE AddViewport(IDirect3DViewport2* viewport) override;
  HRESULT STDMETHODCALLTYPE DeleteViewport(IDirect3DViewport2* viewport) override;
  FAKE_UNUSED(NextViewport, (IDirect3DViewport2*, IDirect3DViewport2**, DWORD))
  HRESULT STDMETHODCALLTYPE EnumTextureFormats(LPD3DENUMTEXTUREFORMATSCALLBACK callback, void* context) override {
    HRESULT result = Enter("EnumTextureFormats", "");
    if (result != S_OK || !callback) return result;
    std::vector<DDPIXELFORMAT> formats = config.textureFormats;
    if (config.windows.palettizedRamp && type == "Ramp") formats = {PalettizedFormat(8, DDPF_PALETTEINDEXED8)};
    for (const DDPIXELFORMAT& format : formats) {
      DDSURFACEDESC offered{};
      offered.dwSize = sizeof offered;
      offered.dwFlags = DDSD_CAPS | DDSD_PIXELFORMAT;
      offered.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
      offered.ddpfPixelFormat = format;
      if (callback(&offered, context) == D3DENUMRET_CANCEL) break;
    }
    return result;
  }
  HRESULT STDMETHODCALLTYPE BeginScene() override {
    HRESULT result = Enter("BeginScene", "");
    if (result == S_OK) {
      if (sceneDepth != 0) Problem("nested BeginScene on " + name);
      ++sceneDepth;
    }
    return result;
  }
  HRESULT STDMETHODCALLTYPE EndScene() override {
    HRESULT result = Enter("EndScene", "");
    if (result == S_OK) {
      if (sceneDepth != 1) Problem("EndScene outside a scene on " + name);
      else ++scenes;
      sceneDepth = 0;
    }
    return result;
  }
  HRESULT STDMETHODCALLTYPE GetDirect3D(IDirect3D2** out) override;
  HRESULT STDMETHODCALLTYPE SetCurrentViewport(IDirect3DViewport2* viewport) override;
  HRESULT STDMETHODCALLTYPE GetCurrentViewport(IDirect3DViewport2** out) override;
  FAKE_UNUSED(SetRenderTarget, (IDirectDrawSurface*, DWORD))
  HRESULT STDMETHODCALLTYPE GetRenderTarget(IDirectDrawSurface** out) override;
  FAKE_UNUSED(Begin, (D3DPRIMITIVETYPE, D3DVERTEXTYPE, DWORD))
  FAKE_UNUSED(BeginIndexed, (D3DPRIMITIVETYPE, D3DVERTEXTYPE, void*, DWORD, DWORD))
  FAKE_UNUSED(Vertex, (void*))
  FAKE_UNUSED(Index, (WORD))
  FAKE_UNUSED(End, (DWORD))
  HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE state, LPDWORD out) override {
    HRESULT result = Enter("GetRenderState", Dec(state));
    if (result == S_OK && out) *out = renderStates.count(state) ? renderStates[state] : 0;
    return result;
  }
  HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override {
    HRESULT result = Enter("SetRenderState", Dec(state) + "," + Dec(value));
    if (result == S_OK) renderStates[state] = value;
    return result;
  }
  HRESULT STDMETHODCALLTYPE GetLightState(D3DLIGHTSTATETYPE state, LPDWORD out) override {
    HRESULT result = Enter("GetLightState", Dec(state));
    if (result == S_OK && out) *out = lightStates.count(state) ? lightStates[state] : 0;
    return result;
  }
  HRESULT STDMETHODCALLTYPE SetLightState(D3DLIGHTSTATETYPE state, DWORD value) override {
    HRESULT result = Enter("SetLightState", Dec(state) + "," + Hex(value));
    if (result == S_OK) lightStates[state] = value;
    return result;
  }
  FAKE_UNUSED(SetTransform, (D3DTRANSFORMSTATETYPE, D3DMATRIX*))
  FAKE_UNUSED(GetTransform, (D3DTRANSFORMSTATETYPE, D3DMATRIX*))
  FAKE_UNUSED(MultiplyTransform, (D3DTRANSFORMSTATETYPE, D3DMATRIX*))
  HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE primitive, D3DVERTEXTYPE vertexType, void* vertices,
                                         DWORD count, DWORD flags) override {
    HRESULT result = Enter("DrawPrimitive", Dec(primitive) + "," + Dec(vertexType) + "," + Dec(count) + "," + Hex(flags));
    if (result == S_OK) {
      if (sceneDepth != 1) Problem("DrawPrimitive outside a scene on " + name);
      DrawRecord draw{primitive, vertexType, flags, {}, renderStates};
      if (vertexType == D3DVT_TLVERTEX && vertices) {
        const D3DTLVERTEX* first = static_cast<const D3DTLVERTEX*>(vertices);
        draw.vertices.assign(first, first + count);
      }
      draws.push_back(std::move(draw));
    }
    return result;
  }
  FAKE_UNUSED(DrawIndexedPrimitive, (D3DPRIMITIVETYPE, D3DVERTEXTYPE, void*, DWORD, WORD*, DWORD, DWORD))
  FAKE_UNUSED(SetClipStatus, (D3DCLIPSTATUS*))
  FAKE_UNUSED(GetClipStatus, (D3DCLIPSTATUS*))

  static void FillCaps(D3DDEVICEDESC* desc, DWORD colorModel) {
    if (!desc) return;
    // Only the DirectX 5 part (204 bytes) of the record is the caller's to receive.
    if (desc->dwSize < offsetof(D3DDEVICEDESC, dcmColorModel) + sizeof(DWORD)) return;
    desc->dwFlags |= D3DDD_COLORMODEL;
    desc->dcmColorModel = colorModel;
  }

  FakeDirect3D2* direct3D_;
  FakeSurface* target_;                     // held
  std::vector<FakeViewport*> viewportObjects_;  // held
  FakeViewport* current_ = nullptr;         // held
};

class FakeDirect3D2 final : public IDirect3D2, public ObjectInfo, public FakeBase {
 public:
  explicit FakeDirect3D2(FakeDirectDraw* owner) : FakeBase(*this, false), owner_(owner) {
    name = owner->name + ".D3D2";
    kind = "D3D2";
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override { return owner_->QueryAs("D3D2", iid, out); }
  FAKE_REFCOUNT
  void OnFinalRelease() override { owner_->FreeIfUnreferenced(); }
  FAKE_UNUSED(EnumDevices, (LPD3DENUMDEVICESCALLBACK, void*))
  FAKE_UNUSED(CreateLight, (struct IDirect3DLight**, IUnknown*))
  HRESULT STDMETHODCALLTYPE CreateMaterial(IDirect3DMaterial2** out, IUnknown* outer) override {
    HRESULT result = Enter("CreateMaterial", outer ? "outer" : "null");
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (Refused(result)) return result;
    FakeMaterial* material = Adopt(new FakeMaterial());
    Register(material, static_cast<IDirect3DMaterial2*>(material));
    HandOut(material, static_cast<IDirect3DMaterial2*>(material), reinterpret_cast<void**>(out));
    return result;
  }
  HRESULT STDMETHODCALLTYPE CreateViewport(IDirect3DViewport2** out, IUnknown* outer) override {
    HRESULT result = Enter("CreateViewport", outer ? "outer" : "null");
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (Refused(result)) return result;
    FakeViewport* viewport = Adopt(new FakeViewport());
    Register(viewport, static_cast<IDirect3DViewport2*>(viewport));
    HandOut(viewport, static_cast<IDirect3DViewport2*>(viewport), reinterpret_cast<void**>(out));
    return result;
  }
  FAKE_UNUSED(FindDevice, (D3DFINDDEVICESEARCH*, D3DFINDDEVICERESULT*))
  HRESULT STDMETHODCALLTYPE CreateDevice(REFCLSID type, IDirectDrawSurface* surface, IDirect3DDevice2** out) override {
    HRESULT result = Enter("CreateDevice", Guid(&type) + "," + NameOfPointer(surface));
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (Refused(result)) return result;
    if (!surface || byInterface.count(static_cast<const void*>(surface)) == 0) return DDERR_INVALIDPARAMS;
    // An emulated object has no hardware device; the result is the fake's choice.
    if (IsEqualGUID(type, IID_IDirect3DHALDevice) && owner_->emulated && !(owner_->cooperativeFlags & DDSCL_EXCLUSIVE))
      return DDERR_NODIRECTDRAWHW;
    std::string typeName = IsEqualGUID(type, IID_IDirect3DHALDevice)    ? "HAL"
                           : IsEqualGUID(type, IID_IDirect3DRampDevice) ? "Ramp"
                                                                        : Guid(&type);
    FakeDevice* device = new FakeDevice(this, static_cast<FakeSurface*>(surface), typeName);
    Register(Adopt(device), static_cast<IDirect3DDevice2*>(device));
    HandOut(device, static_cast<IDirect3DDevice2*>(device), reinterpret_cast<void**>(out));
    return result;
  }

  FakeDirectDraw* owner_;
};

// ---- FakeDirectDraw

FakeDirectDraw::FakeDirectDraw() : FakeBase(*this, false) {
  name = NextName("ddraw");
  kind = "DD";
  modeWidth = config.screenWidth;
  modeHeight = config.screenHeight;
  modeBits = config.screenBits;
  dd2_ = new FakeDirectDraw2(this);
  d3d2_ = new FakeDirect3D2(this);
}

HRESULT FakeDirectDraw::QueryAs(const char* kindName, REFIID iid, void** out) {
  FakeBase* caller = this;
  if (strcmp(kindName, "DD2") == 0) caller = dd2_;
  if (strcmp(kindName, "D3D2") == 0) caller = d3d2_;
  HRESULT result = caller->Enter("QueryInterface", Guid(&iid));
  if (!out) return E_POINTER;
  *out = nullptr;
  if (Refused(result)) return result;
  if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_IDirectDraw)) {
    HandOut(this, static_cast<IDirectDraw*>(this), out);
  } else if (IsEqualGUID(iid, IID_IDirectDraw2)) {
    HandOut(dd2_, static_cast<IDirectDraw2*>(dd2_), out);
  } else if (IsEqualGUID(iid, IID_IDirect3D2) && !config.windows.no3D) {
    HandOut(d3d2_, static_cast<IDirect3D2*>(d3d2_), out);
  } else {
    return E_NOINTERFACE;
  }
  return result;
}

void FakeDirectDraw::FreeIfUnreferenced() {
  if (freed || refs != 0 || dd2_->refs != 0 || d3d2_->refs != 0) return;
  freed = true;
  if (!config.windows.teardown) return;
  for (FakeBase* child : children_) {
    if (child->info_.refs <= 0) continue;
    child->info_.freedWithOwner = true;
    child->info_.refs = 0;
    if (child->info_.kind != "Surface") continue;
    FakeSurface* surface = static_cast<FakeSurface*>(child);
    FakeBase* views[] = {surface->surface2_, surface->surface3_, surface->texture_};
    for (FakeBase* view : views) {
      if (view && view->info_.refs > 0) {
        view->info_.freedWithOwner = true;
        view->info_.refs = 0;
      }
    }
  }
}

HRESULT FakeDirectDraw::DoCreateClipper(FakeBase& caller, DWORD flags, LPDIRECTDRAWCLIPPER* out, IUnknown* outer) {
  HRESULT result = caller.Enter("CreateClipper", Hex(flags) + (outer ? ",outer" : ""));
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (Refused(result)) return result;
  FakeClipper* clipper = new FakeClipper();
  Register(Adopt(clipper), static_cast<IDirectDrawClipper*>(clipper));
  children_.push_back(clipper);
  HandOut(clipper, static_cast<IDirectDrawClipper*>(clipper), reinterpret_cast<void**>(out));
  return result;
}

HRESULT FakeDirectDraw::DoCreatePalette(FakeBase& caller, DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* out,
                                        IUnknown* outer) {
  HRESULT result = caller.Enter("CreatePalette", Hex(flags) + (entries ? ",entries" : ",null") + (outer ? ",outer" : ""));
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (Refused(result)) return result;
  if (!entries) return DDERR_INVALIDPARAMS;
  FakePalette* palette = new FakePalette();
  palette->caps = flags;
  palette->entryCount = (flags & DDPCAPS_8BIT) ? 256 : (flags & DDPCAPS_4BIT) ? 16 : (flags & DDPCAPS_2BIT) ? 4 : 2;
  for (DWORD i = 0; i < palette->entryCount; ++i) palette->entries[i] = entries[i];
  Register(Adopt(palette), static_cast<IDirectDrawPalette*>(palette));
  children_.push_back(palette);
  HandOut(palette, static_cast<IDirectDrawPalette*>(palette), reinterpret_cast<void**>(out));
  return result;
}

HRESULT FakeDirectDraw::DoCreateSurface(FakeBase& caller, LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE* out, IUnknown* outer) {
  HRESULT result = caller.Enter("CreateSurface", SurfaceDesc(desc) + (outer ? ",outer" : ""));
  if (!out || !desc) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (desc->dwSize != sizeof(DDSURFACEDESC)) Problem("CreateSurface with dwSize " + Dec(desc->dwSize));
  if (Refused(result)) return result;
  // 64-bit Windows makes no texture surfaces; the result is the fake's choice.
  if (config.windows.no3D && (desc->ddsCaps.dwCaps & DDSCAPS_TEXTURE)) return DDERR_INVALIDCAPS;
  FakeSurface* front = new FakeSurface(this, *desc);
  Register(Adopt(front), static_cast<IDirectDrawSurface*>(front));
  children_.push_back(front);
  DWORD caps = desc->ddsCaps.dwCaps;
  if ((caps & DDSCAPS_FLIP) && (desc->dwFlags & DDSD_BACKBUFFERCOUNT) && desc->dwBackBufferCount > 0) {
    DDSURFACEDESC backDesc = front->desc;
    backDesc.ddsCaps.dwCaps = (caps & ~static_cast<DWORD>(DDSCAPS_PRIMARYSURFACE | DDSCAPS_FRONTBUFFER)) | DDSCAPS_BACKBUFFER;
    front->desc.ddsCaps.dwCaps |= DDSCAPS_FRONTBUFFER;
    FakeSurface* back = new FakeSurface(this, backDesc);
    Register(Adopt(back), static_cast<IDirectDrawSurface*>(back));
    children_.push_back(back);
    back->Hold();  // the chain's own reference, dropped with the front buffer
    front->back_ = back;
    front->attached = back->name;
  }
  HandOut(front, static_cast<IDirectDrawSurface*>(front), reinterpret_cast<void**>(out));
  return result;
}

HRESULT FakeDirectDraw::DoSetCooperativeLevel(FakeBase& caller, HWND window, DWORD flags) {
  HRESULT result = caller.Enter("SetCooperativeLevel", Window(window) + "," + Hex(flags));
  if (result == S_OK) {
    cooperativeWindow = window;
    cooperativeFlags = flags;
  }
  return result;
}

HRESULT FakeDirectDraw::DoSetDisplayMode(FakeBase& caller, DWORD width, DWORD height, DWORD bits,
                                         const std::string& args) {
  HRESULT result = caller.Enter("SetDisplayMode", args);
  if (result == S_OK) {
    modeWidth = width;
    modeHeight = height;
    modeBits = bits;
    if (config.onSetDisplayMode) config.onSetDisplayMode(width, height, bits);
  }
  return result;
}

// ---- FakeSurface

FakeSurface::FakeSurface(FakeDirectDraw* owner, const DDSURFACEDESC& description) : FakeBase(*this, true), owner_(owner) {
  name = NextName("S");
  number_ = counters["S"];
  kind = "Surface";
  desc = description;
  desc.dwSize = sizeof(DDSURFACEDESC);
  bool screen = (desc.ddsCaps.dwCaps & (DDSCAPS_PRIMARYSURFACE | DDSCAPS_BACKBUFFER)) != 0;
  if (!(desc.dwFlags & DDSD_WIDTH) || screen) desc.dwWidth = owner->modeWidth;
  if (!(desc.dwFlags & DDSD_HEIGHT) || screen) desc.dwHeight = owner->modeHeight;
  if (!(desc.dwFlags & DDSD_PIXELFORMAT)) {
    desc.ddpfPixelFormat = DDPIXELFORMAT{};
    desc.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    desc.ddpfPixelFormat.dwRGBBitCount = owner->modeBits;
    desc.ddpfPixelFormat.dwFlags = owner->modeBits == 8 ? DDPF_RGB | DDPF_PALETTEINDEXED8 : DDPF_RGB;
  }
  desc.dwFlags |= DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
}

void FakeSurface::OnFinalRelease() {
  if (back_) back_->Drop();
  back_ = nullptr;
  if (clipperObject_) clipperObject_->Drop();
  clipperObject_ = nullptr;
  clipper.clear();
  if (paletteObject_) paletteObject_->Drop();
  paletteObject_ = nullptr;
  palette.clear();
}

HRESULT STDMETHODCALLTYPE FakeSurface::QueryInterface(REFIID iid, void** out) {
  HRESULT result = Enter("QueryInterface", Guid(&iid));
  if (!out) return E_POINTER;
  *out = nullptr;
  if (Refused(result)) return result;
  if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_IDirectDrawSurface)) {
    HandOut(this, static_cast<IDirectDrawSurface*>(this), out);
  } else if (IsEqualGUID(iid, IID_IDirectDrawSurface2)) {
    if (!surface2_) surface2_ = Adopt(new FakeSurface2(this));
    Register(surface2_, static_cast<IDirectDrawSurface2*>(surface2_));
    HandOut(surface2_, static_cast<IDirectDrawSurface2*>(surface2_), out);
  } else if (IsEqualGUID(iid, IID_IDirectDrawSurface3)) {
    if (!surface3_) surface3_ = Adopt(new FakeSurface3(this));
    Register(surface3_, static_cast<IDirectDrawSurface3*>(surface3_));
    HandOut(surface3_, static_cast<IDirectDrawSurface3*>(surface3_), out);
  } else if (IsEqualGUID(iid, IID_IDirect3DTexture2)) {
    if (!texture_) texture_ = Adopt(new FakeTexture(this));
    Register(texture_, static_cast<IDirect3DTexture2*>(texture_));
    HandOut(texture_, static_cast<IDirect3DTexture2*>(texture_), out);
  } else {
    return E_NOINTERFACE;
  }
  return result;
}

HRESULT STDMETHODCALLTYPE FakeSurface::GetAttachedSurface(LPDDSCAPS caps, LPDIRECTDRAWSURFACE* out) {
  HRESULT result = Enter("GetAttachedSurface", caps ? Hex(caps->dwCaps) : std::string("null"));
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (Refused(result)) return result;
  if (!back_ || !caps || (back_->desc.ddsCaps.dwCaps & caps->dwCaps) != caps->dwCaps) return DDERR_NOTFOUND;
  HandOut(back_, static_cast<IDirectDrawSurface*>(back_), reinterpret_cast<void**>(out));
  return result;
}

// Under windows.palettizedRamp an 8-bit palettised surface keeps palette indices, as it does
// on Windows; otherwise every surface keeps 32-bit colours.
void FakeSurface::EnsureDib() {
  if (memoryDc) return;
  const bool indexed = config.windows.palettizedRamp && (desc.ddpfPixelFormat.dwFlags & DDPF_PALETTEINDEXED8);
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
  } bitmapInfo{};
  bitmapInfo.header.biSize = sizeof bitmapInfo.header;
  bitmapInfo.header.biWidth = static_cast<LONG>(desc.dwWidth);
  bitmapInfo.header.biHeight = -static_cast<LONG>(desc.dwHeight);
  bitmapInfo.header.biPlanes = 1;
  bitmapInfo.header.biBitCount = indexed ? 8 : 32;
  bitmapInfo.header.biCompression = BI_RGB;
  if (indexed) {
    bitmapInfo.header.biClrUsed = 256;
    ColourTable(bitmapInfo.colours);
  }
  void* bits = nullptr;
  dib = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bitmapInfo), DIB_RGB_COLORS, &bits, nullptr, 0);
  memoryDc = CreateCompatibleDC(nullptr);
  SelectObject(memoryDc, dib);
  if (indexed) indices = static_cast<BYTE*>(bits);
  else pixels = static_cast<DWORD*>(bits);
}

void FakeSurface::ColourTable(RGBQUAD* table) const {
  const PaletteInfo* current = palette.empty() ? nullptr : Palette(palette);
  for (int i = 0; i < 256; ++i) {
    if (current) {
      const PALETTEENTRY& entry = current->entries[i];
      table[i] = RGBQUAD{entry.peBlue, entry.peGreen, entry.peRed, 0};
    } else {
      // Whatever the display palette held: here a colour table no picture matches.
      table[i] = RGBQUAD{static_cast<BYTE>(i * 13), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 7), 0};
    }
  }
}

HRESULT STDMETHODCALLTYPE FakeSurface::Blt(LPRECT dest, LPDIRECTDRAWSURFACE source, LPRECT sourceRect, DWORD flags,
                                          LPDDBLTFX effects) {
  HRESULT result = Enter("Blt", Rect(dest) + "," + NameOfPointer(source) + "," + Rect(sourceRect) + "," + Hex(flags) +
                                    "," + (effects ? "fx" : "null"));
  const ObjectInfo* from = source ? InfoOf(source) : nullptr;
  const bool sourceLost = from && from->kind == "Surface" && static_cast<const SurfaceInfo*>(from)->lost;
  if (result == S_OK && (lost || sourceLost)) result = DDERR_SURFACELOST;
  const RECT whole = {0, 0, static_cast<LONG>(desc.dwWidth), static_cast<LONG>(desc.dwHeight)};
  const RECT target = dest ? *dest : whole;
  // A monitor's own primary surface ends at the monitor's edge.
  const bool inside = target.left >= 0 && target.top >= 0 && target.right <= whole.right &&
                      target.bottom <= whole.bottom && target.left < target.right && target.top < target.bottom;
  if (result == S_OK && owner_->onMonitor && (desc.ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) && !inside)
    result = DDERR_INVALIDRECT;
  if (result != S_OK) {
    ++refusedBlits;
    return result;
  }
  blits.push_back(target);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeSurface::GetDC(HDC* out) {
  HRESULT result = Enter("GetDC", "");
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (result != S_OK) return result;
  if (lost) return DDERR_SURFACELOST;
  if (dcOut) Problem("second GetDC on " + name);
  EnsureDib();
  // GDI draws through the palette attached at this moment.
  if (indices) {
    RGBQUAD table[256];
    ColourTable(table);
    SetDIBColorTable(memoryDc, 0, 256, table);
  }
  dcOut = true;
  *out = memoryDc;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeSurface::SetClipper(LPDIRECTDRAWCLIPPER newClipper) {
  HRESULT result = Enter("SetClipper", NameOfPointer(newClipper));
  if (result != S_OK) return result;
  FakeBase* object = newClipper ? BaseOf(newClipper) : nullptr;
  if (object) object->Hold();
  if (clipperObject_) clipperObject_->Drop();
  clipperObject_ = object;
  clipper = NameOfPointer(newClipper);
  if (!newClipper) clipper.clear();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeSurface::SetPalette(LPDIRECTDRAWPALETTE newPalette) {
  HRESULT result = Enter("SetPalette", NameOfPointer(newPalette));
  if (result != S_OK) return result;
  FakeBase* object = newPalette ? BaseOf(newPalette) : nullptr;
  if (object) object->Hold();
  if (paletteObject_) paletteObject_->Drop();
  paletteObject_ = object;
  palette = newPalette ? NameOfPointer(newPalette) : std::string();
  return S_OK;
}

#define FAKE_SURFACE_VIEW_DDINTERFACE(Class)                                                 \
  HRESULT STDMETHODCALLTYPE Class::GetDDInterface(LPVOID* out) {                             \
    HRESULT result = Enter("GetDDInterface", "");                                            \
    if (!out) return DDERR_INVALIDPARAMS;                                                    \
    *out = nullptr;                                                                          \
    if (Refused(result)) return result;                                                      \
    HandOut(surface_->owner_, static_cast<IDirectDraw*>(surface_->owner_), out);             \
    return result;                                                                           \
  }
FAKE_SURFACE_VIEW_DDINTERFACE(FakeSurface2)
FAKE_SURFACE_VIEW_DDINTERFACE(FakeSurface3)

// ---- FakeDevice

FakeDevice::FakeDevice(FakeDirect3D2* direct3D, FakeSurface* target, const std::string& deviceType)
    : FakeBase(*this, true), direct3D_(direct3D), target_(target) {
  name = NextName("Dev");
  kind = "Device";
  type = deviceType;
  renderTarget = target->name;
  target->Hold();
}

void FakeDevice::OnFinalRelease() {
  // Windows leaves the reference SetCurrentViewport took.
  if (current_ && !config.windows.teardown) current_->Drop();
  current_ = nullptr;
  for (FakeViewport* viewport : viewportObjects_) viewport->Drop();
  viewportObjects_.clear();
  viewports.clear();
  if (target_) target_->Drop();
  target_ = nullptr;
}

HRESULT STDMETHODCALLTYPE FakeDevice::AddViewport(IDirect3DViewport2* viewport) {
  HRESULT result = Enter("AddViewport", NameOfPointer(viewport));
  if (result != S_OK) return result;
  if (!viewport || byInterface.count(static_cast<const void*>(viewport)) == 0) return DDERR_INVALIDPARAMS;
  FakeViewport* object = static_cast<FakeViewport*>(viewport);
  object->Hold();
  viewportObjects_.push_back(object);
  viewports.push_back(object->name);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeDevice::DeleteViewport(IDirect3DViewport2* viewport) {
  HRESULT result = Enter("DeleteViewport", NameOfPointer(viewport));
  if (result != S_OK) return result;
  for (size_t i = 0; i < viewportObjects_.size(); ++i) {
    if (static_cast<IDirect3DViewport2*>(viewportObjects_[i]) == viewport) {
      viewportObjects_[i]->Drop();
      viewportObjects_.erase(viewportObjects_.begin() + static_cast<std::ptrdiff_t>(i));
      viewports.erase(viewports.begin() + static_cast<std::ptrdiff_t>(i));
      return S_OK;
    }
  }
  return DDERR_INVALIDPARAMS;
}

HRESULT STDMETHODCALLTYPE FakeDevice::GetDirect3D(IDirect3D2** out) {
  HRESULT result = Enter("GetDirect3D", "");
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (result != S_OK) return result;
  HandOut(direct3D_, static_cast<IDirect3D2*>(direct3D_), reinterpret_cast<void**>(out));
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeDevice::SetCurrentViewport(IDirect3DViewport2* viewport) {
  HRESULT result = Enter("SetCurrentViewport", NameOfPointer(viewport));
  if (result != S_OK) return result;
  FakeViewport* object = nullptr;
  for (FakeViewport* added : viewportObjects_)
    if (static_cast<IDirect3DViewport2*>(added) == viewport) object = added;
  if (!object) return DDERR_INVALIDPARAMS;
  object->Hold();
  if (current_) current_->Drop();
  current_ = object;
  currentViewport = object->name;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeDevice::GetCurrentViewport(IDirect3DViewport2** out) {
  HRESULT result = Enter("GetCurrentViewport", "");
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (result != S_OK) return result;
  if (!current_) return D3DERR_NOCURRENTVIEWPORT;
  HandOut(current_, static_cast<IDirect3DViewport2*>(current_), reinterpret_cast<void**>(out));
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeDevice::GetRenderTarget(IDirectDrawSurface** out) {
  HRESULT result = Enter("GetRenderTarget", "");
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (Refused(result)) return result;
  HandOut(target_, static_cast<IDirectDrawSurface*>(target_), reinterpret_cast<void**>(out));
  return result;
}


// ---- platform fakes

namespace {

void WINAPI DummyExport() {}

std::string Upper(const char* text) {
  std::string result = text ? text : "";
  for (char& c : result)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return result;
}

std::string Escaped(const char* text) {
  std::string result;
  for (const char* c = text; c && *c; ++c) {
    if (*c == '\r') result += "\\r";
    else if (*c == '\n') result += "\\n";
    else result += *c;
  }
  return result;
}

Library* LibraryOf(HMODULE module) {
  uintptr_t index = reinterpret_cast<uintptr_t>(module);
  if (index == 0 || index > libraries.size() || (index & 0xFFFF0000u)) return nullptr;
  return &libraries[index - 1];
}

void DefaultConfig() {
  config = Config();
  config.version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
  config.version.dwMajorVersion = 6;
  config.version.dwMinorVersion = 1;
  config.version.dwBuildNumber = 7601;
  config.version.dwPlatformId = VER_PLATFORM_WIN32_NT;
  config.libraries["DDRAW.DLL"] = {"DirectDrawCreate"};
  config.libraries["DINPUT.DLL"] = {"DirectInputCreateA"};
  config.textureFormats = {
      RgbFormat(16, 0xF800, 0x07E0, 0x001F),         RgbFormat(16, 0x7C00, 0x03E0, 0x001F),
      RgbFormat(16, 0x7C00, 0x03E0, 0x001F, 0x8000), RgbFormat(16, 0x0F00, 0x00F0, 0x000F, 0xF000),
      RgbFormat(32, 0xFF0000, 0xFF00, 0xFF),         RgbFormat(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000),
  };
}

struct ConfigInit {
  ConfigInit() { DefaultConfig(); }
} configInit;

}  // namespace

DDPIXELFORMAT RgbFormat(DWORD bits, DWORD red, DWORD green, DWORD blue, DWORD alpha) {
  DDPIXELFORMAT format{};
  format.dwSize = sizeof format;
  format.dwFlags = DDPF_RGB | (alpha ? DDPF_ALPHAPIXELS : 0);
  format.dwRGBBitCount = bits;
  format.dwRBitMask = red;
  format.dwGBitMask = green;
  format.dwBBitMask = blue;
  format.dwRGBAlphaBitMask = alpha;
  return format;
}

DDPIXELFORMAT PalettizedFormat(DWORD bits, DWORD flags) {
  DDPIXELFORMAT format{};
  format.dwSize = sizeof format;
  format.dwFlags = DDPF_RGB | flags;
  format.dwRGBBitCount = bits;
  return format;
}

void SetVersion(DWORD platformId, DWORD major, DWORD minor, DWORD build) {
  config.version.dwPlatformId = platformId;
  config.version.dwMajorVersion = major;
  config.version.dwMinorVersion = minor;
  config.version.dwBuildNumber = build;
  ForgetSystemVersion();
}

void Reset() {
  lines.clear();
  records.clear();
  script.clear();
  problems.clear();
  debugTexts.clear();
  byInterface.clear();
  objects.clear();
  windowNames.clear();
  libraries.clear();
  counters.clear();
  directDraws.clear();
  DefaultConfig();
  ForgetSystemVersion();
}

void InstallPlatform() {
  platform.GetVersionExA = fake::GetVersionExA;
  platform.LoadLibraryA = fake::LoadLibraryA;
  platform.GetProcAddress = fake::GetProcAddress;
  platform.FreeLibrary = fake::FreeLibrary;
  platform.DirectDrawCreate = fake::DirectDrawCreate;
  platform.GetDeviceCaps = fake::GetDeviceCaps;
  platform.OutputDebugStringA = fake::OutputDebugStringA;
  ForgetSystemVersion();
}

void NameWindow(HWND window, const std::string& windowName) { windowNames[window] = windowName; }

void FailCall(const std::string& pattern, int occurrence, HRESULT result) {
  script.push_back({pattern, occurrence, result, 0});
}

const std::vector<std::string>& Log() { return lines; }

void ClearLog() {
  lines.clear();
  records.clear();
}

std::vector<InjectionPoint> InjectionPoints() {
  std::vector<InjectionPoint> points;
  std::map<std::string, int> seen;
  for (const LogRecord& record : records) {
    int occurrence = ++seen[record.line];
    if (record.failable) points.push_back({record.line, occurrence});
  }
  return points;
}

std::vector<std::string> Leaks() {
  std::vector<std::string> leaks;
  for (const auto& object : objects)
    if (object->refs != 0 && !object->freedWithOwner) leaks.push_back(object->name + " (" + object->kind + ") refs=" + Dec(object->refs));
  return leaks;
}

std::vector<std::string> Problems() { return problems; }

std::vector<std::string> LoadedLibraries() {
  std::vector<std::string> loaded;
  for (const Library& library : libraries)
    for (int i = 0; i < library.loads; ++i) loaded.push_back(library.name);
  return loaded;
}

ObjectInfo* Object(const std::string& objectName) {
  for (const auto& object : objects)
    if (object->name == objectName && (object->kind == "Surface" || object->kind == "Palette" || object->kind == "Clipper" ||
                                       object->kind == "Device" || object->kind == "Viewport" ||
                                       object->kind == "Material" || object->kind == "DD"))
      return object.get();
  return nullptr;
}

template <class Info>
Info* Typed(const std::string& objectName, const char* kindName) {
  ObjectInfo* object = Object(objectName);
  if (!object || object->kind != kindName) return nullptr;
  return static_cast<Info*>(object);
}

SurfaceInfo* Surface(const std::string& surfaceName) { return Typed<SurfaceInfo>(surfaceName, "Surface"); }
PaletteInfo* Palette(const std::string& paletteName) { return Typed<PaletteInfo>(paletteName, "Palette"); }
ClipperInfo* Clipper(const std::string& clipperName) { return Typed<ClipperInfo>(clipperName, "Clipper"); }
DeviceInfo* Device(const std::string& deviceName) { return Typed<DeviceInfo>(deviceName, "Device"); }
ViewportInfo* Viewport(const std::string& viewportName) { return Typed<ViewportInfo>(viewportName, "Viewport"); }
MaterialInfo* Material(const std::string& materialName) { return Typed<MaterialInfo>(materialName, "Material"); }

SurfaceInfo* Surface(IDirectDrawSurface* surface) {
  ObjectInfo* info = surface ? InfoOf(surface) : nullptr;
  if (!info || info->kind != "Surface") return nullptr;
  return static_cast<SurfaceInfo*>(info);
}

DeviceInfo* Device(IDirect3DDevice2* device) {
  ObjectInfo* info = device ? InfoOf(device) : nullptr;
  if (!info || info->kind != "Device") return nullptr;
  return static_cast<DeviceInfo*>(info);
}

DirectDrawInfo* DirectDraw(int number) {
  if (number < 1 || static_cast<size_t>(number) > directDraws.size()) return nullptr;
  return directDraws[static_cast<size_t>(number) - 1];
}

std::string NameOf(const void* object) { return NameOfPointer(object); }

DirectDrawInfo* DirectDrawOf(const void* directDrawInterface) {
  FakeBase* object = directDrawInterface ? BaseOf(directDrawInterface) : nullptr;
  if (!object) return nullptr;
  const std::string& kindName = object->info_.kind;
  if (kindName == "DD") return static_cast<DirectDrawInfo*>(static_cast<FakeDirectDraw*>(object));
  if (kindName == "DD2") return static_cast<FakeDirectDraw2*>(object)->owner_;
  if (kindName == "D3D2") return static_cast<FakeDirect3D2*>(object)->owner_;
  return nullptr;
}

void WindowsAsItIs() {
  config.windows.windowedSurfacesLost = true;
  config.windows.palettizedRamp = true;
  config.windows.teardown = true;
}

void ChangeDisplayMode(DWORD width, DWORD height, DWORD bits) {
  config.screenWidth = width;
  config.screenHeight = height;
  config.screenBits = bits;
  for (DirectDrawInfo* info : directDraws) {
    FakeDirectDraw* directDraw = static_cast<FakeDirectDraw*>(info);
    if (directDraw->freed) continue;
    if (!directDraw->onMonitor) {
      directDraw->modeWidth = width;
      directDraw->modeHeight = height;
    }
    directDraw->modeBits = bits;
    if (!config.windows.windowedSurfacesLost || (directDraw->cooperativeFlags & DDSCL_EXCLUSIVE)) continue;
    for (FakeBase* child : directDraw->children_) {
      if (child->info_.kind != "Surface" || child->info_.refs <= 0 || child->info_.freedWithOwner) continue;
      FakeSurface* surface = static_cast<FakeSurface*>(child);
      if (surface->desc.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY) continue;
      surface->lost = true;
      surface->wrongMode = true;
    }
  }
}

DWORD Texel(const std::string& surfaceName, int x, int y) {
  const SurfaceInfo* surface = Surface(surfaceName);
  if (!surface || x < 0 || y < 0 || static_cast<DWORD>(x) >= surface->desc.dwWidth ||
      static_cast<DWORD>(y) >= surface->desc.dwHeight)
    return CLR_INVALID;
  const size_t at = static_cast<size_t>(y) * surface->desc.dwWidth + static_cast<size_t>(x);
  if (surface->pixels) return surface->pixels[at] & 0xFFFFFF;
  if (!surface->indices) return CLR_INVALID;
  // A device samples a palettised texture through the palette attached to it.
  const PaletteInfo* current = surface->palette.empty() ? nullptr : Palette(surface->palette);
  if (!current) return CLR_INVALID;
  const PALETTEENTRY& entry = current->entries[surface->indices[at]];
  return (static_cast<DWORD>(entry.peRed) << 16) | (static_cast<DWORD>(entry.peGreen) << 8) | entry.peBlue;
}

HRESULT WINAPI DirectDrawCreate(GUID* driver, LPDIRECTDRAW* out, IUnknown* outer) {
  HRESULT result = Record("DirectDrawCreate(" + Guid(driver) + "," + (outer ? "outer" : "null") + ")", true);
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (result != S_OK && !config.directDrawCreateKeepsObjectOnFailure) return result;
  // Wine ignores the GUID; Windows makes the device of the monitor it names.
  const std::vector<MonitorDeviceInfo>& monitors = config.windows.monitors;
  const MonitorDeviceInfo* monitor = nullptr;
  for (const MonitorDeviceInfo& candidate : monitors)
    if (driver && IsEqualGUID(candidate.guid, *driver)) monitor = &candidate;
  if (driver && !monitors.empty() && !monitor) return DDERR_INVALIDDIRECTDRAWGUID;
  FakeDirectDraw* directDraw = new FakeDirectDraw();
  directDraw->driver = Guid(driver);
  if (monitor) {
    directDraw->onMonitor = true;
    directDraw->modeWidth = static_cast<DWORD>(monitor->area.right - monitor->area.left);
    directDraw->modeHeight = static_cast<DWORD>(monitor->area.bottom - monitor->area.top);
  } else if (monitors.size() >= 2) {
    directDraw->emulated = true;
  }
  Register(Adopt(directDraw), static_cast<IDirectDraw*>(directDraw));
  Register(Adopt(directDraw->dd2_), static_cast<IDirectDraw2*>(directDraw->dd2_));
  Register(Adopt(directDraw->d3d2_), static_cast<IDirect3D2*>(directDraw->d3d2_));
  directDraws.push_back(directDraw);
  directDraw->Hold();
  *out = directDraw;
  return result;
}

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
  Record("GetVersionExA(" + (info ? Dec(info->dwOSVersionInfoSize) : std::string("null")) + ")", false);
  if (!info || !config.versionResult) return FALSE;
  if (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) Problem("GetVersionExA with size " + Dec(info->dwOSVersionInfoSize));
  DWORD size = info->dwOSVersionInfoSize;
  *info = config.version;
  info->dwOSVersionInfoSize = size;
  return TRUE;
}

HMODULE WINAPI LoadLibraryA(LPCSTR libraryName) {
  std::string upper = Upper(libraryName);
  Record("LoadLibraryA(" + upper + ")", false);
  if (config.libraries.count(upper) == 0) return nullptr;
  for (size_t i = 0; i < libraries.size(); ++i) {
    if (libraries[i].name == upper) {
      ++libraries[i].loads;
      return reinterpret_cast<HMODULE>(i + 1);
    }
  }
  libraries.push_back({upper, 1});
  return reinterpret_cast<HMODULE>(libraries.size());
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR exportName) {
  Library* library = LibraryOf(module);
  if (!library) {
    Record("GetProcAddress(?," + std::string(exportName ? exportName : "null") + ")", false);
    return ::GetProcAddress(module, exportName);
  }
  std::string exported = exportName ? exportName : "";
  Record("GetProcAddress(" + library->name + "," + exported + ")", false);
  if (library->loads <= 0) Problem("GetProcAddress on freed " + library->name);
  for (const std::string& entry : config.libraries[library->name]) {
    if (entry != exported) continue;
    if (exported == "DirectDrawCreate") return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(fake::DirectDrawCreate));
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(DummyExport));
  }
  return nullptr;
}

BOOL WINAPI FreeLibrary(HMODULE module) {
  Library* library = LibraryOf(module);
  if (!library) {
    Record("FreeLibrary(?)", false);
    Problem("FreeLibrary of an unknown module");
    return FALSE;
  }
  Record("FreeLibrary(" + library->name + ")", false);
  if (library->loads <= 0) {
    Problem("FreeLibrary of " + library->name + " more often than loaded");
    return FALSE;
  }
  --library->loads;
  return TRUE;
}

int WINAPI GetDeviceCaps(HDC dc, int index) {
  if (index == BITSPIXEL) {
    Record("GetDeviceCaps(BITSPIXEL)", false);
    return config.bitsPerPixel;
  }
  Record("GetDeviceCaps(" + Dec(index) + ")", false);
  return ::GetDeviceCaps(dc, index);
}

void WINAPI OutputDebugStringA(LPCSTR text) {
  Record("OutputDebugStringA(" + Escaped(text) + ")", false);
  debugTexts.push_back(text ? text : "");
}

const std::vector<std::string>& DebugTexts() { return debugTexts; }

}  // namespace fake
