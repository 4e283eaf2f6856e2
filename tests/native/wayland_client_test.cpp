// A tiny compositor of two outputs running the hack as its client over WAYLAND_SOCKET, as swaylock-plugin runs plugins.
#include <gtest/gtest.h>
#include <wayland-server.h>

// The generated C names a parameter "namespace", a C++ keyword.
#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-server-protocol.h"
#undef namespace

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <deque>
#include <vector>

namespace {

std::vector<char*> clientCommand;  // the client's command line, null-terminated; from main's arguments

struct OutputRecord {
  const char* name;   // wl_output.name the client may pick it by
  int32_t width;      // mode, in pixels
  int32_t height;     // mode, in pixels
  int32_t scale;      // wl_output.scale: buffers are this many pixels to a surface unit
  bool answerFrames;  // frame callbacks of surfaces on this output are answered at each commit
};

struct CommitRecord {
  int32_t width;   // the committed buffer's width in pixels; 0 when the commit brought no buffer
  int32_t height;  // its height in pixels
  int32_t scale;   // the surface's buffer scale in force
  bool drawn;      // some pixel of the buffer is not black
};

struct SurfaceRecord;
struct BufferWatch {
  wl_listener listener;     // on the pending buffer's destruction
  SurfaceRecord* surface;   // whose pending buffer it watches
};

struct SurfaceRecord {
  wl_resource* resource;        // the wl_surface; null once the client destroys it
  wl_resource* pendingBuffer;   // attached, not committed yet; owned by the client
  BufferWatch bufferWatch;      // clears pendingBuffer when the client destroys it first
  int32_t pendingScale;         // set_buffer_scale waiting for the commit
  int32_t scale;                // buffer scale in force
  wl_list pendingFrames;        // frame callbacks asked for since the last commit (resource links)
  wl_list frames;               // frame callbacks committed and not yet answered
  wl_resource* layerSurface;    // its zwlr_layer_surface_v1, null when none or destroyed
  bool layered;                 // a layer surface was made for it, destroyed since or not
  int output;                   // index of the output the layer surface asked for; -1 when it named none
  uint32_t layer;               // zwlr_layer_shell_v1 layer asked for
  uint32_t anchor;              // last set_anchor
  int32_t exclusiveZone;        // last set_exclusive_zone
  uint32_t keyboard;            // last set_keyboard_interactivity
  int32_t configuredWidth;      // size sent in the configure, in surface units; 0 before it
  int32_t configuredHeight;     // likewise its height
  std::vector<CommitRecord> commits;  // every commit after the configure, in order
};

// The compositor: one display, its two outputs, the surfaces the client made, the client process.
struct Compositor {
  wl_display* display;                 // owned; null when not running
  OutputRecord outputs[2];             // HEADLESS-1 and HEADLESS-2
  std::deque<SurfaceRecord> surfaces;  // kept after their resources go, for the checks
  wl_resource* touch;                  // the client's wl_touch, null when none
  wl_client* client;                   // null once destroyed
  wl_listener clientGone;              // clears client
  pid_t child;                         // the client process; 0 when none
  bool exited;                         // the child has been waited for
  int status;                          // its wait status
  timespec start;                      // when the client was started
};
Compositor box;

double Seconds(const timespec& from) {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec - from.tv_sec) + static_cast<double>(now.tv_nsec - from.tv_nsec) / 1e9;
}

double Slowdown() {
  const char* text = getenv("VYK_SLOWDOWN");
  const double factor = text != nullptr ? atof(text) : 1.0;
  return factor > 1.0 ? factor : 1.0;
}

SurfaceRecord& SurfaceOf(wl_resource* resource) {
  return *static_cast<SurfaceRecord*>(wl_resource_get_user_data(resource));
}
void DestroyRequest(wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }

void AnswerFrames(SurfaceRecord& surface) {
  const uint32_t now = static_cast<uint32_t>(Seconds(box.start) * 1000.0);
  wl_resource* callback;
  wl_resource* next;
  wl_resource_for_each_safe(callback, next, &surface.frames) {
    wl_callback_send_done(callback, now);
    wl_resource_destroy(callback);
  }
}

void ForgetPendingBuffer(SurfaceRecord& surface) {
  if (surface.pendingBuffer != nullptr) wl_list_remove(&surface.bufferWatch.listener.link);
  surface.pendingBuffer = nullptr;
}

