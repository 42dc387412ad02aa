#include "remote/WebPages.h"

#include <cstdint>
#include <cstdio>

#include <qrcodegen/qrcodegen.h>

namespace remote {

namespace {

// The live view. It shows only what the event stream says and never counts:
// a number it cannot vouch for turns grey with "No connection to Velto".
// It draws as the display window does: black, the largest digits that fit
// the whole window and centred in it, the phase's colour and face, nothing
// in the dark half of a flash, and, while paused, the digits only when the
// counter keeps them; the ticker a sixteenth, twelfth or sixth of the height
// tall, its top that height and 10 pixels above the bottom, moving left by a
// tenth of the width each second and starting again at the right edge once
// it has left.
constexpr char ViewHtml[] = R"html(<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8">
<meta name="viewport" content="width=device-width,initial-scale=1,viewport-fit=cover">
<meta name="mobile-web-app-capable" content="yes"><meta name="apple-mobile-web-app-capable" content="yes">
<meta name="apple-mobile-web-app-status-bar-style" content="black"><meta name="theme-color" content="#000000">
<title>Velto</title>
<style>
html,body{margin:0;height:100%;background:#000;overflow:hidden;cursor:pointer;-webkit-user-select:none;user-select:none;-webkit-tap-highlight-color:transparent}
#digits{position:fixed;left:0;top:0;right:0;bottom:0;display:flex;align-items:center;justify-content:center;white-space:nowrap;line-height:1.15;font-variant-numeric:tabular-nums}
#ticker{position:fixed;left:0;white-space:nowrap;line-height:1.15;font-family:Arial,Helvetica,"Liberation Sans",Arimo,sans-serif;will-change:transform}
.stale #digits,.stale #ticker{color:#444!important}
#lost,#note{position:fixed;left:0;right:0;text-align:center;font-family:Arial,Helvetica,sans-serif;padding:.4em;display:none}
#lost{top:0;color:#fff;background:#700;font-size:max(18px,5vmin);font-weight:bold}
.stale #lost,#lost.shown{display:block}
#note{bottom:0;color:#eee;background:#333;font-size:max(14px,3vmin)}
</style></head><body>
<div id="digits"></div><div id="ticker"></div><div id="lost">No connection to Velto</div><div id="note"></div>
<script>
(function(){
"use strict";
var digits=document.getElementById("digits"),ticker=document.getElementById("ticker");
var lost=document.getElementById("lost"),note=document.getElementById("note");
var wanted=decodeURIComponent(location.pathname.replace(/^\/view\//,""));
if(location.search)history.replaceState(null,"",location.pathname);
var byPosition=/^[0-9]+$/.test(wanted)?parseInt(wanted,10):0;
var counter=null,heard=Date.now(),source=null,opened=0,retry=null,found=false;
var fit={key:"",size:0},tick={text:"",width:0,offset:0,last:0};
var measure=document.createElement("canvas").getContext("2d");
var alike={"arial":"Helvetica,\"Liberation Sans\",Arimo","times new roman":"Times,\"Liberation Serif\",Tinos",
"courier new":"Courier,\"Liberation Mono\",Cousine","verdana":"\"DejaVu Sans\"","tahoma":"\"DejaVu Sans\"",
"segoe ui":"\"Helvetica Neue\",Roboto","consolas":"Menlo,\"DejaVu Sans Mono\",\"Liberation Mono\""};
function family(face){
var f=(face||"Arial").replace(/["\\;{}<>]/g,""),l=f.toLowerCase(),generic="sans-serif";
if(/mono|courier|consol|fixed|typewriter/.test(l))generic="monospace";
else if(!/sans|arial|helvet|verdana|tahoma|segoe|calibri|gothic/.test(l)&&/serif|times|roman|georgia|garamond|cambria|palatino|book/.test(l))generic="serif";
return "\""+f+"\","+(alike[l]?alike[l]+",":"")+generic;}
function look(c){var d=c.display;return c.phase==="danger"?d.danger:c.phase==="warning"?d.warning:d.normal;}
function draw(){
var w=window.innerWidth,h=window.innerHeight;
if(!counter){digits.textContent="";ticker.textContent="";return;}
var c=counter,d=c.display,l=look(c),fam=family(l.font),text=c.text||"";
var shown=!d.blank&&text!==""&&!(c.state==="paused"&&!d.displayDuringPause)&&l.colour.toLowerCase()!=="#000000";
var key=text.length+"|"+fam+"|"+w+"|"+h;
if(key!==fit.key){
fit.key=key;measure.font="100px "+fam;
var m=measure.measureText(text.replace(/[0-9]/g,"0")).width||1;
fit.size=Math.max(1,Math.floor(Math.min(w*0.98/m*100,h/1.15)));}
digits.style.fontFamily=fam;digits.style.fontSize=fit.size+"px";digits.style.color=l.colour;
digits.style.visibility=shown?"visible":"hidden";
if(digits.textContent!==text)digits.textContent=text;
var t=d.ticker,cell=Math.floor(h/(t.size==="large"?6:t.size==="medium"?12:16));
ticker.style.fontSize=(cell/1.15)+"px";ticker.style.top=(h-cell-10)+"px";
ticker.style.color=t.colour||l.colour;
ticker.style.visibility=(t.colour||!d.blank)?"visible":"hidden";
if(tick.text!==c.ticker){tick.text=c.ticker;ticker.textContent=c.ticker;}
tick.width=ticker.offsetWidth;}
function roll(now){
var w=window.innerWidth,dt=tick.last?Math.min(Math.max(now-tick.last,0),1000):0;tick.last=now;
if(tick.text){tick.offset+=w/1000*dt*0.1;var x=w-Math.round(tick.offset);
if(x+tick.width<=0)tick.offset=0;ticker.style.transform="translateX("+x+"px)";}
window.requestAnimationFrame(roll);}
function onCounter(e){
heard=Date.now();var c;try{c=JSON.parse(e.data);}catch(x){return;}
if(byPosition?c.id!==byPosition:String(c.name).toLowerCase()!==wanted.toLowerCase())return;
found=true;lost.classList.remove("shown");counter=c;document.title=c.name+" - Velto";draw();}
function onPing(){heard=Date.now();if(!found){lost.textContent="Velto has no counter \u201c"+wanted+"\u201d";lost.classList.add("shown");}}
function connect(){
retry=null;if(source)source.close();found=false;opened=Date.now();
source=new EventSource("/api/v1/events");
source.addEventListener("counter",onCounter);source.addEventListener("ping",onPing);
source.onerror=function(){if(source)source.close();source=null;if(!retry)retry=setTimeout(connect,1000);};}
setInterval(function(){
var quiet=Date.now()-heard,stale=quiet>3000;
document.body.classList.toggle("stale",stale);
if(stale&&lost.textContent!=="No connection to Velto"){lost.textContent="No connection to Velto";lost.classList.remove("shown");}
if(stale&&source&&Date.now()-opened>3000){source.close();source=null;if(!retry)retry=setTimeout(connect,200);}},250);
var told=false,lock=null;
function tell(text){if(told)return;told=true;note.textContent=text;note.style.display="block";
setTimeout(function(){note.style.display="none";},20000);}
function wake(){
if(!("wakeLock" in navigator)){tell("This browser cannot keep the screen on: turn the device\u2019s auto-lock off while it shows the time.");return;}
if(lock||document.visibilityState!=="visible")return;
navigator.wakeLock.request("screen").then(function(l){lock=l;l.addEventListener("release",function(){lock=null;});},
function(){tell("The screen may go dark: turn the device\u2019s auto-lock off while it shows the time.");});}
document.addEventListener("visibilitychange",function(){if(document.visibilityState==="visible"){wake();draw();}});
document.addEventListener("click",function(){
var de=document.documentElement;wake();
if(document.fullscreenElement||document.webkitFullscreenElement){(document.exitFullscreen||document.webkitExitFullscreen).call(document);}
else if(de.requestFullscreen){de.requestFullscreen().catch(function(){});}
else if(de.webkitRequestFullscreen){de.webkitRequestFullscreen();}});
window.addEventListener("resize",draw);window.addEventListener("orientationchange",draw);
wake();connect();window.requestAnimationFrame(roll);
})();
</script></body></html>
)html";

// Each page's own look, small and readable on a phone.
constexpr char PageStyle[] =
    "<meta charset=\"utf-8\"><meta name=\"viewport\" content=\"width=device-width,initial-scale=1\">"
    "<style>body{margin:0;padding:1.2em;background:#111;color:#eee;font:18px/1.4 "
    "Arial,Helvetica,sans-serif}h1{font-size:1.5em;margin:.2em 0 .8em}a{color:#7cf}"
    "ul{list-style:none;padding:0;margin:0 0 1.5em}li a{display:block;padding:.7em 1em;margin:.4em 0;"
    "background:#222;border-radius:8px;text-decoration:none;font-size:1.3em}li a span{float:right;color:#8f8;"
    "font-variant-numeric:tabular-nums}.link{font-family:monospace;word-break:break-all;background:#222;"
    "padding:.5em;border-radius:6px}svg{width:min(70vw,320px);height:auto;margin-top:1em;background:#fff}"
    "button{font-size:1em;padding:.4em 1em;margin:.6em 0}</style>";

}  // namespace

const std::string& ViewPage() {
  static_assert(sizeof ViewHtml <= size_t{50} * 1024, "the view must stay small");
  static const std::string page(ViewHtml);
  return page;
}

std::string EscapeHtml(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char ch : text) {
    switch (ch) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&#39;";
        break;
      default:
        escaped += ch;
    }
  }
  return escaped;
}

std::string MessagePage(const std::string& title, const std::string& text) {
  return "<!DOCTYPE html><html lang=\"en\"><head>" + std::string(PageStyle) + "<title>" + EscapeHtml(title) +
         " - Velto</title></head><body><h1>" + EscapeHtml(title) + "</h1><p>" + EscapeHtml(text) + "</p></body></html>";
}

std::string HomePage(const std::vector<CounterView>& counters, const std::string& networkLink) {
  std::string page = "<!DOCTYPE html><html lang=\"en\"><head>" + std::string(PageStyle) +
                     "<title>Velto</title></head><body><h1>Velto counters</h1><ul>";
  for (const CounterView& view : counters) {
    page += "<li><a href=\"/view/" + std::to_string(view.Id) + "\">" + EscapeHtml(view.Name) + "<span>" +
            EscapeHtml(view.Text) + "</span></a></li>";
  }
  if (counters.empty()) page += "<li>No counters.</li>";
  page += "</ul>";
  if (!networkLink.empty()) {
    const std::string link = EscapeHtml(networkLink);
    page +=
        "<h1>On another device</h1><p>Open this link on a tablet or phone in the same network, or scan the "
        "code. It carries the control key: give it only to your crew.</p><p class=\"link\" id=\"link\">" +
        link +
        "</p><button onclick=\"navigator.clipboard.writeText(document.getElementById('link')"
        ".textContent)\">Copy link</button><br>" +
        QrSvg(networkLink);
  }
  // The key a link carried is kept as a cookie: it leaves the address bar.
  return page + "<script>if(location.search)history.replaceState(null,\"\",location.pathname);</script></body></html>";
}

std::vector<bool> QrModules(const std::string& text, int& size) {
  size = 0;
  std::vector<uint8_t> code(qrcodegen_BUFFER_LEN_MAX);
  std::vector<uint8_t> work(qrcodegen_BUFFER_LEN_MAX);
  if (text.find('\0') != std::string::npos ||
      !qrcodegen_encodeText(text.c_str(), work.data(), code.data(), qrcodegen_Ecc_MEDIUM, qrcodegen_VERSION_MIN,
                            qrcodegen_VERSION_MAX, qrcodegen_Mask_AUTO, true))
    return {};
  size = qrcodegen_getSize(code.data());
  std::vector<bool> modules(static_cast<size_t>(size) * static_cast<size_t>(size));
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      modules[static_cast<size_t>(y) * static_cast<size_t>(size) + static_cast<size_t>(x)] =
          qrcodegen_getModule(code.data(), x, y);
  return modules;
}

std::string QrSvg(const std::string& text) {
  int size = 0;
  const std::vector<bool> modules = QrModules(text, size);
  if (modules.empty()) return "";
  const int whole = size + 8;  // a quiet zone of four modules all round
  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + std::to_string(whole) + " " +
                    std::to_string(whole) + "\" shape-rendering=\"crispEdges\"><path fill=\"#000\" d=\"";
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      if (modules[static_cast<size_t>(y) * static_cast<size_t>(size) + static_cast<size_t>(x)])
        svg += "M" + std::to_string(x + 4) + " " + std::to_string(y + 4) + "h1v1h-1z";
  return svg + "\"/></svg>";
}

}  // namespace remote
