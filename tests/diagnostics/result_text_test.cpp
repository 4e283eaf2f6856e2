// Result texts: every DirectDraw, Direct3D and Retained Mode code the log knows, and the default.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>

#include "diagnostics/diagnostics.h"

namespace {

struct ExpectedText {
  unsigned long code;  // the published value, compared as an exact 32-bit value
  const char* text;    // the text, byte for byte
};

// Every code the log names, by its published value, so that a wrong value in the program's
// table shows as well as a wrong text. DDERR_OUTOFMEMORY and DDERR_OUTOFVIDEOMEMORY share
// their text; D3DERR_TEXTURE_LOCKED's text lacks its name's second underscore.
const ExpectedText expectedTexts[] = {
    {0x00000000, "No error."},  // DD_OK
    {0x80004001, "Action not supported."},  // DDERR_UNSUPPORTED
    {0x80004005, "Generic failure."},  // DDERR_GENERIC
    {0x8007000E, "DirectDraw does not have enough memory to perform the operation."},  // DDERR_OUTOFMEMORY
    {0x80070057, "One or more of the parameters passed to the function are incorrect."},  // DDERR_INVALIDPARAMS
    {0x88760005, "This object is already initialized."},  // DDERR_ALREADYINITIALIZED
    {0x8876000A, "This surface can not be attached to the requested surface."},  // DDERR_CANNOTATTACHSURFACE
    {0x88760014, "This surface can not be detached from the requested surface."},  // DDERR_CANNOTDETACHSURFACE
    {0x88760028, "Support is currently not available."},  // DDERR_CURRENTLYNOTAVAIL
    {0x88760037, "An exception was encountered while performing the requested operation."},  // DDERR_EXCEPTION
    {0x8876005A, "Height of rectangle provided is not a multiple of reqd alignment."},  // DDERR_HEIGHTALIGN
    {0x8876005F, "Unable to match primary surface creation request with existing primary surface."},  // DDERR_INCOMPATIBLEPRIMARY
    {0x88760064, "One or more of the caps bits passed to the callback are incorrect."},  // DDERR_INVALIDCAPS
    {0x8876006E, "DirectDraw does not support the provided cliplist."},  // DDERR_INVALIDCLIPLIST
    {0x88760078, "DirectDraw does not support the requested mode."},  // DDERR_INVALIDMODE
    {0x88760082, "DirectDraw received a pointer that was an invalid DIRECTDRAW object."},  // DDERR_INVALIDOBJECT
    {0x88760091, "The pixel format was invalid as specified."},  // DDERR_INVALIDPIXELFORMAT
    {0x88760096, "Rectangle provided was invalid."},  // DDERR_INVALIDRECT
    {0x887600A0, "Operation could not be carried out because one or more surfaces are locked."},  // DDERR_LOCKEDSURFACES
    {0x887600AA, "There is no 3D present."},  // DDERR_NO3D
    {0x887600B4, "Operation could not be carried out because there is no alpha accleration hardware present or available."},  // DDERR_NOALPHAHW
    {0x887600CD, "No cliplist available."},  // DDERR_NOCLIPLIST
    {0x887600D2, "Operation could not be carried out because there is no color conversion hardware present or available."},  // DDERR_NOCOLORCONVHW
    {0x887600D4, "Create function called without DirectDraw object method SetCooperativeLevel being called."},  // DDERR_NOCOOPERATIVELEVELSET
    {0x887600D7, "Surface doesn't currently have a color key"},  // DDERR_NOCOLORKEY
    {0x887600DC, "Operation could not be carried out because there is no hardware support of the destination color key."},  // DDERR_NOCOLORKEYHW
    {0x887600E1, "Operation requires the application to have exclusive mode but the application does not have exclusive mode."},  // DDERR_NOEXCLUSIVEMODE
    {0x887600E6, "Flipping visible surfaces is not supported."},  // DDERR_NOFLIPHW
    {0x887600F0, "There is no GDI present."},  // DDERR_NOGDI
    {0x887600FA, "Operation could not be carried out because there is no hardware present or available."},  // DDERR_NOMIRRORHW
    {0x887600FF, "Requested item was not found."},  // DDERR_NOTFOUND
    {0x88760104, "Operation could not be carried out because there is no overlay hardware present or available."},  // DDERR_NOOVERLAYHW
    {0x88760118, "Operation could not be carried out because there is no appropriate raster op hardware present or available."},  // DDERR_NORASTEROPHW
    {0x88760122, "Operation could not be carried out because there is no rotation hardware present or available."},  // DDERR_NOROTATIONHW
    {0x88760136, "Operation could not be carried out because there is no hardware support for stretching."},  // DDERR_NOSTRETCHHW
    {0x8876013C, "DirectDrawSurface is not in 4 bit color palette and the requested operation requires 4 bit color palette."},  // DDERR_NOT4BITCOLOR
    {0x8876013D, "DirectDrawSurface is not in 4 bit color index palette and the requested operation requires 4 bit color index palette."},  // DDERR_NOT4BITCOLORINDEX
    {0x88760140, "DirectDrawSurface is not in 8 bit color mode and the requested operation requires 8 bit color."},  // DDERR_NOT8BITCOLOR
    {0x8876014A, "Operation could not be carried out because there is no texture mapping hardware present or available."},  // DDERR_NOTEXTUREHW
    {0x8876014F, "Operation could not be carried out because there is no hardware support for vertical blank synchronized operations."},  // DDERR_NOVSYNCHW
    {0x88760154, "Operation could not be carried out because there is no hardware support for zbuffer blitting."},  // DDERR_NOZBUFFERHW
    {0x8876015E, "Overlay surfaces could not be z layered based on their BltOrder because the hardware does not support z layering of overlays."},  // DDERR_NOZOVERLAYHW
    {0x88760168, "The hardware needed for the requested operation has already been allocated."},  // DDERR_OUTOFCAPS
    {0x8876017C, "DirectDraw does not have enough memory to perform the operation."},  // DDERR_OUTOFVIDEOMEMORY
    {0x8876017E, "The hardware does not support clipped overlays."},  // DDERR_OVERLAYCANTCLIP
    {0x88760180, "Can only have ony color key active at one time for overlays."},  // DDERR_OVERLAYCOLORKEYONLYONEACTIVE
    {0x88760183, "Access to this palette is being refused because the palette is already locked by another thread."},  // DDERR_PALETTEBUSY
    {0x88760190, "No src color key specified for this operation."},  // DDERR_COLORKEYNOTSET
    {0x8876019A, "This surface is already attached to the surface it is being attached to."},  // DDERR_SURFACEALREADYATTACHED
    {0x887601A4, "This surface is already a dependency of the surface it is being made a dependency of."},  // DDERR_SURFACEALREADYDEPENDENT
    {0x887601AE, "Access to this surface is being refused because the surface is already locked by another thread."},  // DDERR_SURFACEBUSY
    {0x887601B8, "Access to surface refused because the surface is obscured."},  // DDERR_SURFACEISOBSCURED
    {0x887601C2, "Access to this surface is being refused because the surface memory is gone. The DirectDrawSurface object representing this surface should have Restore called on it."},  // DDERR_SURFACELOST
    {0x887601CC, "The requested surface is not attached."},  // DDERR_SURFACENOTATTACHED
    {0x887601D6, "Height requested by DirectDraw is too large."},  // DDERR_TOOBIGHEIGHT
    {0x887601E0, "Size requested by DirectDraw is too large, but the individual height and width are OK."},  // DDERR_TOOBIGSIZE
    {0x887601EA, "Width requested by DirectDraw is too large."},  // DDERR_TOOBIGWIDTH
    {0x887601FE, "FOURCC format requested is unsupported by DirectDraw."},  // DDERR_UNSUPPORTEDFORMAT
    {0x88760208, "Bitmask in the pixel format requested is unsupported by DirectDraw."},  // DDERR_UNSUPPORTEDMASK
    {0x88760219, "Vertical blank is in progress."},  // DDERR_VERTICALBLANKINPROGRESS
    {0x8876021C, "Informs DirectDraw that the previous Blt which is transfering information to or from this Surface is incomplete."},  // DDERR_WASSTILLDRAWING
    {0x88760230, "Rectangle provided was not horizontally aligned on required boundary."},  // DDERR_XALIGN
    {0x88760231, "The GUID passed to DirectDrawCreate is not a valid DirectDraw driver identifier."},  // DDERR_INVALIDDIRECTDRAWGUID
    {0x88760232, "A DirectDraw object representing this driver has already been created for this process."},  // DDERR_DIRECTDRAWALREADYCREATED
    {0x88760233, "A hardware-only DirectDraw object creation was attempted but the driver did not support any hardware."},  // DDERR_NODIRECTDRAWHW
    {0x88760234, "This process already has created a primary surface."},  // DDERR_PRIMARYSURFACEALREADYEXISTS
    {0x88760235, "Software emulation not available."},  // DDERR_NOEMULATION
    {0x88760236, "Region passed to Clipper::GetClipList is too small."},  // DDERR_REGIONTOOSMALL
    {0x88760237, "An attempt was made to set a cliplist for a clipper object that is already monitoring an hwnd."},  // DDERR_CLIPPERISUSINGHWND
    {0x88760238, "No clipper object attached to surface object."},  // DDERR_NOCLIPPERATTACHED
    {0x88760239, "Clipper notification requires an HWND or no HWND has previously been set as the CooperativeLevel HWND."},  // DDERR_NOHWND
    {0x8876023A, "HWND used by DirectDraw CooperativeLevel has been subclassed, this prevents DirectDraw from restoring state."},  // DDERR_HWNDSUBCLASSED
    {0x8876023B, "The CooperativeLevel HWND has already been set. It can not be reset while the process has surfaces or palettes created."},  // DDERR_HWNDALREADYSET
    {0x8876023C, "No palette object attached to this surface."},  // DDERR_NOPALETTEATTACHED
    {0x8876023D, "No hardware support for 16 or 256 color palettes."},  // DDERR_NOPALETTEHW
    {0x8876023E, "Return if a clipper object is attached to the source surface passed into a BltFast call."},  // DDERR_BLTFASTCANTCLIP
    {0x8876023F, "No blitter hardware present."},  // DDERR_NOBLTHW
    {0x88760240, "No DirectDraw ROP hardware."},  // DDERR_NODDROPSHW
    {0x88760241, "Returned when GetOverlayPosition is called on a hidden overlay."},  // DDERR_OVERLAYNOTVISIBLE
    {0x88760242, "Returned when GetOverlayPosition is called on an overlay that UpdateOverlay has never been called on to establish a destination."},  // DDERR_NOOVERLAYDEST
    {0x88760243, "Returned when the position of the overlay on the destination is no longer legal for that destination."},  // DDERR_INVALIDPOSITION
    {0x88760244, "Returned when an overlay member is called for a non-overlay surface."},  // DDERR_NOTAOVERLAYSURFACE
    {0x88760245, "An attempt was made to set the cooperative level when it was already set to exclusive."},  // DDERR_EXCLUSIVEMODEALREADYSET
    {0x88760246, "An attempt has been made to flip a surface that is not flippable."},  // DDERR_NOTFLIPPABLE
    {0x88760247, "Can't duplicate primary & 3D surfaces, or surfaces that are implicitly created."},  // DDERR_CANTDUPLICATE
    {0x88760248, "Surface was not locked.  An attempt to unlock a surface that was not locked at all, or by this process, has been attempted."},  // DDERR_NOTLOCKED
    {0x88760249, "Windows can not create any more DCs."},  // DDERR_CANTCREATEDC
    {0x8876024A, "No DC was ever created for this surface."},  // DDERR_NODC
    {0x8876024B, "This surface can not be restored because it was created in a different mode."},  // DDERR_WRONGMODE
    {0x8876024C, "This surface can not be restored because it is an implicitly created surface."},  // DDERR_IMPLICITLYCREATED
    {0x8876024D, "The surface being used is not a palette-based surface."},  // DDERR_NOTPALETTIZED
    {0x887602BC, "D3DERR_BADMAJORVERSION"},  // D3DERR_BADMAJORVERSION
    {0x887602BD, "D3DERR_BADMINORVERSION"},  // D3DERR_BADMINORVERSION
    {0x887602C6, "D3DERR_EXECUTE_CREATE_FAILED"},  // D3DERR_EXECUTE_CREATE_FAILED
    {0x887602C7, "D3DERR_EXECUTE_DESTROY_FAILED"},  // D3DERR_EXECUTE_DESTROY_FAILED
    {0x887602C8, "D3DERR_EXECUTE_LOCK_FAILED"},  // D3DERR_EXECUTE_LOCK_FAILED
    {0x887602C9, "D3DERR_EXECUTE_UNLOCK_FAILED"},  // D3DERR_EXECUTE_UNLOCK_FAILED
    {0x887602CA, "D3DERR_EXECUTE_LOCKED"},  // D3DERR_EXECUTE_LOCKED
    {0x887602CB, "D3DERR_EXECUTE_NOT_LOCKED"},  // D3DERR_EXECUTE_NOT_LOCKED
    {0x887602CC, "D3DERR_EXECUTE_FAILED"},  // D3DERR_EXECUTE_FAILED
    {0x887602CD, "D3DERR_EXECUTE_CLIPPED_FAILED"},  // D3DERR_EXECUTE_CLIPPED_FAILED
    {0x887602D0, "D3DERR_TEXTURE_NO_SUPPORT"},  // D3DERR_TEXTURE_NO_SUPPORT
    {0x887602D1, "D3DERR_TEXTURE_CREATE_FAILED"},  // D3DERR_TEXTURE_CREATE_FAILED
    {0x887602D2, "D3DERR_TEXTURE_DESTROY_FAILED"},  // D3DERR_TEXTURE_DESTROY_FAILED
    {0x887602D3, "D3DERR_TEXTURE_LOCK_FAILED"},  // D3DERR_TEXTURE_LOCK_FAILED
    {0x887602D4, "D3DERR_TEXTURE_UNLOCK_FAILED"},  // D3DERR_TEXTURE_UNLOCK_FAILED
    {0x887602D5, "D3DERR_TEXTURE_LOAD_FAILED"},  // D3DERR_TEXTURE_LOAD_FAILED
    {0x887602D7, "D3DERR_TEXTURELOCKED"},  // D3DERR_TEXTURE_LOCKED
    {0x887602D8, "D3DERR_TEXTURE_NOT_LOCKED"},  // D3DERR_TEXTURE_NOT_LOCKED
    {0x887602DA, "D3DERR_MATRIX_CREATE_FAILED"},  // D3DERR_MATRIX_CREATE_FAILED
    {0x887602DB, "D3DERR_MATRIX_DESTROY_FAILED"},  // D3DERR_MATRIX_DESTROY_FAILED
    {0x887602DC, "D3DERR_MATRIX_SETDATA_FAILED"},  // D3DERR_MATRIX_SETDATA_FAILED
    {0x887602DE, "D3DERR_SETVIEWPORTDATA_FAILED"},  // D3DERR_SETVIEWPORTDATA_FAILED
    {0x887602E4, "D3DERR_MATERIAL_CREATE_FAILED"},  // D3DERR_MATERIAL_CREATE_FAILED
    {0x887602E5, "D3DERR_MATERIAL_DESTROY_FAILED"},  // D3DERR_MATERIAL_DESTROY_FAILED
    {0x887602E6, "D3DERR_MATERIAL_SETDATA_FAILED"},  // D3DERR_MATERIAL_SETDATA_FAILED
    {0x887602EE, "D3DERR_LIGHT_SET_FAILED"},  // D3DERR_LIGHT_SET_FAILED
    {0x8876030D, "D3DRMERR_BADOBJECT"},  // D3DRMERR_BADOBJECT
    {0x8876030E, "D3DRMERR_BADTYPE"},  // D3DRMERR_BADTYPE
    {0x8876030F, "D3DRMERR_BADALLOC"},  // D3DRMERR_BADALLOC
    {0x88760310, "D3DRMERR_FACEUSED"},  // D3DRMERR_FACEUSED
    {0x88760311, "D3DRMERR_NOTFOUND"},  // D3DRMERR_NOTFOUND
    {0x88760312, "D3DRMERR_NOTDONEYET"},  // D3DRMERR_NOTDONEYET
    {0x88760313, "The file was not found."},  // D3DRMERR_FILENOTFOUND
    {0x88760314, "D3DRMERR_BADFILE"},  // D3DRMERR_BADFILE
    {0x88760315, "D3DRMERR_BADDEVICE"},  // D3DRMERR_BADDEVICE
    {0x88760316, "D3DRMERR_BADVALUE"},  // D3DRMERR_BADVALUE
    {0x88760317, "D3DRMERR_BADMAJORVERSION"},  // D3DRMERR_BADMAJORVERSION
    {0x88760318, "D3DRMERR_BADMINORVERSION"},  // D3DRMERR_BADMINORVERSION
    {0x88760319, "D3DRMERR_UNABLETOEXECUTE"},  // D3DRMERR_UNABLETOEXECUTE
};

const char defaultText[] = "Unrecognized error value.";

TEST(ResultText, KnowsEveryCodeByteForByte) {
  for (const ExpectedText& expected : expectedTexts) {
    const char* text = ResultText(static_cast<HRESULT>(expected.code));
    ASSERT_NE(text, nullptr) << std::hex << expected.code;
    EXPECT_STREQ(text, expected.text) << "code 0x" << std::hex << expected.code;
  }
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

// Every value of the DirectDraw facility that the log does not name falls to the default.
TEST(ResultText, RestOfTheFacilityGivesTheDefaultText) {
  std::set<unsigned long> known;
  for (const ExpectedText& expected : expectedTexts) known.insert(expected.code);
  for (unsigned long code = 0x88760000; code <= 0x887603FF; ++code) {
    if (!known.count(code)) {
      EXPECT_STREQ(ResultText(static_cast<HRESULT>(code)), defaultText) << std::hex << code;
    }
  }
}

// The texts are constants the caller keeps: the same storage on every call.
TEST(ResultText, SameTextOnEveryCall) {
  const char* first = ResultText(static_cast<HRESULT>(0x887601C2));
  EXPECT_EQ(ResultText(static_cast<HRESULT>(0x887601C2)), first);
  EXPECT_EQ(ResultText(0x12345), ResultText(static_cast<HRESULT>(0x80000000)));
}

}  // namespace
