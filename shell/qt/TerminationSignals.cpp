// The self-pipe: nothing but write(2) runs inside the signal handler.
#include "shell/qt/TerminationSignals.h"

#include <errno.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace tintaro::qt {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
int writeEnd = -1;
int readEnd = -1;

void OnSignal(int signalNumber) {
  const int saved = errno;
  const char byte = static_cast<char>(signalNumber);
  // A full socket already holds a request to end; one more adds nothing.
  [[maybe_unused]] const ssize_t n = ::write(writeEnd, &byte, 1);
  errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
  if (writeEnd >= 0) return;
  int fds[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds) != 0) return;
  writeEnd = fds[0];
  readEnd = fds[1];
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int s : kSignals) ::sigaction(s, &action, nullptr);
  notifier_ = new QSocketNotifier(readEnd, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::Drain);
}

TerminationSignals::~TerminationSignals() {
  if (!notifier_) return;
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  for (int s : kSignals) ::sigaction(s, &action, nullptr);
  delete notifier_;
  ::close(writeEnd);
  ::close(readEnd);
  writeEnd = readEnd = -1;
}

void TerminationSignals::Drain() {
  char bytes[16];
  ssize_t n;
  while ((n = ::read(readEnd, bytes, sizeof bytes)) > 0) {
    for (ssize_t i = 0; i < n; ++i) emit Received(bytes[i]);
  }
}

}  // namespace tintaro::qt
