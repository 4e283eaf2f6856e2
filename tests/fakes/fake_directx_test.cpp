// Checks of the fake DirectX itself: logging, scripted failures, reference counts and the Windows rules.
#include <gtest/gtest.h>

#include <initializer_list>

#include "fakes/fake_directx.h"

namespace {

// A surface description with its caps and, when side is not 0, a square size of side.
DDSURFACEDESC SurfaceDesc(DWORD caps, DWORD side) {
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | (side ? DDSD_WIDTH | DDSD_HEIGHT : 0);
  desc.dwWidth = desc.dwHeight = side;
  desc.ddsCaps.dwCaps = caps;
  return desc;
}

class FakeDirectXTest : public ::testing::Test {
 protected:
  void SetUp() override { fake::Reset(); }
  // A DirectDraw object, its IDirect3D2 and an offscreen 3D surface; a width of 0 leaves
  // the size to the fakes. The caller releases all three.
  void OpenRenderSurface(DWORD width, DWORD height) {
    fake::DirectDrawCreate(nullptr, &openDraw, nullptr);
    openDraw->QueryInterface(IID_IDirect3D2, reinterpret_cast<void**>(&open3D));
    DDSURFACEDESC desc = SurfaceDesc(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE, width);
    desc.dwHeight = height;
    openDraw->CreateSurface(&desc, &openSurface, nullptr);
  }
  IDirectDraw* openDraw = nullptr;            // made by OpenRenderSurface; the test releases it
  IDirect3D2* open3D = nullptr;               // its IDirect3D2; the test releases it
  IDirectDrawSurface* openSurface = nullptr;  // the 3D surface; the test releases it
};

TEST_F(FakeDirectXTest, FlippingChainIsLoggedAndReleasedThroughItsFront) {
  IDirectDraw* directDraw = nullptr;
  ASSERT_EQ(DD_OK, fake::DirectDrawCreate(nullptr, &directDraw, nullptr));
  IDirectDraw2* directDraw2 = nullptr;
  ASSERT_EQ(S_OK, directDraw->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&directDraw2)));
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.dwBackBufferCount = 1;
  desc.ddsCaps.dwCaps = 0x6218;
  IDirectDrawSurface* front = nullptr;
  ASSERT_EQ(DD_OK, directDraw2->CreateSurface(&desc, &front, nullptr));
  DDSCAPS caps = {DDSCAPS_BACKBUFFER};
  IDirectDrawSurface* back = nullptr;
  ASSERT_EQ(DD_OK, front->GetAttachedSurface(&caps, &back));
  EXPECT_EQ("S2", fake::NameOf(back));
  EXPECT_EQ(1u, back->Release());
  EXPECT_EQ(0u, front->Release());
  EXPECT_EQ(0u, directDraw2->Release());
  EXPECT_EQ(0u, directDraw->Release());
  static const std::vector<std::string> expected = {
      "DirectDrawCreate(null,null)",
      "DD::QueryInterface(IID_IDirectDraw2)",
      "DD2::CreateSurface({flags=0x21,caps=0x6218,back=1})",
      "Surface::GetAttachedSurface(S1,0x4)",
      "Surface::Release(S2)",
      "Surface::Release(S1)",
      "DD2::Release()",
      "DD::Release()",
  };
  EXPECT_EQ(expected, fake::Log());
  EXPECT_TRUE(fake::Leaks().empty());
  EXPECT_TRUE(fake::Problems().empty());
}

TEST_F(FakeDirectXTest, ScriptedFailureHitsOnlyTheChosenOccurrence) {
  fake::FailCall("DD::QueryInterface(IID_IDirectDraw2)", 2, DDERR_GENERIC);
  IDirectDraw* directDraw = nullptr;
  ASSERT_EQ(DD_OK, fake::DirectDrawCreate(nullptr, &directDraw, nullptr));
  IDirectDraw2* first = nullptr;
  IDirectDraw2* second = reinterpret_cast<IDirectDraw2*>(1);
  EXPECT_EQ(S_OK, directDraw->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&first)));
  EXPECT_EQ(DDERR_GENERIC, directDraw->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&second)));
  EXPECT_EQ(nullptr, second);
  first->Release();
  directDraw->Release();
  std::vector<fake::InjectionPoint> points = fake::InjectionPoints();
  ASSERT_EQ(3u, points.size());
  EXPECT_EQ("DD::QueryInterface(IID_IDirectDraw2)", points[2].pattern);
  EXPECT_EQ(2, points[2].occurrence);
  EXPECT_TRUE(fake::Leaks().empty());
}

