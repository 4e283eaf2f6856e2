// The CPU renderer's frame on X: MIT-SHM's shared image where the server takes it, XPutImage otherwise.
#include "linux/x_frame_image.h"

#include <X11/Xutil.h>
#include <stdlib.h>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace {

bool attachFailed = false;  // set by OnAttachError while the segment is offered to the server

// A server that cannot reach our memory (across a network, or in another IPC namespace) refuses
// the segment with an error; it only sends the frames the plain way then.
int OnAttachError(Display*, XErrorEvent*) {
  attachFailed = true;
  return 0;
}

void ClearFrame(XFrameImageRecord& frame) {
  frame = XFrameImageRecord{};
  frame.segment.shmid = -1;
}

bool ServerIsLittleEndian(Display* display) { return ImageByteOrder(display) == LSBFirst; }

bool HostIsLittleEndian() {
  const uint32_t probe = 1;
  return *reinterpret_cast<const uint8_t*>(&probe) == 1;
}

bool OpenSharedImage(XFrameImageRecord& frame, Visual* visual, int depth) {
  Display* display = frame.display;
  if (!XShmQueryExtension(display)) return false;
  frame.image = XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &frame.segment,
                                static_cast<unsigned>(frame.width), static_cast<unsigned>(frame.height));
  if (frame.image == nullptr) return false;
  const size_t bytes = static_cast<size_t>(frame.image->bytes_per_line) * static_cast<size_t>(frame.height);
  frame.segment.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (frame.segment.shmid >= 0) {
    frame.segment.shmaddr = static_cast<char*>(shmat(frame.segment.shmid, nullptr, 0));
    if (frame.segment.shmaddr == reinterpret_cast<char*>(-1)) frame.segment.shmaddr = nullptr;
  }
  if (frame.segment.shmaddr != nullptr) {
    frame.image->data = frame.segment.shmaddr;
    frame.segment.readOnly = False;
    attachFailed = false;
    XErrorHandler previous = XSetErrorHandler(OnAttachError);
    frame.attached = XShmAttach(display, &frame.segment) != 0;
    XSync(display, False);
    XSetErrorHandler(previous);
    if (attachFailed) frame.attached = false;
  }
  // Marked for removal at once: the segment then goes with the last process that has it
  // attached, even when this one is killed.
  if (frame.segment.shmid >= 0) shmctl(frame.segment.shmid, IPC_RMID, nullptr);
  if (frame.attached) return true;
  if (frame.segment.shmaddr != nullptr) shmdt(frame.segment.shmaddr);
  frame.image->data = nullptr;
  XDestroyImage(frame.image);
  frame.image = nullptr;
  frame.segment = XShmSegmentInfo{};
  frame.segment.shmid = -1;
  return false;
}

bool OpenPlainImage(XFrameImageRecord& frame, Visual* visual, int depth) {
  frame.image = XCreateImage(frame.display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                             static_cast<unsigned>(frame.width), static_cast<unsigned>(frame.height), 32, 0);
  if (frame.image == nullptr) return false;
  frame.image->data = static_cast<char*>(
      malloc(static_cast<size_t>(frame.image->bytes_per_line) * static_cast<size_t>(frame.height)));
  if (frame.image->data != nullptr) return true;
  XDestroyImage(frame.image);
  frame.image = nullptr;
  return false;
}

}  // namespace

int XVisualTakesFrames(Display* display, const Visual* visual, int depth) {
  if (visual == nullptr || (depth != 24 && depth != 32)) return 0;
  if (visual->c_class != TrueColor || visual->red_mask != 0xff0000ul || visual->green_mask != 0x00ff00ul ||
      visual->blue_mask != 0x0000fful) {
    return 0;
  }
  int count = 0;
  XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
  int bitsPerPixel = 0;
  for (int k = 0; k < count; ++k) {
    if (formats[k].depth == depth) bitsPerPixel = formats[k].bits_per_pixel;
  }
  if (formats != nullptr) XFree(formats);
  return bitsPerPixel == 32 && ServerIsLittleEndian(display) == HostIsLittleEndian() ? 1 : 0;
}

int OpenXFrameImage(XFrameImageRecord& frame, Display* display, Window window, Visual* visual, int depth,
                    int32_t width, int32_t height) {
  ClearFrame(frame);
  frame.display = display;
  frame.width = width > 0 ? width : 1;
  frame.height = height > 0 ? height : 1;
  frame.gc = XCreateGC(display, window, 0, nullptr);
  if (frame.gc != nullptr && (OpenSharedImage(frame, visual, depth) || OpenPlainImage(frame, visual, depth))) return 1;
  CloseXFrameImage(frame);
  return 0;
}

void PutXFrameImage(XFrameImageRecord& frame, Window window) {
  const unsigned width = static_cast<unsigned>(frame.width);
  const unsigned height = static_cast<unsigned>(frame.height);
  if (frame.attached) {
    XShmPutImage(frame.display, window, frame.gc, frame.image, 0, 0, 0, 0, width, height, False);
  } else {
    XPutImage(frame.display, window, frame.gc, frame.image, 0, 0, 0, 0, width, height);
  }
  XSync(frame.display, False);
}

void CloseXFrameImage(XFrameImageRecord& frame) {
  if (frame.display != nullptr) {
    if (frame.attached) {
      XShmDetach(frame.display, &frame.segment);
      XSync(frame.display, False);
    }
    if (frame.image != nullptr) {
      // XDestroyImage frees the data too: shared memory is detached by hand first.
      if (frame.segment.shmaddr != nullptr) {
        shmdt(frame.segment.shmaddr);
        frame.image->data = nullptr;
      }
      XDestroyImage(frame.image);
    }
    if (frame.gc != nullptr) XFreeGC(frame.display, frame.gc);
  }
  ClearFrame(frame);
}
