#pragma once
// SIGINT, SIGTERM and SIGHUP end the program the ordinary way instead of
// where it stands: the windows close, the settings are saved, the demo's
// simulator stops and its folder goes. The handler itself only notes the
// signal and writes a byte to a pipe that the event loop (or a waiting
// parent) watches; everything else happens outside the handler.
namespace varnek {

class EndSignals {
 public:
  // Installs the handlers (without SA_RESTART, so a blocking wait returns
  // with EINTR). One instance at a time.
  EndSignals();
  // Restores the handlers that were there before.
  ~EndSignals();
  EndSignals(const EndSignals&) = delete;
  EndSignals& operator=(const EndSignals&) = delete;

  // Readable once a signal came.
  int Fd() const;
  // The signal that came, 0 for none yet.
  static int Raised();
};

}  // namespace varnek