// Copies what a commit brings the way a copying compositor does: reads the shm buffer, then releases it at once.
CommitRecord ReadBuffer(SurfaceRecord& surface) {
  CommitRecord commit = {0, 0, surface.scale, false};
  wl_shm_buffer* shm = surface.pendingBuffer != nullptr ? wl_shm_buffer_get(surface.pendingBuffer) : nullptr;
  if (shm == nullptr) return commit;
  commit.width = wl_shm_buffer_get_width(shm);
  commit.height = wl_shm_buffer_get_height(shm);
  const int32_t stride = wl_shm_buffer_get_stride(shm);
  wl_shm_buffer_begin_access(shm);
  const char* rows = static_cast<const char*>(wl_shm_buffer_get_data(shm));
  for (int32_t y = 0; y < commit.height && !commit.drawn; ++y) {
    const uint32_t* row = reinterpret_cast<const uint32_t*>(rows + static_cast<ptrdiff_t>(y) * stride);
    for (int32_t x = 0; x < commit.width && !commit.drawn; ++x) commit.drawn = (row[x] & 0xFFFFFFu) != 0;
  }
  wl_shm_buffer_end_access(shm);
  wl_buffer_send_release(surface.pendingBuffer);
  return commit;
}

void Commit(wl_client*, wl_resource* resource) {
  SurfaceRecord& surface = SurfaceOf(resource);
  surface.scale = surface.pendingScale;
  const CommitRecord commit = ReadBuffer(surface);
  ForgetPendingBuffer(surface);
  if (surface.layerSurface != nullptr && surface.configuredWidth == 0) {
    // The first commit of a layer surface asks for its size: the whole output, in surface units.
    const OutputRecord& output = box.outputs[surface.output >= 0 ? surface.output : 0];
    surface.configuredWidth = output.width / output.scale;
    surface.configuredHeight = output.height / output.scale;
    zwlr_layer_surface_v1_send_configure(surface.layerSurface, wl_display_next_serial(box.display),
                                         static_cast<uint32_t>(surface.configuredWidth),
                                         static_cast<uint32_t>(surface.configuredHeight));
  } else if (surface.configuredWidth != 0) {
    surface.commits.push_back(commit);
  }
  wl_list_insert_list(&surface.frames, &surface.pendingFrames);
  wl_list_init(&surface.pendingFrames);
  if (surface.output < 0 || box.outputs[surface.output].answerFrames) AnswerFrames(surface);
}

void Attach(wl_client*, wl_resource* resource, wl_resource* buffer, int32_t, int32_t) {
  SurfaceRecord& surface = SurfaceOf(resource);
  ForgetPendingBuffer(surface);
  surface.pendingBuffer = buffer;
  if (buffer != nullptr) wl_resource_add_destroy_listener(buffer, &surface.bufferWatch.listener);
}

void Frame(wl_client* client, wl_resource* resource, uint32_t id) {
  wl_resource* callback = wl_resource_create(client, &wl_callback_interface, 1, id);
  wl_resource_set_implementation(callback, nullptr, nullptr,
                                 [](wl_resource* gone) { wl_list_remove(wl_resource_get_link(gone)); });
  wl_list_insert(SurfaceOf(resource).pendingFrames.prev, wl_resource_get_link(callback));
}

const struct wl_surface_interface surfaceRequests = {
    DestroyRequest, Attach, [](wl_client*, wl_resource*, int32_t, int32_t, int32_t, int32_t) {}, Frame,
    [](wl_client*, wl_resource*, wl_resource*) {}, [](wl_client*, wl_resource*, wl_resource*) {}, Commit,
    [](wl_client*, wl_resource*, int32_t) {},
    [](wl_client*, wl_resource* resource, int32_t scale) { SurfaceOf(resource).pendingScale = scale; },
    [](wl_client*, wl_resource*, int32_t, int32_t, int32_t, int32_t) {},
    [](wl_client*, wl_resource*, int32_t, int32_t) {}};

const struct wl_region_interface regionRequests = {
    DestroyRequest, [](wl_client*, wl_resource*, int32_t, int32_t, int32_t, int32_t) {},
    [](wl_client*, wl_resource*, int32_t, int32_t, int32_t, int32_t) {}};