TEST_F(FakeDirectXTest, OverReleaseAndLeaksAreReported) {
  IDirectDraw* directDraw = nullptr;
  fake::DirectDrawCreate(nullptr, &directDraw, nullptr);
  IDirectDrawClipper* clipper = nullptr;
  directDraw->CreateClipper(0, &clipper, nullptr);
  clipper->Release();
  clipper->Release();
  EXPECT_EQ(std::vector<std::string>{"over-release of C1"}, fake::Problems());
  EXPECT_EQ(std::vector<std::string>{"ddraw1 (DD) refs=1"}, fake::Leaks());
}

TEST_F(FakeDirectXTest, DeviceHoldsItsTargetAndViewports) {
  OpenRenderSurface(64, 32);
  fake::FailCall("CreateDevice(IID_IDirect3DHALDevice", 0, DDERR_GENERIC);
  IDirect3DDevice2* device = nullptr;
  EXPECT_EQ(DDERR_GENERIC, open3D->CreateDevice(IID_IDirect3DHALDevice, openSurface, &device));
  ASSERT_EQ(D3D_OK, open3D->CreateDevice(IID_IDirect3DRampDevice, openSurface, &device));
  IDirect3DViewport2* viewport = nullptr;
  open3D->CreateViewport(&viewport, nullptr);
  device->AddViewport(viewport);
  EXPECT_EQ(D3D_OK, device->SetCurrentViewport(viewport));
  EXPECT_EQ("Ramp", fake::Device("Dev1")->type);
  EXPECT_EQ(2, fake::Surface("S1")->refs);
  openSurface->Release();
  viewport->Release();
  EXPECT_EQ(0u, device->Release());
  open3D->Release();
  openDraw->Release();
  EXPECT_TRUE(fake::Leaks().empty());
  EXPECT_TRUE(fake::Problems().empty());
}

TEST_F(FakeDirectXTest, RefusedLookUpsHandBackTheirObjectWhenConfigured) {
  OpenRenderSurface(0, 0);
  IDirect3DDevice2* device = nullptr;
  ASSERT_EQ(D3D_OK, open3D->CreateDevice(IID_IDirect3DHALDevice, openSurface, &device));
  fake::config.refusedCreationsHandBackObjects = true;
  for (const char* call : {"CreateMaterial", "GetRenderTarget", "QueryInterface(S1,IID_IDirectDrawSurface2)",
                           "GetDDInterface"})
    fake::FailCall(call, 0, DDERR_GENERIC);
  IDirect3DMaterial2* material = nullptr;
  EXPECT_EQ(DDERR_GENERIC, open3D->CreateMaterial(&material, nullptr));
  IDirectDrawSurface* target = nullptr;
  EXPECT_EQ(DDERR_GENERIC, device->GetRenderTarget(&target));
  IDirectDrawSurface2* target2 = nullptr;
  EXPECT_EQ(DDERR_GENERIC, openSurface->QueryInterface(IID_IDirectDrawSurface2, reinterpret_cast<void**>(&target2)));
  ASSERT_NE(nullptr, target2);
  void* owner = nullptr;
  EXPECT_EQ(DDERR_GENERIC, target2->GetDDInterface(&owner));
  EXPECT_EQ("M1", fake::NameOf(material));
  EXPECT_EQ("S1", fake::NameOf(target));
  EXPECT_EQ(static_cast<void*>(openDraw), owner);
  // Each handed-back object carries a reference of its own.
  const std::initializer_list<IUnknown*> held = {material, target, target2, static_cast<IDirectDraw*>(owner),
                                                 device,   openSurface, open3D, openDraw};
  for (IUnknown* object : held)
    if (object) object->Release();
  EXPECT_TRUE(fake::Leaks().empty());
  EXPECT_TRUE(fake::Problems().empty());
}

