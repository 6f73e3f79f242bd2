#include "ui/win32/taskbar_progress.h"

#include <objbase.h>
#include <shobjidl.h>

TaskbarProgress::~TaskbarProgress() {
  if (taskbar_) taskbar_->Release();
}

void TaskbarProgress::SetBusy(HWND window, bool busy) {
  if (!tried_) {
    tried_ = true;
    ITaskbarList3* taskbar = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_ITaskbarList3, reinterpret_cast<void**>(&taskbar)))) {
      if (SUCCEEDED(taskbar->HrInit())) {
        taskbar_ = taskbar;
      } else {
        taskbar->Release();
      }
    }
  }
  if (!taskbar_ || !window) return;
  // A failure here only means no progress shows; the run does not depend on it.
  taskbar_->SetProgressState(window, busy ? TBPF_INDETERMINATE : TBPF_NOPROGRESS);
}
