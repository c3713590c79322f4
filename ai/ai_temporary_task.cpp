#include "ai/ai_temporary_task.h"

#include "ai/ai_handler.h"

namespace AIHandler {

TAITemporaryTask::TAITemporaryTask(TAIHandler& handler, const TAITask& source, u32 type)
    : Handler(handler), Source(source), Task(&handler, true) {
  Task.Header.TaskType = type;
  Task.Priority = source.Priority;
  for (TAIUnit* u : source.Units)
    if (u->IsAlive()) {
      Task.Units.Add(u);
      u->Fitness.SetHeader(&Task.Header);
    }
  Handler.TemporaryTasks.Add(&Task);
}

TAITemporaryTask::~TAITemporaryTask() {
  Handler.TemporaryTasks.Remove(&Task);
  for (TAIUnit* u : Task.Units)
    if (u->Fitness.Header == &Task.Header) u->Fitness.SetHeader(&Source.Header);
  Task.Units.Clear();
}

}  // namespace AIHandler
