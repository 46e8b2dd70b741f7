// Watches a program's windows from outside, on a private Xvfb screen, the way
// a compositor sees them: when a top-level window is mapped and when anything
// is drawn into it (the X DAMAGE extension reports every drawing into a
// window, whichever client draws). The program under watch needs no hooks.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>

namespace tintaro::bench {

using Clock = std::chrono::steady_clock;

// An Xvfb server on a free display number, stopped with this object.
class VirtualScreen {
 public:
  VirtualScreen() {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) throw std::runtime_error("pipe failed");
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
      // A benchmark that dies leaves no server behind; the program under
      // watch then loses its display and ends too.
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);
      ::close(pipeFds[0]);
      const std::string fd = std::to_string(pipeFds[1]);
      // A white root: a window that shows through before its first paint is
      // white, never the black a painted picture is recognised by.
      ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-wr",
               static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(pipeFds[1]);
    // Xvfb writes the display number once it accepts clients.
    std::string number;
    char c;
    while (::read(pipeFds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(pipeFds[0]);
    if (number.empty()) {
      Stop();
      throw std::runtime_error("Xvfb did not start (is the xvfb package installed?)");
    }
    display_ = ":" + number;
  }
  ~VirtualScreen() { Stop(); }
  VirtualScreen(const VirtualScreen&) = delete;
  VirtualScreen& operator=(const VirtualScreen&) = delete;

  const std::string& Display() const { return display_; }

 private:
  void Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  pid_t pid_ = -1;
  std::string display_;
};

// The resident memory of a process now, in KiB; -1 when it is gone.
inline long ResidentKib(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      long kib = -1;
      status >> kib;
      return kib;
    }
    status.ignore(1 << 16, '\n');
  }
  return -1;
}

// The processor time a process has used so far, all its threads, in
// milliseconds (the scheduler's nanosecond count; the tick-based count in
// /proc/PID/stat is too coarse for start-up). -1 when it is gone.
inline double ProcessorMs(pid_t pid) {
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  std::error_code error;
  double ns = 0;
  bool any = false;
  for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
    std::ifstream schedstat(task.path() / "schedstat");
    unsigned long long running = 0;
    if (schedstat >> running) {
      ns += static_cast<double>(running);
      any = true;
    }
  }
  return any ? ns / 1e6 : -1;
}

// What to wait for: the window whose first frame counts, recognised by its
// title and by at least `blackPixels` pure black pixels in it (a picture of
// black lines on white is on screen), and the window whose first paint is
// the moment the memory is read (none: read it at the first frame).
struct WatchSpec {
  std::string frameWindowTitle;
  int blackPixels = 0;
  std::string greetingTitle;
  std::chrono::milliseconds timeout{30000};
};

struct WatchResult {
  Clock::time_point firstFrame{};
  Clock::time_point greeting{};
  // At the first frame.
  double processorMs = -1;
  long residentKib = -1;
};

// One connection to the screen that sees every top-level window mapped and
// every drawing into those windows.
class WindowWatch {
 public:
  explicit WindowWatch(const std::string& display) {
    display_ = XOpenDisplay(display.c_str());
    if (!display_) throw std::runtime_error("cannot open display " + display);
    int errorBase = 0;
    if (!XDamageQueryExtension(display_, &damageEventBase_, &errorBase)) {
      throw std::runtime_error("the X server has no DAMAGE extension");
    }
    // Windows of a program that has ended make requests fail; that is no
    // fault of the watch.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
    XSync(display_, False);
  }
  ~WindowWatch() { XCloseDisplay(display_); }
  WindowWatch(const WindowWatch&) = delete;
  WindowWatch& operator=(const WindowWatch&) = delete;

  // Forgets the windows and events of earlier programs.
  void Clear() {
    XSync(display_, False);
    while (XPending(display_)) {
      XEvent event;
      XNextEvent(display_, &event);
    }
    titles_.clear();
  }