const struct wl_compositor_interface compositorRequests = {
    [](wl_client* client, wl_resource* resource, uint32_t id) {
      box.surfaces.emplace_back();
      SurfaceRecord& surface = box.surfaces.back();
      surface.bufferWatch.surface = &surface;
      surface.bufferWatch.listener.notify = [](wl_listener* listener, void*) {
        SurfaceRecord& owner = *reinterpret_cast<BufferWatch*>(listener)->surface;
        wl_list_remove(&listener->link);
        owner.pendingBuffer = nullptr;
      };
      surface.pendingScale = surface.scale = 1;
      surface.output = -1;
      wl_list_init(&surface.pendingFrames);
      wl_list_init(&surface.frames);
      surface.resource = wl_resource_create(client, &wl_surface_interface, wl_resource_get_version(resource), id);
      wl_resource_set_implementation(surface.resource, &surfaceRequests, &surface, [](wl_resource* gone) {
        ForgetPendingBuffer(SurfaceOf(gone));
        SurfaceOf(gone).resource = nullptr;
      });
    },
    [](wl_client* client, wl_resource* resource, uint32_t id) {
      wl_resource* made = wl_resource_create(client, &wl_region_interface, wl_resource_get_version(resource), id);
      wl_resource_set_implementation(made, &regionRequests, nullptr, nullptr);
    }};

const struct zwlr_layer_surface_v1_interface layerSurfaceRequests = {
    [](wl_client*, wl_resource*, uint32_t, uint32_t) {},
    [](wl_client*, wl_resource* resource, uint32_t anchor) { SurfaceOf(resource).anchor = anchor; },
    [](wl_client*, wl_resource* resource, int32_t zone) { SurfaceOf(resource).exclusiveZone = zone; },
    [](wl_client*, wl_resource*, int32_t, int32_t, int32_t, int32_t) {},
    [](wl_client*, wl_resource* resource, uint32_t keyboard) { SurfaceOf(resource).keyboard = keyboard; },
    [](wl_client*, wl_resource*, wl_resource*) {},
    [](wl_client*, wl_resource*, uint32_t) {},
    DestroyRequest,
    [](wl_client*, wl_resource* resource, uint32_t layer) { SurfaceOf(resource).layer = layer; },
    [](wl_client*, wl_resource*, uint32_t) {}};

const struct zwlr_layer_shell_v1_interface layerShellRequests = {
    [](wl_client* client, wl_resource* resource, uint32_t id, wl_resource* surfaceResource, wl_resource* output,
       uint32_t layer, const char*) {
      SurfaceRecord& surface = SurfaceOf(surfaceResource);
      surface.layerSurface =
          wl_resource_create(client, &zwlr_layer_surface_v1_interface, wl_resource_get_version(resource), id);
      wl_resource_set_implementation(surface.layerSurface, &layerSurfaceRequests, &surface,
                                     [](wl_resource* gone) { SurfaceOf(gone).layerSurface = nullptr; });
      surface.layered = true;
      surface.layer = layer;
      if (output != nullptr)
        surface.output = static_cast<int>(static_cast<OutputRecord*>(wl_resource_get_user_data(output)) - box.outputs);
    },
    DestroyRequest};

const struct wl_output_interface outputRequests = {DestroyRequest};
const struct wl_touch_interface touchRequests = {DestroyRequest};

void RefuseDevice(wl_client*, wl_resource* seat, uint32_t) {
  wl_resource_post_error(seat, WL_SEAT_ERROR_MISSING_CAPABILITY, "this seat has touch only");
}

const struct wl_seat_interface seatRequests = {
    RefuseDevice, RefuseDevice,
    [](wl_client* client, wl_resource* seat, uint32_t id) {
      box.touch = wl_resource_create(client, &wl_touch_interface, wl_resource_get_version(seat), id);
      wl_resource_set_implementation(box.touch, &touchRequests, nullptr, [](wl_resource*) { box.touch = nullptr; });
    },
    DestroyRequest};

