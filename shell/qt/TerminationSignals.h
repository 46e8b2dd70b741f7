// SIGTERM, SIGINT and SIGHUP end the program through its normal close, so
// the extracted files go as they do when the player quits. The signal
// handler only writes the signal's number to a socket; the event loop reads
// it and reports it as Received.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace tintaro::qt {

class TerminationSignals : public QObject {
  Q_OBJECT

 public:
  // One at a time: the handlers write to this object's socket.
  explicit TerminationSignals(QObject* parent = nullptr);
  ~TerminationSignals() override;
  bool Installed() const { return notifier_ != nullptr; }

 signals:
  void Received(int signalNumber);

 private:
  void Drain();

  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace tintaro::qt
