#pragma once

#include "common/application.h"

class TQtApplication : public IApplication {
 public:
  void Terminate() override;
  void ProcessPendingEvents() override;
};
