// Runs one piece of work on a thread of its own while the main thread keeps
// the interface alive and polls IsRunning. A failed run leaves its message
// in ErrorMessage for the caller to raise again on the main thread:
//
//   thread.SetMethod(...); thread.Start(0);
//   (nested frame loop until !thread.IsRunning())
//   if (!thread.Succeeded) throw std::runtime_error(thread.ErrorMessage);
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "engine/base/types.h"

class TActionThread {
 public:
  using TFunction = void (*)();
  using TMethod = std::function<void()>;

  TActionThread() = default;
  // Waits for work that still runs: it offers no point to stop at.
  ~TActionThread();
  TActionThread(const TActionThread&) = delete;
  TActionThread& operator=(const TActionThread&) = delete;

  bool IsRunning();
  void SetFunction(TFunction work);
  void SetMethod(TMethod work);
  // priority: accepted for the callers' sake; threads run at one priority here.
  void Start(int priority);
  // Waits for the thread to end and releases it.
  void Stop();

  // Read only after IsRunning returned false.
  u8 Succeeded = 0;
  std::string ErrorMessage;

 private:
  void ThreadBody();

  std::thread Handle;
  std::mutex Lock;  // guards Running
  TFunction Function = nullptr;
  TMethod Method;
  u8 Running = 0;
};
