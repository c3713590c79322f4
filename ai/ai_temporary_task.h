// A task that stands for another one while a handler runs: the guard,
// protect and follow handlers hand their units on through one, and an
// attack on a hidden group walks through one. It borrows the alive units
// of the task it stands for (their flags stay) and lives until the handler
// returns.
#pragma once

#include "ai/ai_task.h"

namespace AIHandler {

class TAITemporaryTask {
 public:
  // A new ID, an empty name, the source's priority and alive units, whose
  // evaluations now read this task's header.
  TAITemporaryTask(TAIHandler& handler, const TAITask& source, u32 type);
  // The units' evaluations read the source's header again.
  ~TAITemporaryTask();
  TAITemporaryTask(const TAITemporaryTask&) = delete;
  TAITemporaryTask& operator=(const TAITemporaryTask&) = delete;

  TAITask* operator->() { return &Task; }
  TAITask* Get() { return &Task; }

 private:
  TAIHandler& Handler;
  const TAITask& Source;
  TAITask Task;
};

}  // namespace AIHandler
