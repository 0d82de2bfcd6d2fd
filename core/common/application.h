#pragma once

// The GUI application as the core sees it.
class IApplication {
 public:
  virtual ~IApplication() = default;
  // Ends the event loop once the running handler has returned.
  virtual void Terminate() = 0;
  // Runs every pending GUI event (timers included) and returns.
  virtual void ProcessPendingEvents() = 0;
};
