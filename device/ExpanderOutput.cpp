#include "device/ExpanderOutput.h"

namespace {
ExpanderPort* currentPort = nullptr;
ExpanderOutput* currentExpander = nullptr;
}  // namespace

ExpanderPort* AfxGetExpanderPort() {
  return currentPort;
}

void AfxSetExpanderPort(ExpanderPort* port) {
  currentPort = port;
}

ExpanderOutput* AfxGetExpander() {
  return currentExpander;
}

void AfxSetExpander(ExpanderOutput* expander) {
  currentExpander = expander;
}

void ExpanderOutput::Attach(CCounter* pOwner) {
  Close();
  Owner = pOwner;
  if (ExpanderPort* port = AfxGetExpanderPort()) Handle = port->Open();
}

void ExpanderOutput::Close() {
  if (!IsOpen()) return;
  if (ExpanderPort* port = AfxGetExpanderPort()) port->Close(Handle);
  Handle = INVALID_HANDLE_VALUE;
}

void ExpanderOutput::Send() {
  if (!IsOpen()) return;
  ExpanderPort* port = AfxGetExpanderPort();
  if (!port) return;
  const ExpanderReport report = BuildReport();
  port->Write(Handle, report.data(), static_cast<DWORD>(report.size()));
}

ExpanderReport ExpanderOutput::BuildReport() const {
  ExpanderReport report{};
  report[0] = 0x00;
  report[1] = 0x03;
  report[2] = ExpanderGroupByte(LeftPair);
  if (Negative && LeftPair < 10) report[2] = static_cast<BYTE>((report[2] & 0xF0) | 0x0A);
  report[3] = ExpanderGroupByte(RightPair);
  report[4] = ColourCode;
  return report;
}

BYTE ExpanderGroupByte(int n) {
  if (n < 0) n = 0;
  if (n > 99) n = 99;
  return static_cast<BYTE>((n % 10) * 16 + n / 10);
}

int ReadDevicePair(const CString& text, int position) {
  int value = 0;
  for (int i = position; i < text.GetLength() && i < position + 2; ++i) {
    const char ch = text.GetAt(i);
    if (ch < '0' || ch > '9') break;
    value = value * 10 + (ch - '0');
  }
  return value;
}

BYTE ColourCodeOf(DisplayColour colour) {
  switch (colour) {
    case Normal:
      return 1;
    case Orange:
      return 3;
    case Red:
      return 2;
    default:
      return 0;
  }
}
