// What the session logic needs of a provider: connections carrying whole
// frames in order, a listener that answers enumeration queries, and queries
// that collect the answers. Providers call the endpoint only on the loop
// thread of the session that owns them.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace Plat {

using TFrameBytes = std::shared_ptr<const std::vector<std::uint8_t>>;

// Where a session can be joined: an address and a port for TCP/IP, a
// session number on a loopback hub.
struct TNetPeer {
  std::string Host;
  std::uint16_t Port = 0;
};

class TNetLink {
 public:
  virtual ~TNetLink() = default;
  // Begins delivering received frames; called once the session knows the link.
  virtual void Start() = 0;
  // Queues one encoded frame (with its length prefix); callable from any
  // thread. False when the link is closed or its backlog is over the limit.
  virtual bool Send(const TFrameBytes& frame) = 0;
  // Ends the link once what was queued has gone out; no callback follows.
  virtual void Close() = 0;
  virtual std::string PeerName() const = 0;
};

class TNetEndpoint {
 public:
  // A connection arrived at a listening host.
  virtual void Accepted(std::shared_ptr<TNetLink> link) = 0;
  // One frame's payload (the bytes after the length prefix).
  virtual void Received(TNetLink& link, std::span<const std::uint8_t> payload) = 0;
  // The peer closed, broke off or sent bytes that are no frame.
  virtual void Closed(TNetLink& link, const std::string& reason) = 0;
  // The reply to an enumeration query; empty for none.
  virtual std::vector<std::uint8_t> Answer(std::span<const std::uint8_t> query, std::uint16_t port) = 0;
  // A reply to this endpoint's enumeration query, from the given host.
  virtual void Found(std::span<const std::uint8_t> reply, const std::string& host) = 0;

 protected:
  ~TNetEndpoint() = default;
};

// Blocking operations run on the caller's thread, never on the loop thread.
class TNetProvider {
 public:
  virtual ~TNetProvider() = default;
  // Starts accepting connections and answering queries. False with the reason.
  virtual bool Listen(std::string& error) = 0;
  virtual void StopListening() = 0;
  // The port that enumeration queries reach while listening; 0 when none.
  virtual std::uint16_t ListenPort() = 0;
  virtual bool StartQuery(std::span<const std::uint8_t> query, std::string& error) = 0;
  virtual void StopQuery() = 0;
  // A connected link, not yet started; null with the reason.
  virtual std::shared_ptr<TNetLink> Connect(const TNetPeer& peer, std::uint32_t timeoutMs, std::string& error) = 0;
};

}  // namespace Plat
