// The taskbar button of a window shown busy while a run goes on.
#pragma once

#include <windows.h>

struct ITaskbarList3;

class TaskbarProgress {
 public:
  TaskbarProgress() = default;
  ~TaskbarProgress();
  TaskbarProgress(const TaskbarProgress&) = delete;
  TaskbarProgress& operator=(const TaskbarProgress&) = delete;

  // Busy without a measure (true) or back to nothing (false). The taskbar's interface is
  // made at the first call; where the system has none, nothing happens, now or later.
  void SetBusy(HWND window, bool busy);

 private:
  ITaskbarList3* taskbar_ = nullptr;
  bool tried_ = false;
};
