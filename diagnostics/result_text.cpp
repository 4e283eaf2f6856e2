// Fixed English texts of the DirectDraw and Direct3D result codes, for the error log.
#include "diagnostics/diagnostics.h"

namespace {

struct ResultTextEntry {
  DWORD code;        // the published 32-bit result value
  const char* text;  // its text, returned as it is
};

// Ascending by value. DDERR_OUTOFMEMORY and DDERR_OUTOFVIDEOMEMORY share one text;
// most Direct3D and Retained Mode codes are named by their own identifier.
const ResultTextEntry resultTexts[] = {
    {0x00000000U, "No error."},  // DD_OK
    {0x80004001U, "Action not supported."},  // DDERR_UNSUPPORTED
    {0x80004005U, "Generic failure."},  // DDERR_GENERIC
    {0x8007000EU, "DirectDraw does not have enough memory to perform the operation."},  // DDERR_OUTOFMEMORY
    {0x80070057U, "One or more of the parameters passed to the function are incorrect."},  // DDERR_INVALIDPARAMS
    {0x88760005U, "This object is already initialized."},  // DDERR_ALREADYINITIALIZED
    {0x8876000AU, "This surface can not be attached to the requested surface."},  // DDERR_CANNOTATTACHSURFACE
    {0x88760014U, "This surface can not be detached from the requested surface."},  // DDERR_CANNOTDETACHSURFACE
    {0x88760028U, "Support is currently not available."},  // DDERR_CURRENTLYNOTAVAIL
    {0x88760037U, "An exception was encountered while performing the requested operation."},  // DDERR_EXCEPTION
    {0x8876005AU, "Height of rectangle provided is not a multiple of reqd alignment."},  // DDERR_HEIGHTALIGN
    {0x8876005FU, "Unable to match primary surface creation request with existing primary surface."},  // DDERR_INCOMPATIBLEPRIMARY
    {0x88760064U, "One or more of the caps bits passed to the callback are incorrect."},  // DDERR_INVALIDCAPS
    {0x8876006EU, "DirectDraw does not support the provided cliplist."},  // DDERR_INVALIDCLIPLIST
    {0x88760078U, "DirectDraw does not support the requested mode."},  // DDERR_INVALIDMODE
    {0x88760082U, "DirectDraw received a pointer that was an invalid DIRECTDRAW object."},  // DDERR_INVALIDOBJECT
    {0x88760091U, "The pixel format was invalid as specified."},  // DDERR_INVALIDPIXELFORMAT
    {0x88760096U, "Rectangle provided was invalid."},  // DDERR_INVALIDRECT
    {0x887600A0U, "Operation could not be carried out because one or more surfaces are locked."},  // DDERR_LOCKEDSURFACES
    {0x887600AAU, "There is no 3D present."},  // DDERR_NO3D
    {0x887600B4U, "Operation could not be carried out because there is no alpha accleration hardware present or available."},  // DDERR_NOALPHAHW
    {0x887600CDU, "No cliplist available."},  // DDERR_NOCLIPLIST
    {0x887600D2U, "Operation could not be carried out because there is no color conversion hardware present or available."},  // DDERR_NOCOLORCONVHW
    {0x887600D4U, "Create function called without DirectDraw object method SetCooperativeLevel being called."},  // DDERR_NOCOOPERATIVELEVELSET
    {0x887600D7U, "Surface doesn't currently have a color key"},  // DDERR_NOCOLORKEY
    {0x887600DCU, "Operation could not be carried out because there is no hardware support of the destination color key."},  // DDERR_NOCOLORKEYHW
    {0x887600E1U, "Operation requires the application to have exclusive mode but the application does not have exclusive mode."},  // DDERR_NOEXCLUSIVEMODE
    {0x887600E6U, "Flipping visible surfaces is not supported."},  // DDERR_NOFLIPHW
    {0x887600F0U, "There is no GDI present."},  // DDERR_NOGDI
    {0x887600FAU, "Operation could not be carried out because there is no hardware present or available."},  // DDERR_NOMIRRORHW
    {0x887600FFU, "Requested item was not found."},  // DDERR_NOTFOUND
    {0x88760104U, "Operation could not be carried out because there is no overlay hardware present or available."},  // DDERR_NOOVERLAYHW
    {0x88760118U, "Operation could not be carried out because there is no appropriate raster op hardware present or available."},  // DDERR_NORASTEROPHW
    {0x88760122U, "Operation could not be carried out because there is no rotation hardware present or available."},  // DDERR_NOROTATIONHW
    {0x88760136U, "Operation could not be carried out because there is no hardware support for stretching."},  // DDERR_NOSTRETCHHW
    {0x8876013CU, "DirectDrawSurface is not in 4 bit color palette and the requested operation requires 4 bit color palette."},  // DDERR_NOT4BITCOLOR
    {0x8876013DU, "DirectDrawSurface is not in 4 bit color index palette and the requested operation requires 4 bit color index palette."},  // DDERR_NOT4BITCOLORINDEX
    {0x88760140U, "DirectDrawSurface is not in 8 bit color mode and the requested operation requires 8 bit color."},  // DDERR_NOT8BITCOLOR
    {0x8876014AU, "Operation could not be carried out because there is no texture mapping hardware present or available."},  // DDERR_NOTEXTUREHW
    {0x8876014FU, "Operation could not be carried out because there is no hardware support for vertical blank synchronized operations."},  // DDERR_NOVSYNCHW
    {0x88760154U, "Operation could not be carried out because there is no hardware support for zbuffer blitting."},  // DDERR_NOZBUFFERHW
    {0x8876015EU, "Overlay surfaces could not be z layered based on their BltOrder because the hardware does not support z layering of overlays."},  // DDERR_NOZOVERLAYHW
    {0x88760168U, "The hardware needed for the requested operation has already been allocated."},  // DDERR_OUTOFCAPS
    {0x8876017CU, "DirectDraw does not have enough memory to perform the operation."},  // DDERR_OUTOFVIDEOMEMORY
    {0x8876017EU, "The hardware does not support clipped overlays."},  // DDERR_OVERLAYCANTCLIP
    {0x88760180U, "Can only have ony color key active at one time for overlays."},  // DDERR_OVERLAYCOLORKEYONLYONEACTIVE
    {0x88760183U, "Access to this palette is being refused because the palette is already locked by another thread."},  // DDERR_PALETTEBUSY
    {0x88760190U, "No src color key specified for this operation."},  // DDERR_COLORKEYNOTSET
    {0x8876019AU, "This surface is already attached to the surface it is being attached to."},  // DDERR_SURFACEALREADYATTACHED
    {0x887601A4U, "This surface is already a dependency of the surface it is being made a dependency of."},  // DDERR_SURFACEALREADYDEPENDENT
    {0x887601AEU, "Access to this surface is being refused because the surface is already locked by another thread."},  // DDERR_SURFACEBUSY
    {0x887601B8U, "Access to surface refused because the surface is obscured."},  // DDERR_SURFACEISOBSCURED
    {0x887601C2U, "Access to this surface is being refused because the surface memory is gone. The DirectDrawSurface object representing this surface should have Restore called on it."},  // DDERR_SURFACELOST
    {0x887601CCU, "The requested surface is not attached."},  // DDERR_SURFACENOTATTACHED
    {0x887601D6U, "Height requested by DirectDraw is too large."},  // DDERR_TOOBIGHEIGHT
    {0x887601E0U, "Size requested by DirectDraw is too large, but the individual height and width are OK."},  // DDERR_TOOBIGSIZE
    {0x887601EAU, "Width requested by DirectDraw is too large."},  // DDERR_TOOBIGWIDTH
    {0x887601FEU, "FOURCC format requested is unsupported by DirectDraw."},  // DDERR_UNSUPPORTEDFORMAT
    {0x88760208U, "Bitmask in the pixel format requested is unsupported by DirectDraw."},  // DDERR_UNSUPPORTEDMASK
    {0x88760219U, "Vertical blank is in progress."},  // DDERR_VERTICALBLANKINPROGRESS
    {0x8876021CU, "Informs DirectDraw that the previous Blt which is transfering information to or from this Surface is incomplete."},  // DDERR_WASSTILLDRAWING
    {0x88760230U, "Rectangle provided was not horizontally aligned on required boundary."},  // DDERR_XALIGN
    {0x88760231U, "The GUID passed to DirectDrawCreate is not a valid DirectDraw driver identifier."},  // DDERR_INVALIDDIRECTDRAWGUID
    {0x88760232U, "A DirectDraw object representing this driver has already been created for this process."},  // DDERR_DIRECTDRAWALREADYCREATED
    {0x88760233U, "A hardware-only DirectDraw object creation was attempted but the driver did not support any hardware."},  // DDERR_NODIRECTDRAWHW
    {0x88760234U, "This process already has created a primary surface."},  // DDERR_PRIMARYSURFACEALREADYEXISTS
    {0x88760235U, "Software emulation not available."},  // DDERR_NOEMULATION
    {0x88760236U, "Region passed to Clipper::GetClipList is too small."},  // DDERR_REGIONTOOSMALL
    {0x88760237U, "An attempt was made to set a cliplist for a clipper object that is already monitoring an hwnd."},  // DDERR_CLIPPERISUSINGHWND
    {0x88760238U, "No clipper object attached to surface object."},  // DDERR_NOCLIPPERATTACHED
    {0x88760239U, "Clipper notification requires an HWND or no HWND has previously been set as the CooperativeLevel HWND."},  // DDERR_NOHWND
    {0x8876023AU, "HWND used by DirectDraw CooperativeLevel has been subclassed, this prevents DirectDraw from restoring state."},  // DDERR_HWNDSUBCLASSED
    {0x8876023BU, "The CooperativeLevel HWND has already been set. It can not be reset while the process has surfaces or palettes created."},  // DDERR_HWNDALREADYSET
    {0x8876023CU, "No palette object attached to this surface."},  // DDERR_NOPALETTEATTACHED
    {0x8876023DU, "No hardware support for 16 or 256 color palettes."},  // DDERR_NOPALETTEHW
    {0x8876023EU, "Return if a clipper object is attached to the source surface passed into a BltFast call."},  // DDERR_BLTFASTCANTCLIP
    {0x8876023FU, "No blitter hardware present."},  // DDERR_NOBLTHW
    {0x88760240U, "No DirectDraw ROP hardware."},  // DDERR_NODDROPSHW
    {0x88760241U, "Returned when GetOverlayPosition is called on a hidden overlay."},  // DDERR_OVERLAYNOTVISIBLE
    {0x88760242U, "Returned when GetOverlayPosition is called on an overlay that UpdateOverlay has never been called on to establish a destination."},  // DDERR_NOOVERLAYDEST
    {0x88760243U, "Returned when the position of the overlay on the destination is no longer legal for that destination."},  // DDERR_INVALIDPOSITION
    {0x88760244U, "Returned when an overlay member is called for a non-overlay surface."},  // DDERR_NOTAOVERLAYSURFACE
    {0x88760245U, "An attempt was made to set the cooperative level when it was already set to exclusive."},  // DDERR_EXCLUSIVEMODEALREADYSET
    {0x88760246U, "An attempt has been made to flip a surface that is not flippable."},  // DDERR_NOTFLIPPABLE
    {0x88760247U, "Can't duplicate primary & 3D surfaces, or surfaces that are implicitly created."},  // DDERR_CANTDUPLICATE
    {0x88760248U, "Surface was not locked.  An attempt to unlock a surface that was not locked at all, or by this process, has been attempted."},  // DDERR_NOTLOCKED
    {0x88760249U, "Windows can not create any more DCs."},  // DDERR_CANTCREATEDC
    {0x8876024AU, "No DC was ever created for this surface."},  // DDERR_NODC
    {0x8876024BU, "This surface can not be restored because it was created in a different mode."},  // DDERR_WRONGMODE
    {0x8876024CU, "This surface can not be restored because it is an implicitly created surface."},  // DDERR_IMPLICITLYCREATED
    {0x8876024DU, "The surface being used is not a palette-based surface."},  // DDERR_NOTPALETTIZED
    {0x887602BCU, "D3DERR_BADMAJORVERSION"},  // D3DERR_BADMAJORVERSION
    {0x887602BDU, "D3DERR_BADMINORVERSION"},  // D3DERR_BADMINORVERSION
    {0x887602C6U, "D3DERR_EXECUTE_CREATE_FAILED"},  // D3DERR_EXECUTE_CREATE_FAILED
    {0x887602C7U, "D3DERR_EXECUTE_DESTROY_FAILED"},  // D3DERR_EXECUTE_DESTROY_FAILED
    {0x887602C8U, "D3DERR_EXECUTE_LOCK_FAILED"},  // D3DERR_EXECUTE_LOCK_FAILED
    {0x887602C9U, "D3DERR_EXECUTE_UNLOCK_FAILED"},  // D3DERR_EXECUTE_UNLOCK_FAILED
    {0x887602CAU, "D3DERR_EXECUTE_LOCKED"},  // D3DERR_EXECUTE_LOCKED
    {0x887602CBU, "D3DERR_EXECUTE_NOT_LOCKED"},  // D3DERR_EXECUTE_NOT_LOCKED
    {0x887602CCU, "D3DERR_EXECUTE_FAILED"},  // D3DERR_EXECUTE_FAILED
    {0x887602CDU, "D3DERR_EXECUTE_CLIPPED_FAILED"},  // D3DERR_EXECUTE_CLIPPED_FAILED
    {0x887602D0U, "D3DERR_TEXTURE_NO_SUPPORT"},  // D3DERR_TEXTURE_NO_SUPPORT
    {0x887602D1U, "D3DERR_TEXTURE_CREATE_FAILED"},  // D3DERR_TEXTURE_CREATE_FAILED
    {0x887602D2U, "D3DERR_TEXTURE_DESTROY_FAILED"},  // D3DERR_TEXTURE_DESTROY_FAILED
    {0x887602D3U, "D3DERR_TEXTURE_LOCK_FAILED"},  // D3DERR_TEXTURE_LOCK_FAILED
    {0x887602D4U, "D3DERR_TEXTURE_UNLOCK_FAILED"},  // D3DERR_TEXTURE_UNLOCK_FAILED
    {0x887602D5U, "D3DERR_TEXTURE_LOAD_FAILED"},  // D3DERR_TEXTURE_LOAD_FAILED
    {0x887602D7U, "D3DERR_TEXTURELOCKED"},  // D3DERR_TEXTURE_LOCKED
    {0x887602D8U, "D3DERR_TEXTURE_NOT_LOCKED"},  // D3DERR_TEXTURE_NOT_LOCKED
    {0x887602DAU, "D3DERR_MATRIX_CREATE_FAILED"},  // D3DERR_MATRIX_CREATE_FAILED
    {0x887602DBU, "D3DERR_MATRIX_DESTROY_FAILED"},  // D3DERR_MATRIX_DESTROY_FAILED
    {0x887602DCU, "D3DERR_MATRIX_SETDATA_FAILED"},  // D3DERR_MATRIX_SETDATA_FAILED
    {0x887602DEU, "D3DERR_SETVIEWPORTDATA_FAILED"},  // D3DERR_SETVIEWPORTDATA_FAILED
    {0x887602E4U, "D3DERR_MATERIAL_CREATE_FAILED"},  // D3DERR_MATERIAL_CREATE_FAILED
    {0x887602E5U, "D3DERR_MATERIAL_DESTROY_FAILED"},  // D3DERR_MATERIAL_DESTROY_FAILED
    {0x887602E6U, "D3DERR_MATERIAL_SETDATA_FAILED"},  // D3DERR_MATERIAL_SETDATA_FAILED
    {0x887602EEU, "D3DERR_LIGHT_SET_FAILED"},  // D3DERR_LIGHT_SET_FAILED
    {0x8876030DU, "D3DRMERR_BADOBJECT"},  // D3DRMERR_BADOBJECT
    {0x8876030EU, "D3DRMERR_BADTYPE"},  // D3DRMERR_BADTYPE
    {0x8876030FU, "D3DRMERR_BADALLOC"},  // D3DRMERR_BADALLOC
    {0x88760310U, "D3DRMERR_FACEUSED"},  // D3DRMERR_FACEUSED
    {0x88760311U, "D3DRMERR_NOTFOUND"},  // D3DRMERR_NOTFOUND
    {0x88760312U, "D3DRMERR_NOTDONEYET"},  // D3DRMERR_NOTDONEYET
    {0x88760313U, "The file was not found."},  // D3DRMERR_FILENOTFOUND
    {0x88760314U, "D3DRMERR_BADFILE"},  // D3DRMERR_BADFILE
    {0x88760315U, "D3DRMERR_BADDEVICE"},  // D3DRMERR_BADDEVICE
    {0x88760316U, "D3DRMERR_BADVALUE"},  // D3DRMERR_BADVALUE
    {0x88760317U, "D3DRMERR_BADMAJORVERSION"},  // D3DRMERR_BADMAJORVERSION
    {0x88760318U, "D3DRMERR_BADMINORVERSION"},  // D3DRMERR_BADMINORVERSION
    {0x88760319U, "D3DRMERR_UNABLETOEXECUTE"},  // D3DRMERR_UNABLETOEXECUTE
};

const char unrecognizedText[] = "Unrecognized error value.";

}  // namespace

const char* ResultText(HRESULT code) {
  const DWORD value = static_cast<DWORD>(code);
  for (const ResultTextEntry& entry : resultTexts) {
    if (entry.code == value) return entry.text;
  }
  return unrecognizedText;
}
