#pragma once

#include <string>
#include <vector>

#include "remote/RemoteProtocol.h"

// The pages a browser opens: the counter list and the live view of one
// counter. Each is one self-contained file (no font, script or style from
// anywhere else), since a venue is often offline.
namespace remote {

// The live view: the same page for every counter; its script takes the
// counter from its own address and follows the event stream.
const std::string& ViewPage();

// The counter list with a link to each view. networkLink, when not empty, is
// the address other devices use, shown with its QR code (for this computer's
// own browser only: it carries the key).
std::string HomePage(const std::vector<CounterView>& counters, const std::string& networkLink);

// A plain page with a title and one sentence, for errors and the viewer limit.
std::string MessagePage(const std::string& title, const std::string& text);

std::string EscapeHtml(const std::string& text);

// The modules of text's QR code, row by row (true = dark), and its size in
// modules; empty when the text does not fit.
std::vector<bool> QrModules(const std::string& text, int& size);
// The QR code as an SVG picture, with its quiet zone; empty when it does not fit.
std::string QrSvg(const std::string& text);

}  // namespace remote
