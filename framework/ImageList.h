#pragma once

#include <windows.h>

#include <commctrl.h>

#include <utility>

// Owner of one image list: destroyed when the owner goes or takes another.
class CImageList {
public:
  CImageList() = default;
  ~CImageList() { DeleteImageList(); }
  CImageList(CImageList&& other) noexcept : Handle(std::exchange(other.Handle, nullptr)) {}
  CImageList& operator=(CImageList&& other) noexcept {
    if (this != &other) {
      DeleteImageList();
      Handle = std::exchange(other.Handle, nullptr);
    }
    return *this;
  }
  CImageList(const CImageList&) = delete;
  CImageList& operator=(const CImageList&) = delete;

  BOOL Create(int cx, int cy, UINT flags, int initial, int grow) {
    DeleteImageList();
    Handle = ::ImageList_Create(cx, cy, flags, initial, grow);
    return Handle != nullptr;
  }
  // Adds the images of bitmap (copied: the caller keeps the bitmap); -1 on failure.
  int Add(HBITMAP bitmap, HBITMAP mask = nullptr) { return Handle ? ::ImageList_Add(Handle, bitmap, mask) : -1; }
  int GetImageCount() const { return Handle ? ::ImageList_GetImageCount(Handle) : 0; }
  BOOL DeleteImageList() {
    if (!Handle) return FALSE;
    const BOOL destroyed = ::ImageList_Destroy(Handle);
    Handle = nullptr;
    return destroyed;
  }
  HIMAGELIST GetSafeHandle() const { return Handle; }
  operator HIMAGELIST() const { return Handle; }

private:
  HIMAGELIST Handle = nullptr;
};
