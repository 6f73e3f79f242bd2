#include "engine/piece_relay.h"

#include <utility>

PieceRelay::PieceRelay(Take take) : take_(std::move(take)) {
  helper_ = std::make_unique<HelperThread>([this] { Work(); });
  if (!helper_->Started()) helper_.reset();
}

PieceRelay::~PieceRelay() {
  if (!helper_) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    waiting_.clear();
    closed_ = true;
  }
  changed_.notify_all();
  helper_.reset();  // joins; Work throws nothing
}

void PieceRelay::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return !waiting_.empty() || closed_; });
    if (waiting_.empty()) return;
    Piece piece = std::move(waiting_.front());
    waiting_.pop_front();
    lock.unlock();
    changed_.notify_all();  // room for another piece
    bool taken = false;
    std::exception_ptr error;
    try {
      taken = take_(piece.units, piece.last);
    } catch (...) {
      error = std::current_exception();
    }
    piece.units.clear();
    lock.lock();
    spare_.push_back(std::move(piece.units));
    if (!taken) {
      failed_ = true;
      error_ = error;
      waiting_.clear();
      changed_.notify_all();
      return;
    }
    if (piece.last) {
      changed_.notify_all();
      return;
    }
  }
}

void PieceRelay::ThrowFailure(std::unique_lock<std::mutex>& lock) {
  if (!error_) return;
  std::exception_ptr error = std::exchange(error_, nullptr);
  lock.unlock();
  std::rethrow_exception(error);
}

bool PieceRelay::Hand(WideText& piece, bool last) {
  if (!helper_) {
    if (failed_) return false;
    failed_ = !take_(piece, last);
    piece.clear();
    return !failed_;
  }
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return waiting_.size() < kWaiting || failed_; });
  if (failed_) {
    ThrowFailure(lock);
    return false;
  }
  waiting_.push_back(Piece{std::move(piece), last});
  if (last) closed_ = true;
  piece.clear();
  if (!spare_.empty()) {
    piece = std::move(spare_.back());
    spare_.pop_back();
  }
  lock.unlock();
  changed_.notify_all();
  return true;
}

bool PieceRelay::Finish() {
  if (!helper_) return !failed_;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    closed_ = true;
    changed_.notify_all();
    changed_.wait(lock, [&] { return waiting_.empty(); });
  }
  helper_.reset();  // joins: the piece being taken is done
  std::unique_lock<std::mutex> lock(mutex_);
  if (failed_) {
    ThrowFailure(lock);
    return false;
  }
  return true;
}