void BindOutput(wl_client* client, void* data, uint32_t version, uint32_t id) {
  const OutputRecord& output = *static_cast<OutputRecord*>(data);
  wl_resource* resource = wl_resource_create(client, &wl_output_interface, static_cast<int>(version), id);
  wl_resource_set_implementation(resource, &outputRequests, data, nullptr);
  wl_output_send_geometry(resource, static_cast<int32_t>(&output - box.outputs) * 4096, 0, output.width / 4,
                          output.height / 4, WL_OUTPUT_SUBPIXEL_UNKNOWN, "Vyk", "Test", WL_OUTPUT_TRANSFORM_NORMAL);
  wl_output_send_mode(resource, WL_OUTPUT_MODE_CURRENT | WL_OUTPUT_MODE_PREFERRED, output.width, output.height, 60000);
  wl_output_send_scale(resource, output.scale);
  if (version >= 4) wl_output_send_name(resource, output.name);
  wl_output_send_done(resource);
}

void BindSeat(wl_client* client, void*, uint32_t version, uint32_t id) {
  wl_resource* resource = wl_resource_create(client, &wl_seat_interface, static_cast<int>(version), id);
  wl_resource_set_implementation(resource, &seatRequests, nullptr, nullptr);
  wl_seat_send_capabilities(resource, WL_SEAT_CAPABILITY_TOUCH);
  wl_seat_send_name(resource, "seat0");
}

// A global whose objects need no state of their own: the compositor and the layer shell.
struct PlainGlobal {
  const wl_interface* interface;  // what it offers
  int version;                    // the highest version offered
  const void* requests;           // its request handlers
};
PlainGlobal plainGlobals[] = {{&wl_compositor_interface, 4, &compositorRequests},
                              {&zwlr_layer_shell_v1_interface, 4, &layerShellRequests}};

void BindPlain(wl_client* client, void* data, uint32_t version, uint32_t id) {
  const PlainGlobal& global = *static_cast<PlainGlobal*>(data);
  wl_resource* resource = wl_resource_create(client, global.interface, static_cast<int>(version), id);
  wl_resource_set_implementation(resource, global.requests, nullptr, nullptr);
}

struct Setup {
  int32_t scales[2];       // HEADLESS-1's and HEADLESS-2's scale
  bool seat;               // a wl_seat with touch is offered; none otherwise
  const char* outputName;  // SWAYLOCK_PLUGIN_OUTPUT_NAME for the client, or null for none
};

// The display and its globals, then the client on one end of a socket pair, with the environment a plugin gets.
void Start(const Setup& setup) {
  box.display = wl_display_create();
  ASSERT_NE(nullptr, box.display);
  ASSERT_EQ(0, wl_display_init_shm(box.display));
  for (PlainGlobal& global : plainGlobals)
    wl_global_create(box.display, global.interface, global.version, &global, BindPlain);
  const OutputRecord outputs[2] = {{"HEADLESS-1", 640, 480, setup.scales[0], true},
                                   {"HEADLESS-2", 800, 600, setup.scales[1], true}};
  for (int k = 0; k < 2; ++k) {
    box.outputs[k] = outputs[k];
    wl_global_create(box.display, &wl_output_interface, 4, &box.outputs[k], BindOutput);
  }
  if (setup.seat) wl_global_create(box.display, &wl_seat_interface, 5, nullptr, BindSeat);

  int ends[2];
  ASSERT_EQ(0, socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends));
  box.client = wl_client_create(box.display, ends[0]);
  ASSERT_NE(nullptr, box.client);
  box.clientGone.notify = [](wl_listener*, void*) { box.client = nullptr; };
  wl_client_add_destroy_listener(box.client, &box.clientGone);
  clock_gettime(CLOCK_MONOTONIC, &box.start);
  box.child = fork();
  if (box.child == 0) {
    char fd[16];
    snprintf(fd, sizeof(fd), "%d", dup(ends[1]));  // the duplicate is inherited across exec
    setenv("WAYLAND_SOCKET", fd, 1);
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("DISPLAY");
    if (setup.outputName != nullptr) setenv("SWAYLOCK_PLUGIN_OUTPUT_NAME", setup.outputName, 1);
    else unsetenv("SWAYLOCK_PLUGIN_OUTPUT_NAME");
    execvp(clientCommand[0], clientCommand.data());
    _exit(127);
  }
  close(ends[1]);
  ASSERT_GT(box.child, 0);
}

void Stop() {
  if (box.child > 0 && !box.exited) {
    kill(box.child, SIGKILL);
    waitpid(box.child, &box.status, 0);
  }
  if (box.display != nullptr) {
    wl_display_destroy_clients(box.display);
    wl_display_destroy(box.display);
  }
  box.surfaces.clear();
  box = Compositor();
}

