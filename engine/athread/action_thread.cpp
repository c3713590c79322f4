#include "engine/athread/action_thread.h"

#include <exception>
#include <stdexcept>
#include <system_error>

TActionThread::~TActionThread() { Stop(); }

bool TActionThread::IsRunning() {
  std::lock_guard lock(Lock);
  return Running != 0;
}

void TActionThread::SetFunction(TFunction work) {
  if (IsRunning()) throw std::runtime_error("TActionThread: Cannot initialize when running.");
  Function = work;
  Method = nullptr;
}

void TActionThread::SetMethod(TMethod work) {
  if (IsRunning()) throw std::runtime_error("TActionThread: Cannot initialize when running.");
  Function = nullptr;
  Method = std::move(work);
}

void TActionThread::Start(int) {
  {
    std::lock_guard lock(Lock);
    if (Running) throw std::runtime_error("TActionThread: Already running.");
    Running = 1;
  }
  Succeeded = 0;
  // The previous run's thread has finished, but is released only now.
  if (Handle.joinable()) Handle.join();
  try {
    Handle = std::thread(&TActionThread::ThreadBody, this);
  } catch (const std::system_error&) {
    std::lock_guard lock(Lock);
    Running = 0;
    throw std::runtime_error("TActionThread: Thread could not be created.");
  }
}

void TActionThread::Stop() {
  if (Handle.joinable()) Handle.join();
}

void TActionThread::ThreadBody() {
  try {
    if (Function)
      Function();
    else if (Method)
      Method();
    Succeeded = 1;
  } catch (const std::exception& e) {
    Succeeded = 0;
    ErrorMessage = e.what();
  } catch (...) {
    // An exception of no known kind would end the program from this thread.
    Succeeded = 0;
    ErrorMessage = "TActionThread: Unknown exception.";
  }
  std::lock_guard lock(Lock);
  Running = 0;
}
