#pragma once

#include <windows.h>

// The one owner of a kernel object handle (mutex, file mapping, event):
// closed when the owner goes.
class KernelHandle {
public:
  KernelHandle() = default;
  explicit KernelHandle(HANDLE handle) : Handle(handle) {}
  ~KernelHandle() { Reset(); }
  KernelHandle(const KernelHandle&) = delete;
  KernelHandle& operator=(const KernelHandle&) = delete;

  HANDLE Get() const { return Handle; }
  explicit operator bool() const { return Handle != nullptr; }
  void Reset(HANDLE handle = nullptr) {
    if (Handle) ::CloseHandle(Handle);
    Handle = handle;
  }

private:
  HANDLE Handle = nullptr;
};

// The one owner of a view of a file mapping: unmapped when the owner goes.
class MappedView {
public:
  MappedView() = default;
  explicit MappedView(void* view) : View(view) {}
  ~MappedView() { Reset(); }
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;

  void* Get() const { return View; }
  void Reset(void* view = nullptr) {
    if (View) ::UnmapViewOfFile(View);
    View = view;
  }

private:
  void* View = nullptr;
};