// Each point of config.windows, off and on: Wine's answer, then Windows'.
TEST_F(FakeDirectXTest, WindowsRulesAnswerAsWindowsDoesWhereWineIsKinder) {
  const struct {
    const char* name;
    void (*switchOn)();
    HRESULT (*call)(fake::DirectDrawInfo*& made);  // returns the result of the call in question
    HRESULT wine, windows;
  } cases[] = {
      {"64-bit: no IDirect3D2", [] { fake::config.windows.no3D = true; },
       [](fake::DirectDrawInfo*&) {
         IDirectDraw* directDraw = nullptr;
         fake::DirectDrawCreate(nullptr, &directDraw, nullptr);
         IDirect3D2* direct3D = nullptr;
         HRESULT result = directDraw->QueryInterface(IID_IDirect3D2, reinterpret_cast<void**>(&direct3D));
         if (direct3D) direct3D->Release();
         directDraw->Release();
         return result;
       },
       S_OK, E_NOINTERFACE},
      {"64-bit: no texture surface", [] { fake::config.windows.no3D = true; },
       [](fake::DirectDrawInfo*&) {
         IDirectDraw* directDraw = nullptr;
         fake::DirectDrawCreate(nullptr, &directDraw, nullptr);
         DDSURFACEDESC desc = SurfaceDesc(DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY, 64);
         IDirectDrawSurface* texture = nullptr;
         HRESULT result = directDraw->CreateSurface(&desc, &texture, nullptr);
         if (texture) texture->Release();
         directDraw->Release();
         return result;
       },
       DD_OK, DDERR_INVALIDCAPS},
      {"a Blt crossing the edge of a monitor's primary surface",
       [] { fake::config.windows.monitors = {{{2, 0, 0, {}}, {0, 0, 800, 600}}, {{3, 0, 0, {}}, {-640, 0, 0, 480}}}; },
       [](fake::DirectDrawInfo*& made) {
         GUID left = {3, 0, 0, {}};
         IDirectDraw* directDraw = nullptr;
         fake::DirectDrawCreate(&left, &directDraw, nullptr);
         made = fake::DirectDrawOf(directDraw);
         DDSURFACEDESC desc = SurfaceDesc(DDSCAPS_PRIMARYSURFACE, 0);
         IDirectDrawSurface* primary = nullptr;
         directDraw->CreateSurface(&desc, &primary, nullptr);
         RECT inside = {0, 0, 640, 480}, crossing = {-640, 0, 0, 480};
         EXPECT_EQ(DD_OK, primary->Blt(&inside, nullptr, nullptr, DDBLT_WAIT, nullptr));
         HRESULT result = primary->Blt(&crossing, nullptr, nullptr, DDBLT_WAIT, nullptr);
         EXPECT_EQ(made->onMonitor ? 1u : 2u, fake::Surface(primary)->blits.size());
         EXPECT_EQ(made->onMonitor ? 1 : 0, fake::Surface(primary)->refusedBlits);
         primary->Release();
         directDraw->Release();
         return result;
       },
       DD_OK, DDERR_INVALIDRECT},
      {"the HAL device of a null-GUID object on several monitors",
       [] { fake::config.windows.monitors = {{{2, 0, 0, {}}, {0, 0, 800, 600}}, {{3, 0, 0, {}}, {800, 0, 1440, 480}}}; },
       [](fake::DirectDrawInfo*& made) {
         IDirectDraw* directDraw = nullptr;
         fake::DirectDrawCreate(nullptr, &directDraw, nullptr);
         made = fake::DirectDrawOf(directDraw);
         directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
         IDirect3D2* direct3D = nullptr;
         directDraw->QueryInterface(IID_IDirect3D2, reinterpret_cast<void**>(&direct3D));
         DDSURFACEDESC desc = SurfaceDesc(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE, 64);
         IDirectDrawSurface* target = nullptr;
         directDraw->CreateSurface(&desc, &target, nullptr);
         IDirect3DDevice2* device = nullptr;
         HRESULT result = direct3D->CreateDevice(IID_IDirect3DHALDevice, target, &device);
         if (device) device->Release();
         target->Release();
         direct3D->Release();
         directDraw->Release();
         return result;
       },
       D3D_OK, DDERR_NODIRECTDRAWHW},
      {"Restore of a normal-level primary after a mode change", [] { fake::config.windows.windowedSurfacesLost = true; },
       [](fake::DirectDrawInfo*&) {
         IDirectDraw* directDraw = nullptr;
         fake::DirectDrawCreate(nullptr, &directDraw, nullptr);
         directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
         DDSURFACEDESC desc = SurfaceDesc(DDSCAPS_PRIMARYSURFACE, 0);
         IDirectDrawSurface* primary = nullptr;
         directDraw->CreateSurface(&desc, &primary, nullptr);
         fake::ChangeDisplayMode(800, 600, 16);
         const bool lost = primary->IsLost() == DDERR_SURFACELOST;
         EXPECT_EQ(lost, fake::config.windows.windowedSurfacesLost);
         HRESULT result = primary->Restore();
         primary->Release();
         directDraw->Release();
         return result;
       },
       DD_OK, DDERR_WRONGMODE},
      {"Load into a palettised surface without a palette", [] { fake::config.windows.palettizedRamp = true; },
       [](fake::DirectDrawInfo*&) {
         IDirectDraw* directDraw = nullptr;
         fake::DirectDrawCreate(nullptr, &directDraw, nullptr);
         DDSURFACEDESC desc = SurfaceDesc(DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY, 16);
         desc.dwFlags |= DDSD_PIXELFORMAT;
         desc.ddpfPixelFormat = fake::PalettizedFormat(8, DDPF_PALETTEINDEXED8);
         IDirectDrawSurface* surfaces[2] = {};
         IDirect3DTexture2* textures[2] = {};
         for (int i = 0; i < 2; ++i) {
           directDraw->CreateSurface(&desc, &surfaces[i], nullptr);
           surfaces[i]->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<void**>(&textures[i]));
         }
         HRESULT result = textures[0]->Load(textures[1]);
         for (int i = 0; i < 2; ++i) {
           textures[i]->Release();
           surfaces[i]->Release();
         }
         directDraw->Release();
         return result;
       },
       D3D_OK, DDERR_NOPALETTEATTACHED},
  };
  for (const auto& c : cases) {
    for (bool windows : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (windows ? ", as Windows" : ", as Wine"));
      fake::Reset();
      if (windows) c.switchOn();
      fake::DirectDrawInfo* made = nullptr;
      EXPECT_EQ(windows ? c.windows : c.wine, c.call(made));
      EXPECT_TRUE(fake::Leaks().empty());
      EXPECT_TRUE(fake::Problems().empty());
    }
  }
}