// Runs the compositor until done() holds, the client has ended, or seconds (times VYK_SLOWDOWN) have
// passed; returns done().
template <typename Done>
bool RunUntil(double seconds, Done done) {
  const double deadline = Seconds(box.start) + seconds * Slowdown();
  wl_event_loop* loop = wl_display_get_event_loop(box.display);
  while (!done() && !box.exited && Seconds(box.start) < deadline) {
    wl_display_flush_clients(box.display);
    wl_event_loop_dispatch(loop, 10);
    box.exited = waitpid(box.child, &box.status, WNOHANG) == box.child;
  }
  return done();
}

// The first layer surface asked for on the output, or null; one the client has since destroyed counts.
SurfaceRecord* LayerSurfaceOn(int output) {
  for (SurfaceRecord& surface : box.surfaces)
    if (surface.layered && surface.output == output) return &surface;
  return nullptr;
}

int BufferCommits(int output) {
  const SurfaceRecord* surface = LayerSurfaceOn(output);
  int count = 0;
  if (surface != nullptr)
    for (const CommitRecord& commit : surface->commits) count += commit.width > 0;
  return count;
}

bool Drawn(int output) {
  const SurfaceRecord* surface = LayerSurfaceOn(output);
  if (surface != nullptr)
    for (const CommitRecord& commit : surface->commits)
      if (commit.drawn) return true;
  return false;
}

std::string HowItEnded() {
  char text[64];
  if (!box.exited) snprintf(text, sizeof(text), "still running");
  else if (WIFEXITED(box.status)) snprintf(text, sizeof(text), "exited with %d", WEXITSTATUS(box.status));
  else snprintf(text, sizeof(text), "killed by signal %d", WTERMSIG(box.status));
  return text;
}

class WaylandClient : public testing::Test {
 protected:
  void TearDown() override { Stop(); }
};

struct OutputCase {
  const char* fault;  // what a client that fails here gets wrong
  Setup setup;        // the compositor's outputs and the client's environment
  bool chosen[2];     // which outputs must get a surface
};

const OutputCase outputCases[] = {
    {"an output left bare, a buffer not of the configured size, or a black frame",
     {{1, 1}, false, nullptr}, {true, true}},
    {"the output's scale ignored: a buffer of surface units, or no wl_surface.set_buffer_scale",
     {{1, 2}, false, nullptr}, {true, true}},
    {"SWAYLOCK_PLUGIN_OUTPUT_NAME ignored: a surface on an output not named",
     {{1, 1}, false, "HEADLESS-2"}, {false, true}},
};

void PrintTo(const OutputCase& row, std::ostream* out) { *out << row.fault; }

class DrawsOnOutputs : public WaylandClient, public testing::WithParamInterface<OutputCase> {};

TEST_P(DrawsOnOutputs, FullScreenLayerSurfaceOfExactSize) {
  const OutputCase& row = GetParam();
  SCOPED_TRACE(row.fault);
  Start(row.setup);
  if (HasFatalFailure()) return;
  const bool drawnInTime =
      RunUntil(2, [&] { return (!row.chosen[0] || Drawn(0)) && (!row.chosen[1] || Drawn(1)); });
  EXPECT_TRUE(drawnInTime) << "not every chosen output showed a drawn frame within 2 s; the client " << HowItEnded();
  // An output left out must stay bare while the chosen one goes on drawing.
  if (!row.chosen[0] || !row.chosen[1]) RunUntil(10, [&] { return BufferCommits(row.chosen[0] ? 0 : 1) >= 10; });
  for (int k = 0; k < 2; ++k) {
    const OutputRecord& output = box.outputs[k];
    const SurfaceRecord* surface = LayerSurfaceOn(k);
    SCOPED_TRACE(output.name);
    if (!row.chosen[k]) {
      EXPECT_EQ(nullptr, surface) << "a layer surface on an output not chosen";
      continue;
    }
    ASSERT_NE(nullptr, surface) << "no layer surface; the client " << HowItEnded();
    EXPECT_EQ(ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, surface->layer);
    EXPECT_EQ(ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                  ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT,
              surface->anchor);
    EXPECT_EQ(-1, surface->exclusiveZone);
    EXPECT_EQ(ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE, surface->keyboard);
    EXPECT_EQ(output.width / output.scale, surface->configuredWidth);
    EXPECT_EQ(output.height / output.scale, surface->configuredHeight);
    EXPECT_GE(BufferCommits(k), 1);
    for (const CommitRecord& commit : surface->commits) {
      if (commit.width == 0) continue;
      const bool exact = commit.width == surface->configuredWidth * output.scale &&
                         commit.height == surface->configuredHeight * output.scale && commit.scale == output.scale;
      EXPECT_TRUE(exact) << "a buffer of " << commit.width << "x" << commit.height << " at scale " << commit.scale
                         << " for a configured " << surface->configuredWidth << "x" << surface->configuredHeight
                         << " on an output of scale " << output.scale;
      if (!exact) break;
    }
    EXPECT_TRUE(Drawn(k)) << "every committed buffer is black";
  }
}

