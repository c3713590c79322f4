// The thread on which one transport's network work runs, one after another.
#pragma once

#include <asio/executor_work_guard.hpp>
#include <asio/io_context.hpp>
#include <asio/post.hpp>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>

namespace Plat {

// Lets other transports hand work to a loop that may end at any time.
class TLoopHandle {
 public:
  explicit TLoopHandle(asio::io_context& io) : Io(&io) {}
  // False when the loop has ended; the work is then dropped.
  template <class F>
  bool Post(F&& f) {
    std::lock_guard lock(Mutex);
    if (!Io) return false;
    asio::post(*Io, std::forward<F>(f));
    return true;
  }
  void Detach() {
    std::lock_guard lock(Mutex);
    Io = nullptr;
  }

 private:
  std::mutex Mutex;
  asio::io_context* Io;
};

class TNetLoop {
 public:
  TNetLoop() : Guard(asio::make_work_guard(Io)), Thread([this] { Io.run(); }) {}
  ~TNetLoop() { Stop(); }
  TNetLoop(const TNetLoop&) = delete;
  TNetLoop& operator=(const TNetLoop&) = delete;

  asio::io_context& Context() { return Io; }
  const std::shared_ptr<TLoopHandle>& Handle() const { return SharedHandle; }
  bool OnLoopThread() const { return std::this_thread::get_id() == Thread.get_id(); }

  // Runs f on the loop thread and waits for its result.
  template <class F>
  auto Run(F&& f) -> std::invoke_result_t<F> {
    if (OnLoopThread() || !Thread.joinable()) return f();
    std::packaged_task<std::invoke_result_t<F>()> task(std::forward<F>(f));
    auto result = task.get_future();
    asio::post(Io, [&task] { task(); });
    return result.get();
  }

  // Ends the thread; handlers not yet run are dropped with the context.
  void Stop() {
    if (!Thread.joinable()) return;
    SharedHandle->Detach();
    Guard.reset();
    Io.stop();
    Thread.join();
  }

 private:
  asio::io_context Io{1};
  std::shared_ptr<TLoopHandle> SharedHandle = std::make_shared<TLoopHandle>(Io);
  asio::executor_work_guard<asio::io_context::executor_type> Guard;
  std::thread Thread;
};

}  // namespace Plat
