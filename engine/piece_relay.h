// Passes the pieces of a file's text from the thread that reads, decodes and transforms
// them to a helper thread that encodes and writes them, so that the two halves of the
// work run at once. The pieces keep their order, and only a few wait at a time, so that
// memory stays the same whatever the file's size. Where no helper thread can be had, each
// piece is taken on the caller's thread as it is handed over.
#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "core/wide_text.h"
#include "engine/two_halves.h"

class PieceRelay {
 public:
  // Takes one piece (and may change it); false when it failed, and no later piece is
  // then taken.
  using Take = std::function<bool(WideText& piece, bool last)>;

  // The pieces that may wait for the helper beside the one it is taking.
  static constexpr size_t kWaiting = 2;

  explicit PieceRelay(Take take);
  // Drops the pieces still waiting and waits for the one being taken.
  ~PieceRelay();
  PieceRelay(const PieceRelay&) = delete;
  PieceRelay& operator=(const PieceRelay&) = delete;

  // Hands piece over and leaves it empty (with the room of a piece already taken, so
  // that no fresh memory is touched for the next). Waits while kWaiting pieces wait.
  // False once a piece failed; what taking threw is thrown here.
  bool Hand(WideText& piece, bool last);

  // Waits until every piece handed over has been taken. False when one failed; what
  // taking threw is thrown here.
  bool Finish();

 private:
  struct Piece {
    WideText units;
    bool last = false;
  };

  void Work();
  // With the lock held: throws what taking threw, once the helper has stopped.
  void ThrowFailure(std::unique_lock<std::mutex>& lock);

  Take take_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Piece> waiting_;
  std::vector<WideText> spare_;
  bool closed_ = false;  // no piece follows; the helper ends when the queue is empty
  bool failed_ = false;
  std::exception_ptr error_;
  // Last: it is the first to go, and the helper it runs uses everything above.
  std::unique_ptr<HelperThread> helper_;
};