INSTANTIATE_TEST_SUITE_P(Outputs, DrawsOnOutputs, testing::ValuesIn(outputCases));

enum EndAction { touchDown, closeConnection };

struct EndCase {
  const char* fault;  // what a client that fails here gets wrong
  bool seat;          // a seat with touch is offered
  EndAction action;   // what the compositor does once the client draws
  double seconds;     // how long the client may take to end after it
};

const EndCase endCases[] = {
    {"a touch-down ignored, or ending the run with an error", true, touchDown, 5},
    {"a closed connection leaving the client running, or ending it with an error", false, closeConnection, 5},
};

void PrintTo(const EndCase& row, std::ostream* out) { *out << row.fault; }

class EndsWithZero : public WaylandClient, public testing::WithParamInterface<EndCase> {};

TEST_P(EndsWithZero, WhenTheCompositorSaysSo) {
  const EndCase& row = GetParam();
  SCOPED_TRACE(row.fault);
  Start({{1, 1}, row.seat, nullptr});
  if (HasFatalFailure()) return;
  ASSERT_TRUE(RunUntil(10, [&] { return BufferCommits(0) >= 1 && (!row.seat || box.touch != nullptr); }))
      << "no frame on HEADLESS-1" << (row.seat ? " or no wl_touch taken" : "") << "; the client " << HowItEnded();
  if (row.action == touchDown) {
    wl_touch_send_down(box.touch, wl_display_next_serial(box.display), 1, LayerSurfaceOn(0)->resource, 0,
                       wl_fixed_from_int(10), wl_fixed_from_int(10));
    wl_touch_send_frame(box.touch);
  } else {
    wl_client_destroy(box.client);
  }
  RunUntil(row.seconds, [] { return box.exited; });
  EXPECT_EQ("exited with 0", HowItEnded()) << row.seconds << " s (times VYK_SLOWDOWN) after the compositor's word";
}

INSTANTIATE_TEST_SUITE_P(Ends, EndsWithZero, testing::ValuesIn(endCases));

// Withholding one output's frame callbacks must stop drawing there and there only; answering brings it back.
TEST_F(WaylandClient, FrameCallbacksGateEachOutput) {
  Start({{1, 1}, false, nullptr});
  if (HasFatalFailure()) return;
  box.outputs[0].answerFrames = false;
  ASSERT_TRUE(RunUntil(10, [] { return BufferCommits(0) >= 1 && BufferCommits(1) >= 1; }))
      << "no frame on both outputs; the client " << HowItEnded();
  const int withheld = BufferCommits(0);
  const int answered = BufferCommits(1);
  ASSERT_TRUE(RunUntil(30, [&] { return BufferCommits(1) >= answered + 20; }))
      << "the output whose callbacks are answered stopped drawing after " << BufferCommits(1) - answered
      << " frames; the client " << HowItEnded();
  EXPECT_LE(BufferCommits(0) - withheld, 1) << "frames committed to the output whose frame callback is withheld";

  box.outputs[0].answerFrames = true;
  AnswerFrames(*LayerSurfaceOn(0));
  const int resumed = BufferCommits(0);
  EXPECT_TRUE(RunUntil(10, [&] { return BufferCommits(0) >= resumed + 5; }))
      << "only " << BufferCommits(0) - resumed << " frames after the callback was answered; the client "
      << HowItEnded();
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    fprintf(stderr, "usage: %s [GoogleTest options] CLIENT [ARGUMENT...]\n", argv[0]);
    return 2;
  }
  clientCommand.assign(argv + 1, argv + argc);
  clientCommand.push_back(nullptr);
  return RUN_ALL_TESTS();
}