  // Waits until `spec` is met by the windows of process `pid` (the only
  // client drawing on this screen). Throws on timeout or when `pid` ends.
  WatchResult Wait(pid_t pid, const WatchSpec& spec) {
    WatchResult result;
    const Clock::time_point deadline = Clock::now() + spec.timeout;
    bool framed = false;
    bool greeted = false;
    while (!framed || !greeted) {
      if (!XPending(display_)) {
        if (int status; ::waitpid(pid, &status, WNOHANG) == pid) {
          throw std::runtime_error("the program ended before its window showed");
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) throw std::runtime_error("timed out waiting for the windows");
        pollfd connection{ConnectionNumber(display_), POLLIN, 0};
        ::poll(&connection, 1, static_cast<int>(std::min<long>(left.count(), 50)));
        continue;
      }
      XEvent event;
      XNextEvent(display_, &event);
      const Clock::time_point received = Clock::now();
      // Watched from its creation, a window cannot be drawn into unseen: a
      // client draws only after the window is mapped and exposed.
      if (event.type == CreateNotify) {
        XDamageCreate(display_, event.xcreatewindow.window, XDamageReportRawRectangles);
        continue;
      }
      const bool mapped = event.type == MapNotify;
      if (!mapped && event.type != damageEventBase_ + XDamageNotify) continue;
      const Window window = mapped ? event.xmap.window : reinterpret_cast<XDamageNotifyEvent&>(event).drawable;
      // Titles are set before a window is mapped.
      if (mapped) titles_[window] = Title(window);
      const std::string& title = titles_[window];
      if (!framed && title == spec.frameWindowTitle && CountBlackPixels(window) >= spec.blackPixels) {
        // Drawing that reached the server before the picture was read may be
        // what made it complete; then the frame is no earlier than now.
        framed = true;
        result.firstFrame = mapped || MoreDrawingQueued(window) ? Clock::now() : received;
        result.processorMs = ProcessorMs(pid);
        if (spec.greetingTitle.empty()) {
          greeted = true;
          result.greeting = result.firstFrame;
          result.residentKib = ResidentKib(pid);
        }
      } else if (!mapped && !greeted && !spec.greetingTitle.empty() && title == spec.greetingTitle) {
        greeted = true;
        result.greeting = received;
        result.residentKib = ResidentKib(pid);
      }
    }
    return result;
  }

 private:
  std::string Property(Window window, const char* name) {
    const Atom atom = XInternAtom(display_, name, False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string value;
    if (XGetWindowProperty(display_, window, atom, 0, 1024, False, AnyPropertyType, &type, &format, &count, &after,
                           &data) == Success &&
        data) {
      if (format == 8) value.assign(reinterpret_cast<char*>(data), count);
      XFree(data);
    }
    return value;
  }

  std::string Title(Window window) {
    std::string title = Property(window, "_NET_WM_NAME");
    return title.empty() ? Property(window, "WM_NAME") : title;
  }

  int CountBlackPixels(Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, window, &attributes) || attributes.map_state != IsViewable) return 0;
    XImage* image = XGetImage(display_, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (!image) return 0;
    int count = 0;
    for (int y = 0; y < image->height; ++y) {
      if (image->bits_per_pixel == 32) {
        const auto* row = reinterpret_cast<const uint32_t*>(image->data + static_cast<long>(y) * image->bytes_per_line);
        for (int x = 0; x < image->width; ++x) count += (row[x] & 0xFFFFFF) == 0;
      } else {
        for (int x = 0; x < image->width; ++x) count += (XGetPixel(image, x, y) & 0xFFFFFF) == 0;
      }
    }
    XDestroyImage(image);
    return count;
  }

  bool MoreDrawingQueued(Window window) {
    struct Search {
      int damageNotify;
      Window window;
      bool found = false;
    } search{damageEventBase_ + XDamageNotify, window};
    XEvent unused;
    // The predicate never takes an event out of the queue; it only looks.
    XCheckIfEvent(
        display_, &unused,
        [](Display*, XEvent* e, XPointer arg) -> Bool {
          auto* s = reinterpret_cast<Search*>(arg);
          if (e->type == s->damageNotify && reinterpret_cast<XDamageNotifyEvent*>(e)->drawable == s->window) {
            s->found = true;
          }
          return False;
        },
        reinterpret_cast<XPointer>(&search));
    return search.found;
  }

  Display* display_ = nullptr;
  int damageEventBase_ = 0;
  std::map<Window, std::string> titles_;
};

}  // namespace tintaro::bench
