// Result texts: every DirectDraw, Direct3D and Retained Mode code the log knows, and the default.
#include <gtest/gtest.h>

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>
#include <d3drm.h>

#include <set>
#include <string>

#include "diagnostics/diagnostics.h"

namespace {

struct ExpectedText {
  HRESULT code;
  const char* text;
};

// Codes by their published names, so a wrong value in the program's table shows up too.
const ExpectedText expectedTexts[] = {
    {DD_OK, "No error."},
    {DDERR_UNSUPPORTED, "Action not supported."},
    {DDERR_GENERIC, "Generic failure."},
    {DDERR_OUTOFMEMORY, "DirectDraw does not have enough memory to perform the operation."},
    {DDERR_INVALIDPARAMS, "One or more of the parameters passed to the function are incorrect."},
    {DDERR_ALREADYINITIALIZED, "This object is already initialized."},
    {DDERR_CANNOTATTACHSURFACE, "This surface can not be attached to the requested surface."},
    {DDERR_CANNOTDETACHSURFACE, "This surface can not be detached from the requested surface."},
    {DDERR_CURRENTLYNOTAVAIL, "Support is currently not available."},
    {DDERR_EXCEPTION, "An exception was encountered while performing the requested operation."},
    {DDERR_HEIGHTALIGN, "Height of rectangle provided is not a multiple of reqd alignment."},
    {DDERR_INCOMPATIBLEPRIMARY, "Unable to match primary surface creation request with existing primary surface."},
    {DDERR_INVALIDCAPS, "One or more of the caps bits passed to the callback are incorrect."},
    {DDERR_INVALIDCLIPLIST, "DirectDraw does not support the provided cliplist."},
    {DDERR_INVALIDMODE, "DirectDraw does not support the requested mode."},
    {DDERR_INVALIDOBJECT, "DirectDraw received a pointer that was an invalid DIRECTDRAW object."},
    {DDERR_INVALIDPIXELFORMAT, "The pixel format was invalid as specified."},
    {DDERR_INVALIDRECT, "Rectangle provided was invalid."},
    {DDERR_LOCKEDSURFACES, "Operation could not be carried out because one or more surfaces are locked."},
    {DDERR_NO3D, "There is no 3D present."},
    {DDERR_NOALPHAHW, "Operation could not be carried out because there is no alpha accleration hardware present or available."},
    {DDERR_NOCLIPLIST, "No cliplist available."},
    {DDERR_NOCOLORCONVHW, "Operation could not be carried out because there is no color conversion hardware present or available."},
    {DDERR_NOCOOPERATIVELEVELSET, "Create function called without DirectDraw object method SetCooperativeLevel being called."},
    {DDERR_NOCOLORKEY, "Surface doesn't currently have a color key"},
    {DDERR_NOCOLORKEYHW, "Operation could not be carried out because there is no hardware support of the destination color key."},
    {DDERR_NOEXCLUSIVEMODE, "Operation requires the application to have exclusive mode but the application does not have exclusive mode."},
    {DDERR_NOFLIPHW, "Flipping visible surfaces is not supported."},
    {DDERR_NOGDI, "There is no GDI present."},
    {DDERR_NOMIRRORHW, "Operation could not be carried out because there is no hardware present or available."},
    {DDERR_NOTFOUND, "Requested item was not found."},
    {DDERR_NOOVERLAYHW, "Operation could not be carried out because there is no overlay hardware present or available."},
    {DDERR_NORASTEROPHW, "Operation could not be carried out because there is no appropriate raster op hardware present or available."},
    {DDERR_NOROTATIONHW, "Operation could not be carried out because there is no rotation hardware present or available."},
    {DDERR_NOSTRETCHHW, "Operation could not be carried out because there is no hardware support for stretching."},
    {DDERR_NOT4BITCOLOR, "DirectDrawSurface is not in 4 bit color palette and the requested operation requires 4 bit color palette."},
    {DDERR_NOT4BITCOLORINDEX, "DirectDrawSurface is not in 4 bit color index palette and the requested operation requires 4 bit color index palette."},
    {DDERR_NOT8BITCOLOR, "DirectDrawSurface is not in 8 bit color mode and the requested operation requires 8 bit color."},
    {DDERR_NOTEXTUREHW, "Operation could not be carried out because there is no texture mapping hardware present or available."},
    {DDERR_NOVSYNCHW, "Operation could not be carried out because there is no hardware support for vertical blank synchronized operations."},
    {DDERR_NOZBUFFERHW, "Operation could not be carried out because there is no hardware support for zbuffer blitting."},
    {DDERR_NOZOVERLAYHW, "Overlay surfaces could not be z layered based on their BltOrder because the hardware does not support z layering of overlays."},
    {DDERR_OUTOFCAPS, "The hardware needed for the requested operation has already been allocated."},
    {DDERR_OUTOFVIDEOMEMORY, "DirectDraw does not have enough memory to perform the operation."},
    {DDERR_OVERLAYCANTCLIP, "The hardware does not support clipped overlays."},
    {DDERR_OVERLAYCOLORKEYONLYONEACTIVE, "Can only have ony color key active at one time for overlays."},
    {DDERR_PALETTEBUSY, "Access to this palette is being refused because the palette is already locked by another thread."},
    {DDERR_COLORKEYNOTSET, "No src color key specified for this operation."},
    {DDERR_SURFACEALREADYATTACHED, "This surface is already attached to the surface it is being attached to."},
    {DDERR_SURFACEALREADYDEPENDENT, "This surface is already a dependency of the surface it is being made a dependency of."},
    {DDERR_SURFACEBUSY, "Access to this surface is being refused because the surface is already locked by another thread."},
    {DDERR_SURFACEISOBSCURED, "Access to surface refused because the surface is obscured."},
    {DDERR_SURFACELOST, "Access to this surface is being refused because the surface memory is gone. The DirectDrawSurface object representing this surface should have Restore called on it."},
    {DDERR_SURFACENOTATTACHED, "The requested surface is not attached."},
    {DDERR_TOOBIGHEIGHT, "Height requested by DirectDraw is too large."},
    {DDERR_TOOBIGSIZE, "Size requested by DirectDraw is too large, but the individual height and width are OK."},
    {DDERR_TOOBIGWIDTH, "Width requested by DirectDraw is too large."},
    {DDERR_UNSUPPORTEDFORMAT, "FOURCC format requested is unsupported by DirectDraw."},
    {DDERR_UNSUPPORTEDMASK, "Bitmask in the pixel format requested is unsupported by DirectDraw."},
    {DDERR_VERTICALBLANKINPROGRESS, "Vertical blank is in progress."},
    {DDERR_WASSTILLDRAWING, "Informs DirectDraw that the previous Blt which is transfering information to or from this Surface is incomplete."},
    {DDERR_XALIGN, "Rectangle provided was not horizontally aligned on required boundary."},
    {DDERR_INVALIDDIRECTDRAWGUID, "The GUID passed to DirectDrawCreate is not a valid DirectDraw driver identifier."},
    {DDERR_DIRECTDRAWALREADYCREATED, "A DirectDraw object representing this driver has already been created for this process."},
    {DDERR_NODIRECTDRAWHW, "A hardware-only DirectDraw object creation was attempted but the driver did not support any hardware."},
    {DDERR_PRIMARYSURFACEALREADYEXISTS, "This process already has created a primary surface."},
    {DDERR_NOEMULATION, "Software emulation not available."},
    {DDERR_REGIONTOOSMALL, "Region passed to Clipper::GetClipList is too small."},
    {DDERR_CLIPPERISUSINGHWND, "An attempt was made to set a cliplist for a clipper object that is already monitoring an hwnd."},
    {DDERR_NOCLIPPERATTACHED, "No clipper object attached to surface object."},
    {DDERR_NOHWND, "Clipper notification requires an HWND or no HWND has previously been set as the CooperativeLevel HWND."},
    {DDERR_HWNDSUBCLASSED, "HWND used by DirectDraw CooperativeLevel has been subclassed, this prevents DirectDraw from restoring state."},
    {DDERR_HWNDALREADYSET, "The CooperativeLevel HWND has already been set. It can not be reset while the process has surfaces or palettes created."},
    {DDERR_NOPALETTEATTACHED, "No palette object attached to this surface."},
    {DDERR_NOPALETTEHW, "No hardware support for 16 or 256 color palettes."},
    {DDERR_BLTFASTCANTCLIP, "Return if a clipper object is attached to the source surface passed into a BltFast call."},
    {DDERR_NOBLTHW, "No blitter hardware present."},
    {DDERR_NODDROPSHW, "No DirectDraw ROP hardware."},
    {DDERR_OVERLAYNOTVISIBLE, "Returned when GetOverlayPosition is called on a hidden overlay."},
    {DDERR_NOOVERLAYDEST, "Returned when GetOverlayPosition is called on an overlay that UpdateOverlay has never been called on to establish a destination."},
    {DDERR_INVALIDPOSITION, "Returned when the position of the overlay on the destination is no longer legal for that destination."},
    {DDERR_NOTAOVERLAYSURFACE, "Returned when an overlay member is called for a non-overlay surface."},
    {DDERR_EXCLUSIVEMODEALREADYSET, "An attempt was made to set the cooperative level when it was already set to exclusive."},
    {DDERR_NOTFLIPPABLE, "An attempt has been made to flip a surface that is not flippable."},
    {DDERR_CANTDUPLICATE, "Can't duplicate primary & 3D surfaces, or surfaces that are implicitly created."},
    {DDERR_NOTLOCKED, "Surface was not locked.  An attempt to unlock a surface that was not locked at all, or by this process, has been attempted."},
    {DDERR_CANTCREATEDC, "Windows can not create any more DCs."},
    {DDERR_NODC, "No DC was ever created for this surface."},
    {DDERR_WRONGMODE, "This surface can not be restored because it was created in a different mode."},
    {DDERR_IMPLICITLYCREATED, "This surface can not be restored because it is an implicitly created surface."},
    {DDERR_NOTPALETTIZED, "The surface being used is not a palette-based surface."},
    {D3DERR_TEXTURE_LOCKED, "D3DERR_TEXTURELOCKED"},
    {D3DRMERR_FILENOTFOUND, "The file was not found."},
    {D3DERR_BADMAJORVERSION, "D3DERR_BADMAJORVERSION"},
    {D3DERR_BADMINORVERSION, "D3DERR_BADMINORVERSION"},
    {D3DERR_EXECUTE_CREATE_FAILED, "D3DERR_EXECUTE_CREATE_FAILED"},
    {D3DERR_EXECUTE_DESTROY_FAILED, "D3DERR_EXECUTE_DESTROY_FAILED"},
    {D3DERR_EXECUTE_LOCK_FAILED, "D3DERR_EXECUTE_LOCK_FAILED"},
    {D3DERR_EXECUTE_UNLOCK_FAILED, "D3DERR_EXECUTE_UNLOCK_FAILED"},
    {D3DERR_EXECUTE_LOCKED, "D3DERR_EXECUTE_LOCKED"},
    {D3DERR_EXECUTE_NOT_LOCKED, "D3DERR_EXECUTE_NOT_LOCKED"},
    {D3DERR_EXECUTE_FAILED, "D3DERR_EXECUTE_FAILED"},
    {D3DERR_EXECUTE_CLIPPED_FAILED, "D3DERR_EXECUTE_CLIPPED_FAILED"},
    {D3DERR_TEXTURE_NO_SUPPORT, "D3DERR_TEXTURE_NO_SUPPORT"},
    {D3DERR_TEXTURE_CREATE_FAILED, "D3DERR_TEXTURE_CREATE_FAILED"},
    {D3DERR_TEXTURE_DESTROY_FAILED, "D3DERR_TEXTURE_DESTROY_FAILED"},
    {D3DERR_TEXTURE_LOCK_FAILED, "D3DERR_TEXTURE_LOCK_FAILED"},
    {D3DERR_TEXTURE_UNLOCK_FAILED, "D3DERR_TEXTURE_UNLOCK_FAILED"},
    {D3DERR_TEXTURE_LOAD_FAILED, "D3DERR_TEXTURE_LOAD_FAILED"},
    {D3DERR_TEXTURE_NOT_LOCKED, "D3DERR_TEXTURE_NOT_LOCKED"},
    {D3DERR_MATRIX_CREATE_FAILED, "D3DERR_MATRIX_CREATE_FAILED"},
    {D3DERR_MATRIX_DESTROY_FAILED, "D3DERR_MATRIX_DESTROY_FAILED"},
    {D3DERR_MATRIX_SETDATA_FAILED, "D3DERR_MATRIX_SETDATA_FAILED"},
    {D3DERR_SETVIEWPORTDATA_FAILED, "D3DERR_SETVIEWPORTDATA_FAILED"},
    {D3DERR_MATERIAL_CREATE_FAILED, "D3DERR_MATERIAL_CREATE_FAILED"},
    {D3DERR_MATERIAL_DESTROY_FAILED, "D3DERR_MATERIAL_DESTROY_FAILED"},
    {D3DERR_MATERIAL_SETDATA_FAILED, "D3DERR_MATERIAL_SETDATA_FAILED"},
    {D3DERR_LIGHT_SET_FAILED, "D3DERR_LIGHT_SET_FAILED"},
    {D3DRMERR_BADOBJECT, "D3DRMERR_BADOBJECT"},
    {D3DRMERR_BADTYPE, "D3DRMERR_BADTYPE"},
    {D3DRMERR_BADALLOC, "D3DRMERR_BADALLOC"},
    {D3DRMERR_FACEUSED, "D3DRMERR_FACEUSED"},
    {D3DRMERR_NOTFOUND, "D3DRMERR_NOTFOUND"},
    {D3DRMERR_NOTDONEYET, "D3DRMERR_NOTDONEYET"},
    {D3DRMERR_BADFILE, "D3DRMERR_BADFILE"},
    {D3DRMERR_BADDEVICE, "D3DRMERR_BADDEVICE"},
    {D3DRMERR_BADVALUE, "D3DRMERR_BADVALUE"},
    {D3DRMERR_BADMAJORVERSION, "D3DRMERR_BADMAJORVERSION"},
    {D3DRMERR_BADMINORVERSION, "D3DRMERR_BADMINORVERSION"},
    {D3DRMERR_UNABLETOEXECUTE, "D3DRMERR_UNABLETOEXECUTE"},
};

const char defaultText[] = "Unrecognized error value.";

TEST(ResultText, KnowsEveryCodeByteForByte) {
  for (const ExpectedText& expected : expectedTexts) {
    const char* text = ResultText(expected.code);
    ASSERT_NE(text, nullptr) << std::hex << expected.code;
    EXPECT_STREQ(text, expected.text) << "code 0x" << std::hex << static_cast<unsigned long>(expected.code);
  }
}

TEST(ResultText, TableHas130CodesAnd129Texts) {
  std::set<unsigned long> codes;
  std::set<std::string> texts;
  for (const ExpectedText& expected : expectedTexts) {
    codes.insert(static_cast<unsigned long>(expected.code));
    texts.insert(ResultText(expected.code));
  }
  EXPECT_EQ(codes.size(), 130u);
  EXPECT_EQ(texts.size(), 129u);
}

TEST(ResultText, OutOfMemoryCodesShareOneText) {
  EXPECT_STREQ(ResultText(DDERR_OUTOFMEMORY), ResultText(DDERR_OUTOFVIDEOMEMORY));
  EXPECT_STREQ(ResultText(static_cast<HRESULT>(0x8007000E)), "DirectDraw does not have enough memory to perform the operation.");
}

TEST(ResultText, SurfaceLostIsTheLongestText) {
  size_t longest = 0;
  for (const ExpectedText& expected : expectedTexts) {
    const size_t length = strlen(ResultText(expected.code));
    if (length > longest) longest = length;
  }
  EXPECT_EQ(longest, 164u);
  EXPECT_EQ(strlen(ResultText(static_cast<HRESULT>(0x887601C2))), 164u);
}

TEST(ResultText, UnknownCodesGiveTheDefaultText) {
  static const unsigned long unknownCodes[] = {
      0x887601B3,  // DDERR_CANTLOCKSURFACE
      0x887600DE,  // DDERR_NODIRECTDRAWSUPPORT
      0x887602D6,  // D3DERR_TEXTURE_SWAP_FAILED
      0x887602F8,  // D3DERR_SCENE_IN_SCENE
      0x00000001,  // S_FALSE, a success code other than 0
      0x7FFFFFFF,
      0x80000000,
      0xFFFFFFFF,
      0x80004002,  // E_NOINTERFACE
      0x88760000,
      0x08760005,  // DDERR_ALREADYINITIALIZED without the failure bit
  };
  for (unsigned long code : unknownCodes) {
    EXPECT_STREQ(ResultText(static_cast<HRESULT>(code)), defaultText) << std::hex << code;
  }
}

// Every value of the DirectDraw facility that is not in the table falls to the default.
TEST(ResultText, FacilitySweepMatchesOnlyTheTable) {
  std::set<unsigned long> known;
  for (const ExpectedText& expected : expectedTexts) known.insert(static_cast<unsigned long>(expected.code));
  int defaults = 0;
  for (unsigned long code = 0x88760000; code <= 0x887603FF; ++code) {
    const char* text = ResultText(static_cast<HRESULT>(code));
    if (known.count(code)) {
      EXPECT_STRNE(text, defaultText) << std::hex << code;
    } else {
      EXPECT_STREQ(text, defaultText) << std::hex << code;
      ++defaults;
    }
  }
  EXPECT_EQ(defaults, 0x400 - 125);
}

TEST(ResultText, SameTextOnEveryCall) {
  const char* first = ResultText(DDERR_SURFACELOST);
  EXPECT_EQ(ResultText(DDERR_SURFACELOST), first);
  EXPECT_EQ(ResultText(0x12345), ResultText(static_cast<HRESULT>(0x80000000)));
}

}  // namespace
