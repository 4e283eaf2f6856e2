// The CPU renderer's frame on X: an image of 32-bit pixels put into the window each frame.
#ifndef VYK_LINUX_X_FRAME_IMAGE_H
#define VYK_LINUX_X_FRAME_IMAGE_H

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>
#include <stdint.h>

// One image the size of the window, in memory shared with the X server where it offers MIT-SHM
// and accepts our segment, in our own memory otherwise (a server across the network). Owned from
// OpenXFrameImage to CloseXFrameImage; every field is cleared there.
struct XFrameImageRecord {
  Display* display;         // the connection the image belongs to; null when there is none
  GC gc;                    // the window's graphics context for the puts; 0 when none
  XImage* image;            // the frame: 0x00RRGGBB words, rows image->bytes_per_line apart; null when none
  XShmSegmentInfo segment;  // the shared segment; shmid -1 and shmaddr null when the image is our own memory
  bool attached;            // the server has attached segment; it must detach it before the segment goes
  int32_t width;            // the image's size in pixels
  int32_t height;
};

// Non-zero when frames of 0x00RRGGBB words can go to windows of this visual and depth unchanged:
// true colour, 8 bits a channel in that order, 32 bits a pixel in the server's byte order as ours.
int XVisualTakesFrames(Display* display, const Visual* visual, int depth);
// Makes the image for a window of the given visual and size; returns 1, or 0 with nothing left open.
int OpenXFrameImage(XFrameImageRecord& frame, Display* display, Window window, Visual* visual, int depth,
                    int32_t width, int32_t height);
// Puts the whole image into the window, and waits until the server has taken it, so the next
// frame may be drawn into the same memory.
void PutXFrameImage(XFrameImageRecord& frame, Window window);
// Frees the image and its segment; safe on a closed record.
void CloseXFrameImage(XFrameImageRecord& frame);

#endif