// Under windows.teardown the device keeps the current viewport's reference, and the
// DirectDraw object's last release frees what it made, so a later call is a problem.
TEST_F(FakeDirectXTest, WindowsTeardownLeavesTheViewportAndFreesTheSurfacesWithTheirObject) {
  fake::config.windows.teardown = true;
  OpenRenderSurface(64, 64);
  IDirect3DDevice2* device = nullptr;
  ASSERT_EQ(D3D_OK, open3D->CreateDevice(IID_IDirect3DHALDevice, openSurface, &device));
  IDirect3DViewport2* viewport = nullptr;
  ASSERT_EQ(D3D_OK, open3D->CreateViewport(&viewport, nullptr));
  device->AddViewport(viewport);
  device->SetCurrentViewport(viewport);
  EXPECT_EQ(0u, device->Release());
  EXPECT_EQ(1u, viewport->Release()) << "the reference SetCurrentViewport took stays";
  open3D->Release();
  EXPECT_EQ(0u, openDraw->Release());
  EXPECT_TRUE(fake::Object("S1")->freedWithOwner);
  EXPECT_EQ(std::vector<std::string>{"V1 (Viewport) refs=1"}, fake::Leaks()) << "the surface is no leak: it is gone";
  EXPECT_TRUE(fake::Problems().empty());
  openSurface->Release();
  EXPECT_EQ(std::vector<std::string>{"call on S1 after its DirectDraw object was freed: Release"}, fake::Problems());
}

TEST_F(FakeDirectXTest, LibrariesComeFromTheConfig) {
  fake::config.libraries.erase("DINPUT.DLL");
  EXPECT_EQ(nullptr, fake::LoadLibraryA("dinput.dll"));
  HMODULE ddraw = fake::LoadLibraryA("ddraw.dll");
  ASSERT_NE(nullptr, ddraw);
  EXPECT_NE(nullptr, fake::GetProcAddress(ddraw, "DirectDrawCreate"));
  EXPECT_EQ(nullptr, fake::GetProcAddress(ddraw, "DirectDrawCreateEx"));
  EXPECT_EQ(std::vector<std::string>{"DDRAW.DLL"}, fake::LoadedLibraries());
  EXPECT_TRUE(fake::FreeLibrary(ddraw));
  EXPECT_TRUE(fake::LoadedLibraries().empty());
}

}  // namespace
