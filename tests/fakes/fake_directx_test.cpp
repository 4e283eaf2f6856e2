// Checks of the fake DirectX itself: logging, scripted failures and reference counts.
#include <gtest/gtest.h>

#include <initializer_list>

#include "fakes/fake_directx.h"

namespace {

class FakeDirectXTest : public ::testing::Test {
 protected:
  void SetUp() override { fake::Reset(); }
  // A DirectDraw object, its IDirect3D2 and an offscreen 3D surface; a width of 0 leaves
  // the size to the fakes. The caller releases all three.
  void OpenRenderSurface(DWORD width, DWORD height) {
    fake::DirectDrawCreate(nullptr, &openDraw, nullptr);
    openDraw->QueryInterface(IID_IDirect3D2, reinterpret_cast<void**>(&open3D));
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | (width ? DDSD_WIDTH | DDSD_HEIGHT : 0);
    desc.dwWidth = width;
    desc.dwHeight = height;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
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
