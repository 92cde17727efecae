#pragma once
// How the receive thread wakes the engine's owner thread.

namespace valdro {

// Post() is called on the receive thread and must arrange, without blocking, for
// ProtocolEngine::DeliverPendingReport() to run on the owner thread.
class OwnerThreadPoster {
  public:
    virtual ~OwnerThreadPoster() = default;
    virtual void Post() = 0;
};

}  // namespace valdro
